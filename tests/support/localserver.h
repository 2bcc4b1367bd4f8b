#pragma once

// Small servers on 127.0.0.1 for the tests of the register's modem and
// scanner: each binds an ephemeral port, runs on a thread of its own and
// stops when destroyed. Nothing here reaches beyond this machine.

#include <QByteArray>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace localserver {

// A socket of `type` bound to 127.0.0.1 at `port` (0: any free one); -1 on
// failure.
inline int bound(int type, int port = 0)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline int portOf(int fd)
{
    sockaddr_in address = {};
    socklen_t length = sizeof(address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

// A port that was free a moment ago and has nobody listening on it.
inline int freePort()
{
    const int fd = bound(SOCK_STREAM);
    const int port = fd >= 0 ? portOf(fd) : 0;
    if (fd >= 0)
        ::close(fd);
    return port;
}

// Connects to 127.0.0.1:port; the socket, or -1 (a refused connection).
inline int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool accepts(int port)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Sends bytes to 127.0.0.1:port over one TCP connection, then closes it.
inline bool sendTo(int port, const QByteArray &bytes)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return false;
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    ::close(fd);
    return sent == bytes.size();
}

// A server answering what it gets: over TCP each connection in turn gets its
// bytes back until it closes (or, with `hangUp`, is closed at once after
// being accepted); over UDP each datagram goes back to its sender. With
// `silent` it accepts (TCP) or receives (UDP) and never answers.
class EchoServer
{
public:
    enum Behaviour { Echo, Silent, HangUp };

    explicit EchoServer(int type, Behaviour behaviour = Echo)
        : m_type(type)
        , m_behaviour(behaviour)
    {
        m_fd = bound(type);
        if (m_fd < 0 || (type == SOCK_STREAM && ::listen(m_fd, 8) < 0) || ::pipe(m_wake) < 0)
            return;
        m_port = portOf(m_fd);
        m_thread = std::thread([this] { run(); });
    }
    ~EchoServer()
    {
        if (m_thread.joinable()) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
            m_thread.join();
        }
        for (int fd : {m_fd, m_wake[0], m_wake[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    EchoServer(const EchoServer &) = delete;
    EchoServer &operator=(const EchoServer &) = delete;

    int port() const { return m_port; }
    bool ok() const { return m_port > 0; }

private:
    // Waits for `fd` to be readable; false when the server is stopping.
    bool wait(int fd)
    {
        pollfd items[2] = {{m_wake[0], POLLIN, 0}, {fd, POLLIN, 0}};
        while (::poll(items, 2, -1) < 0 && errno == EINTR) {
        }
        return !items[0].revents;
    }

    void run()
    {
        char buffer[65536];
        if (m_type == SOCK_DGRAM) {
            while (wait(m_fd)) {
                sockaddr_in from = {};
                socklen_t length = sizeof(from);
                const ssize_t n = ::recvfrom(m_fd, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr *>(&from),
                                             &length);
                if (n > 0 && m_behaviour == Echo)
                    ::sendto(m_fd, buffer, size_t(n), 0, reinterpret_cast<sockaddr *>(&from), length);
            }
            return;
        }
        while (wait(m_fd)) {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                continue;
            if (m_behaviour == HangUp) {
                ::close(client);
                continue;
            }
            while (wait(client)) {
                const ssize_t n = ::recv(client, buffer, sizeof(buffer), 0);
                if (n <= 0)
                    break;
                if (m_behaviour == Echo)
                    ::send(client, buffer, size_t(n), MSG_NOSIGNAL);
            }
            ::close(client);
        }
    }

    int m_type;
    Behaviour m_behaviour;
    int m_fd = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    std::thread m_thread;
};

} // namespace localserver
