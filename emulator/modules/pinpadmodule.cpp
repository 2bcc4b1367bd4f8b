#include "modules/pinpadmodule.h"

#include "core/bytetext.h"
#include "core/device.h"
#include "modules/checks.h"

namespace vreg {

namespace {

constexpr int kMaxReadSize = 1024 * 1024;
// Answers nobody reads are dropped beyond this, oldest first.
constexpr int kMaxPending = 1024 * 1024;

} // namespace

void PinPadModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::PowerOnPinPad, Subject::PinPad, [this] { return powerOn(); });
    registry.add(Action::PowerOffPinPad, Subject::PinPad, [this] { return powerOff(); });
    registry.add(Action::OpenPinPad, Subject::PinPad, [this] { return open(); });
    registry.add(Action::ClosePinPad, Subject::PinPad, [this] { return close(); });
    registry.add(Action::WritePinPad, Subject::PinPad, [this] { return write(); });
    registry.add(Action::ReadPinPad, Subject::PinPad, [this] { return read(); });
}

void PinPadModule::disconnected()
{
    m_powered = false;
    m_open = false;
    m_answer.clear();
}

int PinPadModule::powerOn()
{
    m_powered = true;
    return 0;
}

int PinPadModule::powerOff()
{
    m_powered = false;
    m_open = false;
    m_answer.clear();
    return 0;
}

int PinPadModule::open()
{
    const int mode = device().props().PinPadMode;
    if (!m_powered)
        return device().fail(Code::PinPadPoweredOff, QStringLiteral("OpenPinPad: сначала включите питание"));
    if (m_open)
        return device().fail(Code::ChannelAlreadyOpen, QStringLiteral("Порт пин-пада уже открыт"));
    if (!checkRange(device(), "PinPadMode", mode, 0, 2, QStringLiteral("0 выключен, 1 синхронно, 2 асинхронно")))
        return -1;
    if (mode == 0) {
        return device().fail(Code::ExchangeModeOff,
                             QStringLiteral("PinPadMode = 0: выберите синхронный (1) или асинхронный (2) обмен"));
    }
    m_mode = mode;
    m_open = true;
    m_answer.clear();
    return 0;
}

int PinPadModule::close()
{
    if (!m_powered)
        return device().fail(Code::PinPadPoweredOff, QStringLiteral("Пин-пад выключен"));
    if (!m_open)
        return device().fail(Code::ChannelNotOpen, QStringLiteral("Порт пин-пада не открыт"));
    m_open = false;
    m_answer.clear();
    return 0;
}

int PinPadModule::requireOpen(const char *action)
{
    if (!m_powered)
        return device().fail(Code::PinPadPoweredOff,
                             QStringLiteral("%1: сначала включите питание").arg(QLatin1String(action)));
    if (!m_open)
        return device().fail(Code::ChannelNotOpen,
                             QStringLiteral("%1: сначала откройте порт").arg(QLatin1String(action)));
    return 0;
}

int PinPadModule::write()
{
    if (requireOpen("WritePinPad") < 0)
        return -1;
    QByteArray command;
    QString error;
    if (!bytesFromText(device().props().CommandBuffer, &command, &error))
        return device().fail(Code::InvalidCommandBuffer, QStringLiteral("CommandBuffer: %1").arg(error));
    if (command.isEmpty())
        return device().fail(Code::InvalidCommandBuffer, QStringLiteral("CommandBuffer: нечего отправлять"));
    const QByteArray fixed = device().settings().pinPadAnswer();
    m_answer += fixed.isEmpty() ? command : fixed;
    if (m_answer.size() > kMaxPending)
        m_answer.remove(0, m_answer.size() - kMaxPending);
    return 0;
}

int PinPadModule::read()
{
    PropertyStore &p = device().props();
    p.AnswerBuffer.clear();
    if (requireOpen("ReadPinPad") < 0 || !checkRange(device(), "ReadSize", p.ReadSize, 1, kMaxReadSize))
        return -1;
    if (m_answer.isEmpty()) {
        // Nothing was asked, so nothing will come: waiting would only delay
        // the same answer. Asynchronous exchange simply has nothing yet.
        if (m_mode == 2)
            return 0;
        return device().fail(Code::ChannelTimeout, QStringLiteral("Пин-пад не ответил: ему ничего не отправлено"));
    }
    const QByteArray bytes = m_answer.left(p.ReadSize);
    m_answer.remove(0, bytes.size());
    p.AnswerBuffer = textFromBytes(bytes);
    return 0;
}

} // namespace vreg
