#pragma once

// The virtual register's live tape window, as a test finds it among the
// application's windows.

#include <QApplication>
#include <QWidget>

namespace vregtest {

// The tape window while it is shown; null when there is none.
inline QWidget *tapeWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("VirtualRegisterTape") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace vregtest
