#include "modules/scannermodule.h"

#include "core/device.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace vreg {

namespace {

// A line longer than this without a line end is handed on as it is, so a
// client that never ends its line cannot fill the memory.
constexpr int kMaxLine = 64 * 1024;
// Clients beyond this are turned away at once.
constexpr size_t kMaxClients = 64;

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

// ---- the listener

LineListener::~LineListener()
{
    stop();
}

bool LineListener::start(int port, Deliver deliver, int *error)
{
    stop();
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    // Lets the port be taken again at once after the scanner was switched
    // off; a port someone listens on still fails with "in use".
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int pipeFds[2] = {-1, -1};
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) < 0 || ::listen(fd, 16) < 0
        || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) < 0) {
        *error = errno;
        ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    m_port = port;
    m_deliver = std::move(deliver);
    m_thread = std::thread([this] { run(); });
    return true;
}

void LineListener::stop()
{
    if (m_thread.joinable()) {
        const char byte = 1;
        while (::write(m_wakeWrite, &byte, 1) < 0 && errno == EINTR) {
        }
        if (m_thread.get_id() == std::this_thread::get_id()) {
            // A handler switching the scanner off from inside a scan: the
            // thread ends after the scan, and the next stop joins it.
            return;
        }
        m_thread.join();
    }
    closeFd(m_listenFd);
    closeFd(m_wakeRead);
    closeFd(m_wakeWrite);
    m_port = 0;
}

void LineListener::run()
{
    struct Client
    {
        int fd;
        QByteArray buffer;
    };
    std::vector<Client> clients;
    const auto hangUp = [this](Client &client) {
        if (!client.buffer.isEmpty())
            m_deliver(client.buffer); // the last line, sent without a line end
        closeFd(client.fd);
    };

    for (;;) {
        std::vector<pollfd> items;
        items.push_back({m_wakeRead, POLLIN, 0});
        items.push_back({m_listenFd, POLLIN, 0});
        for (const Client &client : clients)
            items.push_back({client.fd, POLLIN, 0});
        if (::poll(items.data(), nfds_t(items.size()), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (items[0].revents)
            break;
        // Clients first: their lines were sent before any newcomer's.
        for (size_t i = 0; i < clients.size(); ++i) {
            if (!items[i + 2].revents)
                continue;
            Client &client = clients[i];
            char buffer[8192];
            const ssize_t n = ::recv(client.fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (n <= 0) {
                hangUp(client);
                continue;
            }
            client.buffer.append(buffer, n);
            qsizetype end;
            while ((end = client.buffer.indexOf('\n')) >= 0) {
                m_deliver(client.buffer.left(end + 1));
                client.buffer.remove(0, end + 1);
            }
            if (client.buffer.size() >= kMaxLine) {
                m_deliver(client.buffer);
                client.buffer.clear();
            }
        }
        clients.erase(std::remove_if(clients.begin(), clients.end(), [](const Client &c) { return c.fd < 0; }),
                      clients.end());
        if (items[1].revents) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                if (clients.size() < kMaxClients)
                    clients.push_back({fd, QByteArray()});
                else
                    ::close(fd);
            }
        }
    }
    for (Client &client : clients)
        closeFd(client.fd);
}

// ---- the module

ScannerModule::ScannerModule(DeviceContext &device)
    : Module(device)
{
}

ScannerModule::~ScannerModule()
{
    m_listener.stop();
}

void ScannerModule::registerActions(ActionRegistry &registry)
{
    Q_UNUSED(registry);
    device().onWrite(Prop::ScannerEnabled, [this] { return onEnabledWritten(); });
}

void ScannerModule::disconnected()
{
    m_listener.stop();
    device().props().ScannerEnabled = 0;
}

int ScannerModule::onEnabledWritten()
{
    DeviceContext &d = device();
    const int enabled = d.props().ScannerEnabled;
    if (enabled == 0) {
        m_listener.stop();
        return 0;
    }
    if (enabled != 1)
        return d.fail(Code::InvalidValue, QStringLiteral("ScannerEnabled = %1: допустимо 0 или 1").arg(enabled));
    if (!kindOffers(d.kind(), Subject::Scanner)) {
        return d.fail(Code::NotSupported,
                      QStringLiteral("Сканер не поддерживается виртуальным принтером чеков"));
    }
    if (!d.connected()) {
        return d.fail(Code::NoConnection,
                      QStringLiteral("ScannerEnabled требует подключения к устройству (DeviceEnabled = 1)"));
    }
    const int port = d.settings().scannerPort();
    if (port == 0) {
        return d.fail(Code::ScannerPortNotSet,
                      QStringLiteral("Настройка ScannerPort = 0 (выключен): задайте TCP-порт сканера"));
    }
    if (!d.scannerHandler())
        return d.fail(Code::ScannerHandlerNotSet, QStringLiteral("Сначала передайте обработчик в ScannerCallback"));
    if (m_listener.running() && m_listener.port() == port)
        return 0;
    int error = 0;
    const bool started = m_listener.start(
        port,
        [&d](const QByteArray &line) {
            d.deliverScan(reinterpret_cast<const unsigned char *>(line.constData()), int(line.size()));
        },
        &error);
    if (!started) {
        const QString detail =
            QStringLiteral("127.0.0.1:%1: %2").arg(port).arg(QString::fromLocal8Bit(std::strerror(error)));
        return d.fail(error == EADDRINUSE ? Code::ScannerPortInUse : Code::ScannerPortUnavailable, detail);
    }
    return 0;
}

} // namespace vreg
