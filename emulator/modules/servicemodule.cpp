#include "modules/servicemodule.h"

#include "core/device.h"
#include "modules/checks.h"

#include <QFile>
#include <QThread>

namespace vreg {

namespace {

// The virtual cashier pushes an opened drawer shut after this long.
constexpr qint64 kDrawerOpenMs = 10000;

// Raw commands the device answers.
constexpr uchar kCommandStatus = 0x3F;
constexpr uchar kCommandShortStatus = 0x45;
constexpr uchar kCommandBeep = 0x47;
constexpr uchar kCommandOpenDrawer = 0x80;
constexpr uchar kCommandVersion = 0x9D;
// The answer codes: 0x44 the status answer, 0x55 every other answer,
// followed by the device's error byte (0 none, 1 unknown command, 2 wrong
// parameters) or the data asked for.
constexpr uchar kAnswerStatus = 0x44;
constexpr uchar kAnswer = 0x55;
constexpr uchar kErrorUnknownCommand = 0x01;
constexpr uchar kErrorParameters = 0x02;

} // namespace

ServiceModule::ServiceModule(DeviceContext &device)
    : Module(device)
{
    device.services().unitVersion = [](int unit) { return unitVersion(unit); };
    device.onRead(Prop::DrawerOpened, [this] { this->device().props().DrawerOpened = drawerOpen() ? 1 : 0; });
    // PointPosition is written to choose the position to set and read to
    // see the one in use.
    device.onWrite(Prop::PointPosition, [this] {
        m_requestedPointPosition = this->device().props().PointPosition;
        return 0;
    });
    device.onRead(Prop::PointPosition, [this] { this->device().props().PointPosition = m_pointPosition; });
}

void ServiceModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::Beep, Subject::Sound, [this] { return beep(); });
    registry.add(Action::Sound, Subject::Sound, [this] { return sound(); });
    registry.add(Action::OpenDrawer, Subject::Drawer, [this] { return openDrawer(); });
    registry.add(Action::AdvancedOpenDrawer, Subject::Drawer, [this] { return advancedOpenDrawer(); });
    registry.add(Action::PowerOff, Subject::Service, [this] { return powerOff(); });
    registry.add(Action::SetPointPosition, Subject::Service, [this] { return setPointPosition(); });
    registry.add(Action::GetUnitVersion, Subject::Service, [this] { return getUnitVersion(); });
    registry.add(Action::TestConnector, Subject::Service, [this] { return testConnector(); });
    registry.add(Action::RunCommand, Subject::LowLevel, [this] { return runCommand(); });
    registry.add(Action::WriteData, Subject::LowLevel, [this] { return writeData(); });
}

void ServiceModule::resetState()
{
    m_pointPosition = 2;
}

bool ServiceModule::loadState(const QJsonObject &section, QString *error)
{
    const int position = section.value(QStringLiteral("pointPosition")).toInt(-1);
    if (position < 0 || position > 3) {
        *error = QStringLiteral("неверное положение десятичной точки");
        return false;
    }
    m_pointPosition = position;
    return true;
}

QJsonObject ServiceModule::saveState() const
{
    QJsonObject section;
    section.insert(QStringLiteral("pointPosition"), m_pointPosition);
    return section;
}

void ServiceModule::disconnected()
{
    m_drawerOpenedAt = QDateTime();
}

QStringList ServiceModule::unitVersion(int unit)
{
    switch (unit) {
    case 1: // firmware processor
        return {QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("5120")};
    case 2: // fiscal memory processor
        return {QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("310")};
    case 3: // its boot block
        return {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("12")};
    case 4: // printer processor
        return {QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("208")};
    case 5: // its boot block
        return {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("7")};
    default:
        return {};
    }
}

bool ServiceModule::drawerOpen() const
{
    return m_drawerOpenedAt.isValid() && m_drawerOpenedAt.msecsTo(QDateTime::currentDateTimeUtc()) < kDrawerOpenMs;
}

void ServiceModule::openTheDrawer()
{
    m_drawerOpenedAt = QDateTime::currentDateTimeUtc();
    device().props().DrawerOpened = 1;
}

int ServiceModule::beep()
{
    // A short signal: the device answers when it has sounded.
    QThread::msleep(100);
    return 0;
}

int ServiceModule::sound()
{
    const PropertyStore &props = device().props();
    if (!checkRange(device(), "Frequency", props.Frequency, 100, 10000, QStringLiteral("Гц"))
        || !checkRange(device(), "Duration", props.Duration, 1, 10000, QStringLiteral("мс"))) {
        return -1;
    }
    // The device is busy for as long as it sounds.
    QThread::msleep(static_cast<unsigned long>(props.Duration));
    return 0;
}

