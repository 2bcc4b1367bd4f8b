#include "scopedlocker.h"

#include "fptrmainwindow.h"

#include <QCoreApplication>
#include <QPointer>
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
    // The busy bar repaints many times a second while the GUI thread waits:
    // it paints its own background, sparing the status bar and the window
    // behind it, and takes its look from a style whose busy animation is a
    // few plain blocks, which costs about half as much to paint every frame.
    m_progress.setAutoFillBackground(true);
    m_progress.setStyle(busyBarStyle());
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
