// fptr_replay JOURNAL: runs the calls of a journal file again against a
// driver library, loaded the way the bench loads it, and with --compare
// tells where the driver now answers differently. Needs no display.
//
// Exit status: 0 all calls agree (or ran, without --compare), 1 differences
// were found, 2 the replay could not run (bad arguments, a journal that
// cannot be read, a driver that cannot be loaded or set up).

#include "appcore.h"
#include "dtolibrary.h"
#include "ifptr.h"
#include "journalformat.h"
#include "journalingdriver.h"
#include "zeruzuva.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using Journal::Call;
using Journal::Kind;
using Journal::Type;
using VOR::Fptr::IFptr;

namespace {

enum ExitCode { Agree = 0, Differ = 1, CannotRun = 2 };

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("fptr_replay", text);
}

// Calls a string getter as the journal recorded it, with a buffer of the
// capacity the bench offered.
template <class Read>
int readText(const Call &recorded, Read read)
{
    const int capacity = qMin(recorded.capacity, DriverTexts::MaxLength);
    std::vector<wchar_t> buffer(size_t(qMax(capacity, 1)), L'\0');
    return read(capacity > 0 ? buffer.data() : nullptr, capacity);
}

// Runs one recorded call on `driver` with the recorded arguments.
int invoke(IFptr *driver, const Call &c)
{
    switch (c.op) {
#define REPLAY_INT_R(Name) case Journal::Get_##Name: { int value = 0; return driver->Name(&value); }
#define REPLAY_INT_W(Name) case Journal::Set_##Name: return driver->Name(c.ints[0]);
#define REPLAY_DOUBLE_R(Name) case Journal::Get_##Name: { double value = 0; return driver->Name(&value); }
#define REPLAY_DOUBLE_W(Name) case Journal::Set_##Name: return driver->Name(c.number);
#define REPLAY_STRING_R(Name) \
    case Journal::Get_##Name: \
        return readText(c, [driver](wchar_t *buffer, int capacity) { return driver->Name(buffer, capacity); });
#define REPLAY_STRING_W(Name) \
    case Journal::Set_##Name: return driver->Name(JournalingDriver::toWide(c.text).c_str());
#define REPLAY_DATE_R(Name) \
    case Journal::Get_##Name: { int a = 0, b = 0, d = 0; return driver->Name(&a, &b, &d); }
#define REPLAY_DATE_W(Name) case Journal::Set_##Name: return driver->Name(c.ints[0], c.ints[1], c.ints[2]);
#define REPLAY_TIME_R(Name) REPLAY_DATE_R(Name)
#define REPLAY_TIME_W(Name) REPLAY_DATE_W(Name)
#define REPLAY_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, REPLAY)
#define REPLAY_ACTION(Name) case Journal::Run_##Name: return driver->Name();
        VOR_ALL_OPERATIONS(REPLAY_PROPERTY, REPLAY_ACTION)
#undef REPLAY_PROPERTY
#undef REPLAY_ACTION
    case Journal::Set_WriteSetting:
        return driver->WriteSetting(JournalingDriver::toWide(c.settingName).c_str(), JournalingDriver::toWide(c.text).c_str());
    case Journal::Get_ReadSetting:
        return readText(c, [driver, &c](wchar_t *buffer, int capacity) {
            return driver->ReadSetting(JournalingDriver::toWide(c.settingName).c_str(), buffer, capacity);
        });
    case Journal::Get_ReadSettingDescription:
        return readText(c, [driver, &c](wchar_t *buffer, int capacity) {
            return driver->ReadSettingDescription(JournalingDriver::toWide(c.settingName).c_str(), buffer, capacity);
        });
    default:
        break;
    }
    return -1;
}

bool sameValue(const Call &a, const Call &b)
{
    switch (a.operation().type) {
    case Type::Int: return a.ints[0] == b.ints[0];
    case Type::Double: return a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
    case Type::Text: return a.text == b.text;
    case Type::Date:
    case Type::Time: return a.ints[0] == b.ints[0] && a.ints[1] == b.ints[1] && a.ints[2] == b.ints[2];
    case Type::None: break;
    }
    return true;
}

QString outcome(const Call &c)
{
    QString text = QString::number(c.result);
    if (c.operation().kind != Kind::Getter && c.result < 0)
        text += QStringLiteral(" ([%1] %2)").arg(c.code).arg(c.description);
    return text;
}

// One device of the journal, replayed on a driver object of its own. Its
// calls go through a journaling object too, which reads the failure details
// (without disturbing the replayed reads of them) and the values returned.
class Player
{
public:
    Player() : m_journal(4) {}
    ~Player() { release(); }

