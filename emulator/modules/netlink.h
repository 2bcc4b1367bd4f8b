#pragma once

// One network connection of a peripheral (the modem, the Wi-Fi module):
// a plain socket with deadlines, no event loop and no thread of its own, so
// it works from whatever thread the caller's action runs on.

#include "core/resultcodes.h"

#include <QByteArray>
#include <QString>

namespace vreg {

class NetLink
{
public:
    enum class Type { Tcp = 1, Udp = 2 };

    struct Failure
    {
        Code code = Code::Ok;
        QString message; // the system's message
    };

    NetLink() = default;
    ~NetLink();
    NetLink(const NetLink &) = delete;
    NetLink &operator=(const NetLink &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // "host:port (TCP)", for details.
    QString peer() const { return m_peer; }

    // Connects within timeoutMs: a TCP connection, or a UDP socket whose
    // datagrams go to and come from that address only.
    bool open(const QString &host, int port, Type type, int timeoutMs, Failure *failure);
    // Sends all the bytes (one datagram over UDP) within timeoutMs.
    bool send(const QByteArray &bytes, int timeoutMs, Failure *failure);
    // Up to `max` received bytes, waiting at most waitMs for all of them (0:
    // what has arrived). Fewer bytes when the time ran out or the other side
    // closed after sending them; none at all is a failure (a timeout, a
    // closed connection, a refused datagram).
    bool receive(int max, int waitMs, QByteArray *bytes, Failure *failure);
    // Whether the other side has closed a TCP connection (received bytes
    // not yet read do not count); never waits.
    bool peerClosed();
    void close();

private:
    // Reads what the socket holds into m_pending, waiting up to waitMs for
    // the first bytes. False on a failure or a closed connection with
    // nothing pending.
    bool fill(int max, int waitMs, Failure *failure);

    int m_fd = -1;
    Type m_type = Type::Tcp;
    QString m_peer;
    QByteArray m_pending;   // received, not yet read
    bool m_closed = false;  // the other side closed the connection
};

} // namespace vreg
