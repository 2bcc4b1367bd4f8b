#include "modules/clockmodule.h"

#include "core/device.h"
#include "modules/checks.h"

namespace vreg {

namespace {

// How long a request for confirmation waits for its repetition.
constexpr qint64 kConfirmationSeconds = 120;

} // namespace

ClockModule::ClockModule(DeviceContext &device)
    : Module(device)
{
    device.services().now = [this] { return now(); };
    device.onRead(Prop::Date, [this] { refreshDate(); });
    device.onRead(Prop::Time, [this] { refreshTime(); });
}

void ClockModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::SetDate, Subject::Clock, [this] { return setDate(); });
}

void ClockModule::resetState()
{
    m_offset = 0;
    m_pendingTarget = QDateTime();
    m_pendingAsked = QDateTime();
}

bool ClockModule::loadState(const QJsonObject &section, QString *error)
{
    const QJsonValue offset = section.value(QStringLiteral("offsetMs"));
    if (!offset.isDouble()) {
        *error = QStringLiteral("нет смещения часов");
        return false;
    }
    m_offset = qint64(offset.toDouble());
    return true;
}

QJsonObject ClockModule::saveState() const
{
    QJsonObject section;
    section.insert(QStringLiteral("offsetMs"), double(m_offset));
    return section;
}

int ClockModule::connected()
{
    // The device shows its own clock from the moment it is switched on.
    PropertyStore &props = device().props();
    props.Date = QDate();
    props.Time = QTime();
    refreshDate();
    refreshTime();
    m_pendingTarget = QDateTime();
    return 0;
}

QDateTime ClockModule::now() const
{
    return QDateTime::currentDateTime().addMSecs(m_offset);
}

void ClockModule::refreshDate()
{
    QDate &date = device().props().Date;
    if (!date.isValid() || date == m_shownDate) {
        date = now().date();
        m_shownDate = date;
    }
}

void ClockModule::refreshTime()
{
    QTime &time = device().props().Time;
    if (!time.isValid() || time == m_shownTime) {
        const QTime current = now().time();
        time = QTime(current.hour(), current.minute(), current.second());
        m_shownTime = time;
    }
}

int ClockModule::setDate()
{
    PropertyStore &props = device().props();
    const QDate date = props.Date;
    const QTime time = props.Time;
    if (!date.isValid())
        return device().fail(Code::InvalidValue, QStringLiteral("Date: такой даты нет"));
    if (!time.isValid())
        return device().fail(Code::InvalidValue, QStringLiteral("Time: такого времени нет"));
    if (!checkRange(device(), "Date (год)", date.year(), 2000, 2099, QStringLiteral("часы устройства")))
        return -1;
    const Services &services = device().services();
    if (services.shiftOpen && services.shiftOpen()) {
        return device().fail(Code::ShiftOpen,
                             QStringLiteral("Закройте смену (Z-отчёт), затем установите дату"));
    }
    const QDateTime target(date, QTime(time.hour(), time.minute(), time.second()));
    const QDateTime last = services.lastFiscalDocumentTime ? services.lastFiscalDocumentTime() : QDateTime();
    if (last.isValid() && target < last) {
        const QDateTime wall = QDateTime::currentDateTimeUtc();
        const bool confirmed = m_pendingTarget == target && m_pendingAsked.isValid()
            && m_pendingAsked.secsTo(wall) >= 0 && m_pendingAsked.secsTo(wall) <= kConfirmationSeconds;
        if (!confirmed) {
            m_pendingTarget = target;
            m_pendingAsked = wall;
            return device().fail(
                Code::DateChangeNeedsConfirmation,
                QStringLiteral("%1 раньше последнего фискального документа (%2): повторите SetDate с теми же "
                               "датой и временем для подтверждения")
                    .arg(target.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")),
                         last.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))));
        }
    }
    m_pendingTarget = QDateTime();
    m_pendingAsked = QDateTime();
    m_offset = QDateTime::currentDateTime().msecsTo(target);
    // Date and Time follow the clock again, which now shows the new time.
    props.Date = QDate();
    props.Time = QTime();
    refreshDate();
    refreshTime();
    return 0;
}

} // namespace vreg