    bool start(const Journal::Device &device, const QString &libraryPath, const QString &settings,
               QString *error)
    {
        m_library.reset(new DTOLibrary<IFptr>(libraryPath, QStringLiteral("Fptr")));
        if (!m_library->load()) {
            *error = tr("не удалось загрузить библиотеку драйвера «%1»: %2")
                         .arg(libraryPath, m_library->isLoaded() ? tr("нет точек входа драйвера")
                                                                 : m_library->errorString());
            return false;
        }
        m_inner = m_library->createEntry()(VOR_FPTR_INTERFACE_VERSION);
        if (!m_inner) {
            *error = tr("драйвер «%1» не создал объект устройства").arg(libraryPath);
            return false;
        }
        m_driver.reset(new JournalingDriver(m_inner, m_journal, m_journal.addDevice(device.kind, libraryPath)));
        if (!settings.isEmpty() && !applySettings(settings, error)) {
            *error = tr("устройство %1: %2").arg(device.id).arg(*error);
            return false;
        }
        return true;
    }

    bool applySettings(const QString &settings, QString *error)
    {
        if (m_driver->DeviceSettings(JournalingDriver::toWide(settings).c_str()) < 0 || m_driver->ApplySettings() < 0) {
            const Call failed = last();
            *error = tr("драйвер не принял настройки: [%1] %2").arg(failed.code).arg(failed.description);
            return false;
        }
        return true;
    }

    // Runs the call and returns it as the driver now answered it.
    Call run(const Call &recorded)
    {
        invoke(m_driver.get(), recorded);
        return last();
    }

    void release()
    {
        m_driver.reset();
        if (m_inner && m_library && m_library->isReady())
            m_library->releaseEntry()(&m_inner);
        m_inner = nullptr;
    }

private:
    Call last() const
    {
        std::vector<Call> calls;
        m_journal.copySince(m_journal.nextSeq() - 1, calls);
        return calls.empty() ? Call() : calls.back();
    }

    CallJournal m_journal;
    std::unique_ptr<DTOLibrary<IFptr>> m_library;
    IFptr *m_inner = nullptr;
    std::unique_ptr<JournalingDriver> m_driver;
};

// A progress line on a terminal, for journals that take a while.
class Progress
{
public:
    explicit Progress(size_t total)
        : m_total(total)
        , m_active(total >= 1000 && isatty(fileno(stderr)))
        , m_step(qMax<size_t>(1, total / 200))
    {
    }
    ~Progress() { clear(); }