int ServiceModule::openDrawer()
{
    openTheDrawer();
    return 0;
}

int ServiceModule::advancedOpenDrawer()
{
    const PropertyStore &props = device().props();
    if (!checkRange(device(), "DrawerOnTimeout", props.DrawerOnTimeout, 10, 1000, QStringLiteral("мс"))
        || !checkRange(device(), "DrawerOffTimeout", props.DrawerOffTimeout, 10, 1000, QStringLiteral("мс"))
        || !checkRange(device(), "DrawerOnQuantity", props.DrawerOnQuantity, 1, 10,
                       QStringLiteral("импульсов"))) {
        return -1;
    }
    // The pulses take their time; the drawer opens with the first.
    openTheDrawer();
    const int pulse = props.DrawerOnTimeout + props.DrawerOffTimeout;
    QThread::msleep(static_cast<unsigned long>(props.DrawerOnQuantity * pulse));
    return 0;
}

int ServiceModule::powerOff()
{
    // The device switches off: the connection drops, and switching it on
    // again (DeviceEnabled 1) starts it in mode 0 with its memory.
    device().props().DeviceEnabled = 0;
    device().afterWrite(Prop::DeviceEnabled);
    return 0;
}

int ServiceModule::setPointPosition()
{
    const int position = m_requestedPointPosition;
    if (!checkRange(device(), "PointPosition", position, 0, 3, QStringLiteral("знаков после запятой")))
        return -1;
    const Services &services = device().services();
    if (services.shiftOpen && services.shiftOpen()) {
        return device().fail(Code::ShiftOpen,
                             QStringLiteral("Положение точки меняется только при закрытой смене: "
                                            "закройте смену (Z-отчёт)"));
    }
    m_pointPosition = position;
    device().props().PointPosition = position;
    return 0;
}

int ServiceModule::getUnitVersion()
{
    PropertyStore &props = device().props();
    if (!checkRange(device(), "UnitType", props.UnitType, 1, 5,
                    QStringLiteral("1 ПО ККТ, 2 ФП, 3 загрузчик ПО, 4 принтер, 5 загрузчик принтера"))) {
        return -1;
    }
    const QStringList version = unitVersion(props.UnitType);
    props.Version = version[0];
    props.SubVersion = version[1];
    props.Build = version[2];
    return 0;
}

int ServiceModule::testConnector()
{
    const int port = device().props().PortNumber;
    switch (port) {
    case 0: // USB: the computer talks to the device through it
        return 0;
    case 1: {
        const QString connection = device().settings().value(QStringLiteral("Port"));
        if (connection == QLatin1String("TCP") || connection == QLatin1String("UDP"))
            return 0;
        return device().fail(Code::EthernetNotConnected,
                             QStringLiteral("Разъём Ethernet: нет сигнала линии (устройство подключено не по сети)"));
    }
    case 2:
        return device().fail(Code::DisplayPortNoDevice,
                             QStringLiteral("Разъём RS232 (дисплейный порт): к нему ничего не подключено"));
    default:
        return checkRange(device(), "PortNumber", port, 0, 2,
                          QStringLiteral("0 USB, 1 Ethernet, 2 RS232 (дисплейный порт)"))
            ? 0
            : -1;
    }
}

