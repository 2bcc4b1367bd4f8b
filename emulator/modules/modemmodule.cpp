#include "modules/modemmodule.h"

#include "core/bytetext.h"
#include "core/device.h"
#include "modules/checks.h"

namespace vreg {

namespace {

// The most one ReadModem gives back.
constexpr int kMaxReadSize = 1024 * 1024;
// What the virtual modem reports of its network while it is on.
constexpr int kSignalDbm = -67;
const char kOperator[] = "Виртуальная сеть";

} // namespace

void ModemModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::PowerOnModem, Subject::Modem, [this] { return powerOn(m_modem); });
    registry.add(Action::PowerOffModem, Subject::Modem, [this] { return powerOff(m_modem); });
    registry.add(Action::OpenModem, Subject::Modem, [this] {
        const PropertyStore &p = device().props();
        return open(m_modem, {p.ModemIpAddress, p.ModemIpPort, p.ModemMode, p.ModemConnectionType, "ModemIpAddress",
                              "ModemIpPort", "ModemMode", "ModemConnectionType"});
    });
    registry.add(Action::CloseModem, Subject::Modem, [this] { return close(m_modem); });
    registry.add(Action::WriteModem, Subject::Modem, [this] { return writeModem(); });
    registry.add(Action::ReadModem, Subject::Modem, [this] { return readModem(); });
    registry.add(Action::GetModemStatus, Subject::Modem, [this] { return status(m_modem); });

    registry.add(Action::PowerOnWiFi, Subject::WiFi, [this] { return powerOn(m_wifi); });
    registry.add(Action::PowerOffWiFi, Subject::WiFi, [this] { return powerOff(m_wifi); });
    registry.add(Action::OpenWiFi, Subject::WiFi, [this] {
        const PropertyStore &p = device().props();
        return open(m_wifi, {p.WiFiIpAddress, p.WiFiIpPort, p.WiFiMode, p.WiFiConnectionType, "WiFiIpAddress",
                             "WiFiIpPort", "WiFiMode", "WiFiConnectionType"});
    });
    registry.add(Action::CloseWiFi, Subject::WiFi, [this] { return close(m_wifi); });
    registry.add(Action::GetWiFiStatus, Subject::WiFi, [this] { return status(m_wifi); });
}

void ModemModule::disconnected()
{
    for (Peripheral *peripheral : {&m_modem, &m_wifi}) {
        peripheral->link.close();
        peripheral->powered = false;
        setState(*peripheral, peripheral->offState);
    }
    m_modemError.clear();
    publishModem();
}

void ModemModule::setState(Peripheral &peripheral, int state)
{
    peripheral.state = state;
    if (&peripheral == &m_wifi)
        device().props().WiFiState = state;
    else
        publishModem();
}

void ModemModule::publishModem()
{
    PropertyStore &p = device().props();
    p.ModemState = m_modem.state;
    p.ModemSignal = m_modem.powered ? kSignalDbm : 0;
    p.ModemOperator = m_modem.powered ? QString::fromUtf8(kOperator) : QString();
    p.ModemError = m_modemError;
}

int ModemModule::powerOn(Peripheral &peripheral)
{
    if (peripheral.powered)
        return 0;
    peripheral.powered = true;
    if (&peripheral == &m_modem)
        m_modemError.clear();
    setState(peripheral, peripheral.readyState);
    return 0;
}

int ModemModule::powerOff(Peripheral &peripheral)
{
    peripheral.link.close();
    peripheral.powered = false;
    setState(peripheral, peripheral.offState);
    return 0;
}

int ModemModule::open(Peripheral &peripheral, const Request &request)
{
    const QString name = QString::fromUtf8(peripheral.name);
    if (!peripheral.powered)
        return device().fail(peripheral.poweredOff, QStringLiteral("%1: сначала включите питание").arg(name));
    if (peripheral.link.isOpen()) {
        return device().fail(Code::ChannelAlreadyOpen,
                             QStringLiteral("%1 уже соединен с %2").arg(name, peripheral.link.peer()));
    }
    if (!checkRange(device(), request.modeName, request.mode, 0, 2,
                    QStringLiteral("0 выключен, 1 синхронно, 2 асинхронно"))
        || !checkRange(device(), request.typeName, request.type, 1, 2, QStringLiteral("1 TCP/IP, 2 UDP"))
        || !checkRange(device(), request.portName, request.port, 1, 65535))
        return -1;
    if (request.mode == 0) {
        return device().fail(Code::ExchangeModeOff,
                             QStringLiteral("%1 = 0: выберите синхронный (1) или асинхронный (2) обмен")
                                 .arg(QLatin1String(request.modeName)));
    }
    const QString address = request.address.trimmed();
    if (address.isEmpty())
        return device().fail(Code::InvalidValue, QStringLiteral("%1: адрес не задан").arg(QLatin1String(request.addressName)));

    setState(peripheral, peripheral.connectingState);
    NetLink::Failure failure;
    const auto type = request.type == 1 ? NetLink::Type::Tcp : NetLink::Type::Udp;
    if (!peripheral.link.open(address, request.port, type, device().settings().connectionTimeout(), &failure)) {
        setState(peripheral, peripheral.readyState);
        return linkFailed(peripheral, failure, QStringLiteral("%1: соединение с %2").arg(name, peripheral.link.peer()));
    }
    if (&peripheral == &m_modem) {
        m_modemMode = request.mode;
        m_modemError.clear();
    }
    setState(peripheral, peripheral.connectedState);
    return 0;
}

