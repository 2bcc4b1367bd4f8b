#include "scopedlocker.h"

#include "fptrmainwindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>

namespace {

QStyle *busyBarStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Windows"));
        if (style)
            style->setParent(QCoreApplication::instance());
    }
    return style;
}

} // namespace

ScopedLocker::ScopedLocker(FptrMainWindow *window, bool printing, Stop stop)
    : m_window(window)
    , m_stoppable(stop == Stoppable)
{
    m_window->resetError();
    // A disabled window would disable the stop button with it: a stoppable
    // lock disables the window's contents instead.
    if (m_stoppable)
        lockContents();
    else
        m_window->setEnabled(false);

    QStatusBar *bar = m_window->statusBar();
    m_progress.setMaximum(0);
    m_progress.setValue(0);
    m_progress.setMaximumWidth(100);
    m_progress.setMaximumHeight(int(bar->height() * 0.75));
    // The busy bar repaints many times a second while the GUI thread waits:
    // it paints its own background, sparing the status bar and the window
    // behind it, and takes its look from a style whose busy animation is a
    // few plain blocks, which costs about half as much to paint every frame.
    m_progress.setAutoFillBackground(true);
    m_progress.setStyle(busyBarStyle());
    bar->insertWidget(0, &m_progress, 0);

    if (m_stoppable) {
        m_stop.setObjectName(QStringLiteral("pbtnStopCommand"));
        m_stop.setText(tr("Остановить"));
        m_stop.setToolTip(tr("Остановить чтение (Esc)"));
        m_stop.setMaximumHeight(bar->height());
        connect(&m_stop, &QPushButton::clicked, this, &ScopedLocker::requestStop);
        bar->insertWidget(1, &m_stop, 0);
        m_stop.show();
        m_stop.setFocus();
        // Esc anywhere in the window, and closing it, stop the command too.
        m_window->installEventFilter(this);
    }

    m_label.setText(printing ? tr("Идет печать...") : tr("Подождите..."));
    bar->addPermanentWidget(&m_label, 0);

    // Paint the disabled window and the indicator before the driver call
    // blocks the thread.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

ScopedLocker::~ScopedLocker()
{
    QStatusBar *bar = m_window->statusBar();
    bar->removeWidget(&m_progress);
    bar->removeWidget(&m_label);
    if (m_stoppable) {
        m_window->removeEventFilter(this);
        bar->removeWidget(&m_stop);
        for (const QPointer<QWidget> &widget : qAsConst(m_disabled)) {
            if (widget)
                widget->setEnabled(true);
        }
    } else {
        m_window->setEnabled(true);
    }
}

// Everything the user could start another command with: the window's own
// parts (central widget, docks, tool and menu bars) and whatever else sits in
// the status bar. Widgets that were disabled already stay so afterwards.
void ScopedLocker::lockContents()
{
    QList<QWidget *> widgets = m_window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QStatusBar *bar = m_window->statusBar();
    widgets.removeAll(bar);
    widgets += bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *widget : widgets) {
        if (widget->isWindow() || !widget->isEnabled())
            continue;
        widget->setEnabled(false);
        m_disabled.append(widget);
    }
}

void ScopedLocker::requestStop()
{
    m_stopRequested = true;
    m_stop.setEnabled(false);
    m_label.setText(tr("Остановка..."));
}

bool ScopedLocker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            requestStop();
            return true;
        }
        // The window closes once the command has ended; it must not go on
        // reading for a window that is gone.
        if (event->type() == QEvent::Close)
            requestStop();
    }
    return QObject::eventFilter(watched, event);
}
