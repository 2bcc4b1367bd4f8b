#include "modules/modesmodule.h"

#include "core/device.h"
#include "modules/checks.h"

namespace vreg {

namespace {

constexpr int kSelectionMode = 0;
constexpr int kRegistrationMode = 1;
constexpr int kLastMode = 7;

// The modes as the bench's list names them.
QString modeName(int mode)
{
    static const char *const names[] = {"Выбора",
                                        "Регистрации",
                                        "Отчетов без гашения",
                                        "Отчетов с гашением",
                                        "Программирования",
                                        "Доступа к ФП/Ввода ЗН",
                                        "Доступа к ЭКЛЗ/ФН",
                                        "Дополнительный"};
    return mode >= 0 && mode <= kLastMode ? QString::fromUtf8(names[mode]) : QString();
}

QString operatorName(int number)
{
    if (number == ModesModule::kAdministrator)
        return QStringLiteral("администратору");
    if (number == ModesModule::kSystemAdministrator)
        return QStringLiteral("системному администратору");
    return QStringLiteral("кассиру %1").arg(number);
}

// Who may enter a mode: registration and X-reports anyone; Z-reports,
// programming and fiscal storage access the administrators; the additional
// (service) mode only the system administrator.
bool mayEnter(int mode, int who)
{
    switch (mode) {
    case 1:
    case 2:
        return who >= 1;
    case 3:
    case 4:
    case 5:
    case 6:
        return who == ModesModule::kAdministrator || who == ModesModule::kSystemAdministrator;
    case 7:
        return who == ModesModule::kSystemAdministrator;
    default:
        return false;
    }
}

QString whoMay(int mode)
{
    if (mode == 7)
        return QStringLiteral("только системному администратору");
    if (mode >= 3)
        return QStringLiteral("администратору и системному администратору");
    return QStringLiteral("любому кассиру и администраторам");
}

QString normalPassword(const QString &text)
{
    QString digits = text.trimmed();
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits;
}

// The port the computer reaches the device through, numbered like the
// bench's connector list: 0 USB, 1 Ethernet, 2 RS232; 3 Bluetooth.
int connectionPort(const QString &port)
{
    if (port == QLatin1String("USB"))
        return 0;
    if (port == QLatin1String("TCP") || port == QLatin1String("UDP"))
        return 1;
    if (port == QLatin1String("BT"))
        return 3;
    return 2;
}

} // namespace

ModesModule::ModesModule(DeviceContext &device)
    : Module(device)
{
    Services &services = device.services();
    services.currentMode = [this] { return m_mode; };
    services.currentOperator = [this] { return m_operator; };
    services.operatorOfPassword = [this](const QString &password) { return operatorOfPassword(password); };

    // Mode is written to choose the mode to enter and read to see the mode
    // the device is in.
    device.onWrite(Prop::Mode, [this] {
        m_requestedMode = this->device().props().Mode;
        return 0;
    });
    device.onRead(Prop::Mode, [this] { this->device().props().Mode = m_mode; });
    device.onRead(Prop::SubMode, [this] { this->device().props().SubMode = 0; });
    device.onRead(Prop::Operator, [this] { this->device().props().Operator = m_operator; });
    device.onRead(Prop::LogicalNumber, [this] {
        const Services &s = this->device().services();
        this->device().props().LogicalNumber = s.value ? int(s.value(0)) : 1;
    });
}

void ModesModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::SetMode, Subject::Modes, [this] { return setMode(); });
    registry.add(Action::ResetMode, Subject::Modes, [this] { return resetMode(); });
    registry.add(Action::NewDocument, Subject::Modes, [this] { return newDocument(); });
    registry.add(Action::GetStatus, Subject::Status, [this] { return getStatus(); });
}

int ModesModule::connected()
{
    // Power-on: mode selection, nobody logged in.
    m_mode = kSelectionMode;
    m_operator = 0;
    return 0;
}

void ModesModule::disconnected()
{
    m_mode = kSelectionMode;
    m_operator = 0;
}

int ModesModule::operatorOfPassword(const QString &password) const
{
    const QString wanted = normalPassword(password);
    if (wanted.isEmpty())
        return 0;
    const Services &services = device().services();
    for (int number = 1; number <= kSystemAdministrator; ++number) {
        QString stored;
        if (services.caption)
            stored = services.caption(5 + number);
        else
            stored = QString::number(number == kSystemAdministrator ? 58 : number);
        if (normalPassword(stored) == wanted)
            return number;
    }
    return 0;
}

