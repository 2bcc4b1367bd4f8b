#pragma once

// The frame every command handler shares: the first failure (no device, a
// driver error) ends the command and goes to the error line; success clears
// the error line.

#include "fptrmainwindow.h"

#include <exception>

namespace CommandFrame {

// A check box as the driver takes it.
inline int flag(bool checked)
{
    return checked ? 1 : 0;
}

template <class Command>
void run(FptrMainWindow *window, Command command)
{
    try {
        command();
        window->resetError();
    } catch (const std::exception &e) {
        window->setError(e.what());
    }
}

// An action without inputs or results, run on the GUI thread.
inline void runAction(FptrMainWindow *window, int (FptrMainWindow::IFptr::*action)())
{
    run(window, [&] { window->execMethod(action); });
}

} // namespace CommandFrame
