#pragma once

#include <QLabel>
#include <QObject>
#include <QProgressBar>

class FptrMainWindow;

// Locks the window for the duration of a long command: clears the error
// line, disables the window and shows a busy bar with a waiting text in the
// status bar. Held on the stack, so every way out of a handler unlocks.
class ScopedLocker : public QObject
{
    Q_OBJECT
public:
    ScopedLocker(FptrMainWindow *window, bool printing);
    ~ScopedLocker() override;

private:
    FptrMainWindow *m_window;
    QProgressBar m_progress;
    QLabel m_label;
};
