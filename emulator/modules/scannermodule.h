#pragma once

// The barcode scanner attached to the register. Switched on (ScannerEnabled
// 1, with the caller's ScannerCallback), the register listens on 127.0.0.1
// at the ScannerPort setting; every line a client sends is one scan, handed
// to the callback from the listener's own thread. Switching it off,
// disconnecting or releasing the driver object stops the thread and closes
// the port. Run-time state only.

#include "core/module.h"

#include <QByteArray>

#include <atomic>
#include <functional>
#include <thread>

namespace vreg {

// A TCP listener on 127.0.0.1 with a thread of its own, cutting what its
// clients send into lines.
class LineListener
{
public:
    using Deliver = std::function<void(const QByteArray &line)>;

    LineListener() = default;
    ~LineListener();
    LineListener(const LineListener &) = delete;
    LineListener &operator=(const LineListener &) = delete;

    // Binds the port and starts the thread; false with errno's value in
    // `error` when the port cannot be had.
    bool start(int port, Deliver deliver, int *error);
    // Stops the thread and closes the port and every client connection.
    void stop();
    bool running() const { return m_thread.joinable(); }
    int port() const { return m_port; }

private:
    void run();

    Deliver m_deliver;
    std::thread m_thread;
    int m_listenFd = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    int m_port = 0;
};

class ScannerModule : public Module
{
public:
    explicit ScannerModule(DeviceContext &device);
    ~ScannerModule() override;
    void registerActions(ActionRegistry &registry) override;
    void disconnected() override;

private:
    int onEnabledWritten();

    LineListener m_listener;
};

} // namespace vreg
