#include "modules/netlink.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace vreg {

namespace {

using Clock = std::chrono::steady_clock;

QString systemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

NetLink::Failure failureOf(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return {Code::ConnectionRefused, systemMessage(error)};
    case ETIMEDOUT:
        return {Code::ChannelTimeout, systemMessage(error)};
    case EPIPE:
    case ECONNRESET:
        return {Code::ConnectionClosed, systemMessage(error)};
    default:
        return {Code::NetworkError, systemMessage(error)};
    }
}

// Milliseconds left until `deadline`, never negative.
int remaining(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for `events` on the socket until the deadline; EINTR does not end the
// wait. The poll result: >0 ready, 0 time out, <0 error (errno).
int waitFor(int fd, short events, Clock::time_point deadline, short *revents = nullptr)
{
    for (;;) {
        pollfd item{fd, events, 0};
        const int result = ::poll(&item, 1, remaining(deadline));
        if (result < 0 && errno == EINTR)
            continue;
        if (revents)
            *revents = item.revents;
        return result;
    }
}

// Connects one address within the deadline; the socket or -1 with errno set.
int connectOne(const addrinfo *address, Clock::time_point deadline)
{
    const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address->ai_protocol);
    if (fd < 0)
        return -1;
    if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0)
        return fd;
    int error = errno;
    if (error == EINPROGRESS) {
        const int ready = waitFor(fd, POLLOUT, deadline);
        if (ready > 0) {
            socklen_t length = sizeof(error);
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0)
                error = errno;
            if (error == 0)
                return fd;
        } else {
            error = ready == 0 ? ETIMEDOUT : errno;
        }
    }
    ::close(fd);
    errno = error;
    return -1;
}

} // namespace

NetLink::~NetLink()
{
    close();
}

void NetLink::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
    m_closed = false;
}

bool NetLink::open(const QString &host, int port, Type type, int timeoutMs, Failure *failure)
{
    close();
    m_type = type;
    m_peer = QStringLiteral("%1:%2 (%3)").arg(host).arg(port).arg(type == Type::Tcp ? QStringLiteral("TCP")
                                                                                    : QStringLiteral("UDP"));
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type == Type::Tcp ? SOCK_STREAM : SOCK_DGRAM;
    addrinfo *found = nullptr;
    const QByteArray name = host.toUtf8();
    const QByteArray service = QByteArray::number(port);
    const int resolved = ::getaddrinfo(name.constData(), service.constData(), &hints, &found);
    if (resolved != 0) {
        const QString message = resolved == EAI_SYSTEM ? systemMessage(errno)
                                                       : QString::fromLocal8Bit(::gai_strerror(resolved));
        *failure = {Code::HostNotFound, message};
        return false;
    }
    int error = ENETUNREACH;
    for (const addrinfo *address = found; address; address = address->ai_next) {
        const int fd = connectOne(address, deadline);
        if (fd >= 0) {
            m_fd = fd;
            break;
        }
        error = errno;
        if (error == ETIMEDOUT)
            break;
    }
    ::freeaddrinfo(found);
    if (m_fd < 0) {
        *failure = failureOf(error);
        return false;
    }
    return true;
}

bool NetLink::send(const QByteArray &bytes, int timeoutMs, Failure *failure)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    qsizetype sent = 0;
    do {
        const ssize_t n = ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n >= 0) {
            sent += n;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            *failure = failureOf(errno);
            return false;
        }
        const int ready = waitFor(m_fd, POLLOUT, deadline);
        if (ready <= 0) {
            *failure = failureOf(ready == 0 ? ETIMEDOUT : errno);
            return false;
        }
    } while (sent < bytes.size());
    return true;
}

bool NetLink::fill(int max, int waitMs, Failure *failure)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    char buffer[65536];
    while (m_pending.size() < max && !m_closed) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n > 0) {
            m_pending.append(buffer, n);
            continue;
        }
        if (n == 0) {
            // A TCP end of stream; an empty datagram carries nothing.
            if (m_type == Type::Tcp)
                m_closed = true;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            const int error = errno;
            if (!m_pending.isEmpty())
                return true;
            *failure = failureOf(error);
            return false;
        }
        if (remaining(deadline) == 0)
            break;
        const int ready = waitFor(m_fd, POLLIN, deadline);
        if (ready < 0) {
            *failure = failureOf(errno);
            return false;
        }
        if (ready == 0)
            break;
    }
    if (!m_pending.isEmpty())
        return true;
    *failure = m_closed ? Failure{Code::ConnectionClosed, QStringLiteral("соединение закрыто")}
                        : Failure{Code::ChannelTimeout, QStringLiteral("нет данных за %1 мс").arg(waitMs)};
    return false;
}

bool NetLink::receive(int max, int waitMs, QByteArray *bytes, Failure *failure)
{
    if (!fill(max, waitMs, failure))
        return false;
    *bytes = m_pending.left(max);
    m_pending.remove(0, bytes->size());
    return true;
}

bool NetLink::peerClosed()
{
    if (m_fd < 0 || m_type != Type::Tcp)
        return false;
    if (m_closed)
        return m_pending.isEmpty();
    // Peeks without taking anything: 0 bytes is the end of the stream.
    char byte = 0;
    const ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        return m_pending.isEmpty();
    return false;
}

} // namespace vreg
