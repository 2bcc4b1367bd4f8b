#include "scopedlocker.h"

#include "fptrmainwindow.h"

#include <QCoreApplication>
#include <QStatusBar>

ScopedLocker::ScopedLocker(FptrMainWindow *window, bool printing)
    : m_window(window)
{
    m_window->resetError();
    m_window->setEnabled(false);

    QStatusBar *bar = m_window->statusBar();
    m_progress.setMaximum(0);
    m_progress.setValue(0);
    m_progress.setMaximumWidth(100);
    m_progress.setMaximumHeight(int(bar->height() * 0.75));
    // The busy bar repaints many times a second; painting its own background
    // spares the status bar and the window behind it every frame.
    m_progress.setAutoFillBackground(true);
    bar->insertWidget(0, &m_progress, 0);

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
    m_window->setEnabled(true);
}