    void show(size_t done)
    {
        if (!m_active || (done % m_step != 0 && done != m_total))
            return;
        std::fprintf(stderr, "\r%s %zu / %zu", tr("воспроизведение:").toUtf8().constData(), done, m_total);
        std::fflush(stderr);
        m_shown = true;
    }
    // Before other output, so it does not run into the progress line.
    void clear()
    {
        if (!m_shown)
            return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        m_shown = false;
    }

private:
    size_t m_total;
    bool m_active;
    size_t m_step;
    bool m_shown = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fptr_replay"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Воспроизводит вызовы журнала драйвера и сравнивает ответы драйвера с записанными.\n"
           "Код выхода: 0 — всё совпало, 1 — есть различия, 2 — воспроизведение невозможно."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("JOURNAL"), tr("файл журнала (JSON Lines)"));
    const QCommandLineOption driverOption(QStringLiteral("driver"),
                                          tr("библиотека драйвера вместо библиотеки по умолчанию для вида устройства"),
                                          QStringLiteral("PATH"));
    const QCommandLineOption settingsOption(
        QStringLiteral("settings"),
        tr("строка настроек драйвера для всех устройств вместо записанной в журнале; записанные изменения "
           "настроек тогда пропускаются"),
        QStringLiteral("TEXT"));
    const QCommandLineOption compareOption(QStringLiteral("compare"),
                                           tr("сравнивать результаты и прочитанные значения с журналом"));
    const QCommandLineOption ignoreOption(
        QStringLiteral("ignore"), tr("не сравнивать эти операции или настройки (через запятую), например Date,Time"),
        QStringLiteral("NAME,..."));
    const QCommandLineOption deviceOption(QStringLiteral("device"), tr("воспроизводить только устройство с этим номером"),
                                          QStringLiteral("ID"));
    const QCommandLineOption partialOption(
        QStringLiteral("partial"), tr("воспроизводить и журнал без завершающей строки или с пропусками"));
    parser.addOptions({driverOption, settingsOption, compareOption, ignoreOption, deviceOption, partialOption});
    if (!parser.parse(QCoreApplication::arguments())) {
        err() << "fptr_replay: " << parser.errorText() << '\n';
        return CannotRun;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Agree);
    if (parser.positionalArguments().size() != 1) {
        err() << "fptr_replay: " << tr("укажите один файл журнала (--help: справка)") << '\n';
        return CannotRun;
    }

    const QString path = parser.positionalArguments().constFirst();
    const auto refuse = [&path](const QString &message) {
        err() << "fptr_replay: " << path << ": " << message << '\n';
        err().flush();
        return CannotRun;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    JournalFormat::Parsed journal;
    JournalFormat::ParseError parseError;
    if (!JournalFormat::parse(file.readAll(), &journal, &parseError))
        return refuse(parseError.toString());
    const bool partial = parser.isSet(partialOption);
    if (!journal.ended && !partial)
        return refuse(tr("строка %1: журнал обрывается без завершающей строки (файл обрезан?); "
                         "--partial воспроизводит его как есть")
                          .arg(journal.lines + 1));
    if (journal.gaps && !partial)
        return refuse(tr("строка %1: здесь в журнале пропущены вызовы; --partial воспроизводит его как есть")
                          .arg(journal.firstGapLine));

    bool deviceOk = true;
    const int onlyDevice = parser.isSet(deviceOption) ? parser.value(deviceOption).toInt(&deviceOk) : 0;
    if (!deviceOk || onlyDevice < 0)
        return refuse(tr("номер устройства должен быть целым положительным числом"));
    if (onlyDevice && std::none_of(journal.devices.cbegin(), journal.devices.cend(),
                                   [onlyDevice](const Journal::Device &d) { return d.id == onlyDevice; }))
        return refuse(tr("в журнале нет устройства %1").arg(onlyDevice));
    const bool compare = parser.isSet(compareOption);
    const bool ownSettings = parser.isSet(settingsOption);
    QSet<QString> ignored;
    for (const QString &name : parser.value(ignoreOption).split(QLatin1Char(','), Qt::SkipEmptyParts))
        ignored.insert(name.trimmed());

    std::map<int, std::unique_ptr<Player>> players;
    const auto player = [&](int deviceId, QString *error) -> Player * {
        auto found = players.find(deviceId);
        if (found != players.end())
            return found->second.get();
        Journal::Device device;
        for (const Journal::Device &known : journal.devices) {
            if (known.id == deviceId)
                device = known;
        }
        QString library = parser.value(driverOption);
        if (library.isEmpty()) {
            if (device.kind != 0 && device.kind != 1) {
                *error = tr("устройство %1 неизвестного вида %2: укажите библиотеку (--driver)")
                             .arg(deviceId)
                             .arg(device.kind);
                return nullptr;
            }
            library = QDir::cleanPath(appDir() + (device.kind == 1 ? QStringLiteral("/rcpprn") : QStringLiteral("/fptr")));
        }
        auto fresh = std::make_unique<Player>();
        if (!fresh->start(device, library, ownSettings ? parser.value(settingsOption) : device.settings, error))
            return nullptr;
        return (players[deviceId] = std::move(fresh)).get();
    };

    int differences = 0;
    size_t replayed = 0;
    Progress progress(journal.calls.size());
    const auto report = [&](int line, const Call &recorded, const QString &what) {
        progress.clear();
        out() << tr("строка %1: %2: %3").arg(line).arg(JournalFormat::operationText(recorded), what) << '\n';
        ++differences;
    };

    for (size_t i = 0; i < journal.calls.size(); ++i) {
        progress.show(i + 1);
        const Call &recorded = journal.calls[i];
        const int line = journal.callLines[i];
        const Journal::Operation &op = recorded.operation();
        if (onlyDevice && recorded.deviceId != onlyDevice)
            continue;
        if (op.kind == Kind::Getter && !compare)
            continue;
        // With settings of the user's own, the journal's settings changes
        // would undo them (a virtual register's data folder, say).
        if (ownSettings && (recorded.op == Journal::Set_DeviceSettings || recorded.op == Journal::Set_WriteSetting))
            continue;
        QString error;
        Player *target = player(recorded.deviceId, &error);
        if (!target) {
            progress.clear();
            return refuse(error);
        }
        ++replayed;
        if (recorded.op == Journal::Run_ShowProperties) {
            // The driver's dialog is not replayed, but what it changed is.
            if (!ownSettings && recorded.result == 1 && !recorded.settings.isEmpty()
                && !target->applySettings(recorded.settings, &error))
                report(line, recorded, error);
            continue;
        }
        const Call observed = target->run(recorded);
        // With settings of the user's own the settings string differs by
        // design.
        const bool skipped = ignored.contains(QLatin1String(op.name))
            || (op.named && ignored.contains(recorded.settingName))
            || (ownSettings && recorded.op == Journal::Get_DeviceSettings);
        if (!compare || skipped)
            continue;
        if (observed.result != recorded.result) {
            report(line, recorded, tr("результат %1, в журнале %2").arg(outcome(observed), outcome(recorded)));
        } else if (op.kind != Kind::Getter && recorded.result < 0 && observed.code != recorded.code) {
            report(line, recorded, tr("код %1, в журнале %2").arg(outcome(observed), outcome(recorded)));
        } else if (op.kind == Kind::Getter && !sameValue(observed, recorded)) {
            report(line, recorded,
                   tr("значение %1, в журнале %2")
                       .arg(JournalFormat::valueText(observed), JournalFormat::valueText(recorded)));
        }
    }
    progress.clear();
    players.clear();

    out() << tr("Воспроизведено вызовов: %1").arg(replayed);
    if (compare)
        out() << tr(", различий: %1").arg(differences);
    out() << '\n';
    out().flush();
    return differences > 0 ? Differ : Agree;
}
