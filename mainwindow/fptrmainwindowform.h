#pragma once

#include "ui_fptrmainwindow.h"
#include "ui_pagedatareports.h"
#include "ui_pageexternaldevices.h"
#include "ui_pagefiscaleklz.h"
#include "ui_pagefn.h"
#include "ui_pagelowlevel.h"
#include "ui_pageperipherials.h"
#include "ui_pageprint.h"
#include "ui_pageprogramming.h"
#include "ui_pagequeries.h"
#include "ui_pageregisters.h"
#include "ui_pagesd.h"
#include "ui_pageservice.h"
#include "ui_tabdiscounts.h"
#include "ui_tabreports.h"
#include "ui_tabsumm.h"

#include <QList>

// The window's whole form. The main form holds the frame (section column,
// device, mode and state frames, status bar) with the device list page and
// the first tab of the operations page; every further section page and
// operations tab has a form of its own, set up on its empty page of
// stackedWidgetMain or twOperations when the page is first needed, so the
// window starts without building pages nobody has opened.
//
// Members of a page that is not set up yet are null (create the form
// value-initialised: `new FptrMainWindowForm()` or `FptrMainWindowForm form{}`).
struct FptrMainWindowForm : Ui_FptrMainWindow,
                            Ui_TabDiscounts,
                            Ui_TabSumm,
                            Ui_TabReports,
                            Ui_PagePrint,
                            Ui_PageFiscalEKLZ,
                            Ui_PageFN,
                            Ui_PageProgramming,
                            Ui_PageRegisters,
                            Ui_PageQueries,
                            Ui_PageDataReports,
                            Ui_PageLowLevel,
                            Ui_PageService,
                            Ui_PagePeripherials,
                            Ui_PageSD,
                            Ui_PageExternalDevices
{
    void setupFrame(QMainWindow *window) { Ui_FptrMainWindow::setupUi(window); }
    // Sets up the page's own form; false when the page has none or has been
    // set up already.
    bool setupPage(QWidget *page);
    // True once the page can be used: pages of the main form always are.
    bool isPageSetUp(const QWidget *page) const;
    // The frame and every page (for checks of the whole form).
    void setupAll(QMainWindow *window);
    // The pages with a form of their own: operations tabs, then sections.
    QList<QWidget *> ownFormPages() const;

private:
    QList<const QWidget *> m_setUpPages;
};
