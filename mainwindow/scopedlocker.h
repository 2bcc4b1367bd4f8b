#pragma once

#include <QLabel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

class FptrMainWindow;

// Locks the window for the duration of a long command: clears the error
// line, disables the window and shows a busy bar with a waiting text in the
// status bar. Held on the stack, so every way out of a handler unlocks.
//
// A command that runs many driver calls in a row may be stoppable: the
// window then stays enabled while everything in it but the busy bar, its
// text and a stop button beside them is disabled, so the user can press the
// button (or Esc, or close the window) to ask the command to stop. The
// command polls stopRequested() between its calls.
class ScopedLocker : public QObject
{
    Q_OBJECT
public:
    enum Stop { NotStoppable, Stoppable };

    ScopedLocker(FptrMainWindow *window, bool printing, Stop stop = NotStoppable);
    ~ScopedLocker() override;

    bool stopRequested() const { return m_stopRequested; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void lockContents();
    void requestStop();

    FptrMainWindow *m_window;
    QProgressBar m_progress;
    QLabel m_label;
    QPushButton m_stop;
    bool m_stoppable;
    bool m_stopRequested = false;
    // Widgets a stoppable lock disabled, to be enabled again.
    QList<QPointer<QWidget>> m_disabled;
};