bool ServiceModule::answer(const QByteArray &command, QByteArray *reply)
{
    const uchar code = uchar(command.at(0));
    auto error = [&](uchar byte) {
        reply->clear();
        reply->append(char(kAnswer));
        reply->append(char(byte));
    };
    auto expectLength = [&](int length) {
        if (command.size() == length)
            return true;
        error(kErrorParameters);
        device().fail(Code::InvalidCommandBuffer,
                      QStringLiteral("Команда %1: ожидается %2 байт, передано %3")
                          .arg(hexBytes(command.left(1)))
                          .arg(length)
                          .arg(command.size()));
        return false;
    };
    const Services &services = device().services();
    switch (code) {
    case kCommandStatus:
    case kCommandShortStatus: {
        if (!expectLength(1))
            return false;
        PropertyStore &props = device().props();
        const QDateTime now = serviceNow(services);
        const int mode = serviceMode(services);
        int flags = 0;
        if (services.shiftOpen && services.shiftOpen())
            flags |= 0x01;
        if (device().settings().paperPresent())
            flags |= 0x02;
        if (drawerOpen())
            flags |= 0x04;
        reply->clear();
        if (code == kCommandShortStatus) {
            reply->append(char(kAnswer));
            reply->append(char(mode));
            reply->append(char(flags));
            return true;
        }
        device().beforeRead(Prop::LogicalNumber);
        reply->append(char(kAnswerStatus));
        reply->append(char(services.currentOperator ? services.currentOperator() : 0));
        reply->append(char(now.date().day()));
        reply->append(char(now.date().month()));
        reply->append(char(now.date().year() % 100));
        reply->append(char(now.time().hour()));
        reply->append(char(now.time().minute()));
        reply->append(char(now.time().second()));
        reply->append(char(mode));
        reply->append(char(flags));
        reply->append(char(props.LogicalNumber));
        return true;
    }
    case kCommandBeep:
        if (!expectLength(1))
            return false;
        beep();
        error(0);
        return true;
    case kCommandOpenDrawer:
        if (!expectLength(1))
            return false;
        openTheDrawer();
        error(0);
        return true;
    case kCommandVersion: {
        if (!expectLength(2))
            return false;
        const QStringList version = unitVersion(uchar(command.at(1)));
        if (version.isEmpty()) {
            error(kErrorParameters);
            device().fail(Code::InvalidValue,
                          QStringLiteral("Команда 9D: модуль %1 не существует (1–5)").arg(uchar(command.at(1))));
            return false;
        }
        const int build = version[2].toInt();
        reply->clear();
        reply->append(char(kAnswer));
        reply->append(char(version[0].toInt()));
        reply->append(char(version[1].toInt()));
        reply->append(char((build >> 8) & 0xFF));
        reply->append(char(build & 0xFF));
        return true;
    }
    default:
        error(kErrorUnknownCommand);
        device().fail(Code::UnknownCommand,
                      QStringLiteral("Команда %1 не поддерживается; устройство отвечает на 3F, 45, 47, 80 и 9D")
                          .arg(hexBytes(command.left(1))));
        return false;
    }
}

int ServiceModule::runCommand()
{
    PropertyStore &props = device().props();
    props.AnswerBuffer.clear();
    if (!checkFlag(device(), "NeedResultFlag", props.NeedResultFlag)
        || !checkRange(device(), "TimeoutACK", props.TimeoutACK, 1, 60000, QStringLiteral("мс"))
        || !checkRange(device(), "TimeoutENQ", props.TimeoutENQ, 1, 60000, QStringLiteral("мс"))) {
        return -1;
    }
    QByteArray command;
    if (!parseHexBytes(props.CommandBuffer, &command) || command.isEmpty() || command.size() > 255) {
        return device().fail(Code::InvalidCommandBuffer,
                             QStringLiteral("CommandBuffer \"%1\": ожидаются от 1 до 255 байт, по две "
                                            "шестнадцатеричные цифры, например \"3F\" или \"9D 01\"")
                                 .arg(props.CommandBuffer));
    }
    QByteArray reply;
    const bool ok = answer(command, &reply);
    // Without NeedResultFlag the command is sent and its answer not awaited.
    props.AnswerBuffer = props.NeedResultFlag ? hexBytes(reply) : QString();
    return ok ? 0 : -1;
}

int ServiceModule::writeData()
{
    const PropertyStore &props = device().props();
    if (!checkRange(device(), "PortNumber", props.PortNumber, 1, 4, QStringLiteral("порты устройства 1–4")))
        return -1;
    QByteArray data;
    if (!parseHexBytes(props.CommandBuffer, &data) || data.isEmpty() || data.size() > 1024) {
        return device().fail(Code::InvalidCommandBuffer,
                             QStringLiteral("CommandBuffer \"%1\": ожидаются от 1 до 1024 байт, по две "
                                            "шестнадцатеричные цифры")
                                 .arg(props.CommandBuffer));
    }
    // What leaves the port is kept in the port log of the data folder.
    QFile log(device().dataFolder() + QLatin1Char('/') + portLogFileName());
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return device().fail(Code::MemoryError,
                             QStringLiteral("Журнал портов %1 не записывается: %2")
                                 .arg(log.fileName(), log.errorString()));
    }
    const QString line = QStringLiteral("%1 порт %2: %3\n")
                             .arg(serviceNow(device().services()).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")))
                             .arg(props.PortNumber)
                             .arg(hexBytes(data));
    if (log.write(line.toUtf8()) < 0)
        return device().fail(Code::MemoryError, log.errorString());
    return 0;
}

} // namespace vreg