int ModesModule::entrant(int mode)
{
    if (!checkRange(device(), "Mode", mode, kSelectionMode, kLastMode))
        return -1;
    const Services &services = device().services();
    const bool receiptOpen = services.receiptOpen && services.receiptOpen();
    if (receiptOpen && mode != kRegistrationMode && mode != m_mode) {
        device().fail(Code::ReceiptOpenNoModeChange,
                      QStringLiteral("Закройте или отмените чек в режиме регистрации (1), затем смените режим"));
        return -1;
    }
    if (mode == kSelectionMode)
        return 0;
    const int who = operatorOfPassword(device().props().Password);
    if (who == 0) {
        device().fail(Code::WrongPassword,
                      QStringLiteral("Пароль не принадлежит ни кассиру, ни администратору (вход в режим %1 «%2»)")
                          .arg(mode)
                          .arg(modeName(mode)));
        return -1;
    }
    if (!mayEnter(mode, who)) {
        device().fail(Code::AccessDenied,
                      QStringLiteral("Режим %1 «%2» доступен %3; пароль принадлежит %4")
                          .arg(mode)
                          .arg(modeName(mode), whoMay(mode), operatorName(who)));
        return -1;
    }
    return who;
}

bool ModesModule::enter(int mode)
{
    const int who = entrant(mode);
    if (who < 0)
        return false;
    m_mode = mode;
    m_operator = who;
    return true;
}

int ModesModule::setMode()
{
    return enter(m_requestedMode) ? 0 : -1;
}

int ModesModule::resetMode()
{
    const Services &services = device().services();
    if (m_mode != kSelectionMode && services.receiptOpen && services.receiptOpen()) {
        return device().fail(Code::ReceiptOpenNoModeChange,
                             QStringLiteral("Закройте или отмените чек, затем выйдите из режима"));
    }
    m_mode = kSelectionMode;
    m_operator = 0;
    return 0;
}

int ModesModule::newDocument()
{
    const int mode = m_requestedMode;
    if (!checkRange(device(), "Mode", mode, 1, kLastMode, QStringLiteral("документ открывается в рабочем режиме")))
        return -1;
    const Services &services = device().services();
    if (services.receiptOpen && services.receiptOpen()) {
        return device().fail(Code::ReceiptOpenNoModeChange,
                             QStringLiteral("Новый документ нельзя начать, пока открыт чек"));
    }
    const int who = entrant(mode);
    if (who < 0)
        return -1;
    // A non-fiscal document starts with the header, like any document. The
    // mode changes only once the printer has taken it, so that a document
    // refused for want of paper leaves the register where it was.
    if (services.printDocument && services.headerLines) {
        if ((services.printerReady && services.printerReady() < 0)
            || services.printDocument(services.headerLines(), false) < 0)
            return -1;
    }
    m_mode = mode;
    m_operator = who;
    return 0;
}

int ModesModule::getStatus()
{
    // The printer answers once it has put out what it was given.
    if (device().services().flushPaper)
        device().services().flushPaper();
    PropertyStore &props = device().props();
    // The clock is read afresh, whatever Date and Time held.
    props.Date = QDate();
    props.Time = QTime();
    static const Prop statusGroup[] = {
        Prop::Mode, Prop::SubMode, Prop::SessionOpened, Prop::ChequeState, Prop::CharLineLength,
        Prop::Date, Prop::Time, Prop::Operator, Prop::LogicalNumber, Prop::Fiscal, Prop::FNFiscal,
        Prop::DeviceDescription, Prop::SerialNumber, Prop::DrawerOpened, Prop::CheckPaperPresent,
        Prop::ControlPaperPresent, Prop::CoverOpened, Prop::Model, Prop::ChequeNumber, Prop::Session,
        Prop::PointPosition, Prop::Summ,
    };
    const Services &services = device().services();
    if (services.refreshFiscalStatus)
        services.refreshFiscalStatus();
    for (Prop property : statusGroup)
        device().beforeRead(property);
    const QStringList version = services.unitVersion ? services.unitVersion(1) : QStringList();
    if (version.size() == 3) {
        props.Version = version[0];
        props.SubVersion = version[1];
        props.Build = version[2];
    }
    props.PortNumber = connectionPort(device().settings().value(QStringLiteral("Port")));
    // The virtual printer's cover never opens.
    props.CoverOpened = 0;
    return 0;
}

} // namespace vreg