int ModemModule::close(Peripheral &peripheral)
{
    const QString name = QString::fromUtf8(peripheral.name);
    if (!peripheral.powered)
        return device().fail(peripheral.poweredOff, QStringLiteral("%1 выключен").arg(name));
    if (!peripheral.link.isOpen())
        return device().fail(Code::ChannelNotOpen, QStringLiteral("%1: соединение не открыто").arg(name));
    peripheral.link.close();
    setState(peripheral, peripheral.readyState);
    return 0;
}

int ModemModule::status(Peripheral &peripheral)
{
    if (peripheral.link.isOpen() && peripheral.link.peerClosed()) {
        if (&peripheral == &m_modem)
            m_modemError = QStringLiteral("%1: соединение закрыто другой стороной").arg(peripheral.link.peer());
        dropped(peripheral);
    }
    setState(peripheral, peripheral.state);
    return 0;
}

void ModemModule::dropped(Peripheral &peripheral)
{
    peripheral.link.close();
    setState(peripheral, peripheral.powered ? peripheral.readyState : peripheral.offState);
}

int ModemModule::requireOpen(Peripheral &peripheral, const char *action)
{
    if (!peripheral.powered) {
        return device().fail(peripheral.poweredOff,
                             QStringLiteral("%1: сначала включите питание").arg(QLatin1String(action)));
    }
    if (!peripheral.link.isOpen()) {
        return device().fail(Code::ChannelNotOpen,
                             QStringLiteral("%1: сначала откройте соединение").arg(QLatin1String(action)));
    }
    return 0;
}

int ModemModule::linkFailed(Peripheral &peripheral, const NetLink::Failure &failure, const QString &what)
{
    const QString detail = QStringLiteral("%1: %2").arg(what, failure.message);
    if (failure.code == Code::ConnectionClosed || failure.code == Code::ConnectionRefused) {
        if (peripheral.link.isOpen())
            dropped(peripheral);
    }
    if (&peripheral == &m_modem) {
        m_modemError = detail;
        publishModem();
    }
    return device().fail(failure.code, detail);
}

int ModemModule::writeModem()
{
    if (requireOpen(m_modem, "WriteModem") < 0)
        return -1;
    QByteArray bytes;
    QString error;
    if (!bytesFromText(device().props().CommandBuffer, &bytes, &error))
        return device().fail(Code::InvalidCommandBuffer, QStringLiteral("CommandBuffer: %1").arg(error));
    if (bytes.isEmpty())
        return device().fail(Code::InvalidCommandBuffer, QStringLiteral("CommandBuffer: нечего отправлять"));
    NetLink::Failure failure;
    const QString peer = m_modem.link.peer();
    if (!m_modem.link.send(bytes, device().settings().connectionTimeout(), &failure))
        return linkFailed(m_modem, failure, QStringLiteral("Отправка на %1").arg(peer));
    return 0;
}

int ModemModule::readModem()
{
    PropertyStore &p = device().props();
    p.AnswerBuffer.clear();
    if (requireOpen(m_modem, "ReadModem") < 0 || !checkRange(device(), "ReadSize", p.ReadSize, 1, kMaxReadSize))
        return -1;
    // Synchronous exchange waits for the whole answer, asynchronous takes
    // what has come.
    const int wait = m_modemMode == 1 ? device().settings().connectionTimeout() : 0;
    QByteArray bytes;
    NetLink::Failure failure;
    const QString peer = m_modem.link.peer();
    if (!m_modem.link.receive(p.ReadSize, wait, &bytes, &failure)) {
        if (m_modemMode == 2 && failure.code == Code::ChannelTimeout)
            return 0; // nothing has come yet: an empty answer
        return linkFailed(m_modem, failure, QStringLiteral("Прием от %1").arg(peer));
    }
    p.AnswerBuffer = textFromBytes(bytes);
    return 0;
}

} // namespace vreg
