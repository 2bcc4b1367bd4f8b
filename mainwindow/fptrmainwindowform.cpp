#include "fptrmainwindowform.h"

namespace {

struct PageForm
{
    QWidget *Ui_FptrMainWindow::*page;
    void (*setup)(FptrMainWindowForm *form, QWidget *page);
};

// A page member of the main form, and the generated form that fills it.
#define FPTR_PAGE_FORM(member, Form)                                                              \
    PageForm                                                                                       \
    {                                                                                              \
        &Ui_FptrMainWindow::member,                                                                \
            [](FptrMainWindowForm *form, QWidget *page) { form->Ui_##Form::setupUi(page); }        \
    }

const PageForm pageForms[] = {
    FPTR_PAGE_FORM(tabDiscounts, TabDiscounts),
    FPTR_PAGE_FORM(tabSumm, TabSumm),
    FPTR_PAGE_FORM(tabReports, TabReports),
    FPTR_PAGE_FORM(pagePrint, PagePrint),
    FPTR_PAGE_FORM(pageFiscalEKLZ, PageFiscalEKLZ),
    FPTR_PAGE_FORM(pageFN, PageFN),
    FPTR_PAGE_FORM(pageProgramming, PageProgramming),
    FPTR_PAGE_FORM(pageRegisters, PageRegisters),
    FPTR_PAGE_FORM(pageQueries, PageQueries),
    FPTR_PAGE_FORM(pageDataReports, PageDataReports),
    FPTR_PAGE_FORM(pageLowLevel, PageLowLevel),
    FPTR_PAGE_FORM(pageService, PageService),
    FPTR_PAGE_FORM(pagePeripherials, PagePeripherials),
    FPTR_PAGE_FORM(pageSD, PageSD),
    FPTR_PAGE_FORM(pageExternalDevices, PageExternalDevices),
};

#undef FPTR_PAGE_FORM

} // namespace

bool FptrMainWindowForm::setupPage(QWidget *page)
{
    if (!page || m_setUpPages.contains(page))
        return false;
    for (const PageForm &form : pageForms) {
        if (this->*form.page == page) {
            m_setUpPages.append(page);
            form.setup(this, page);
            return true;
        }
    }
    return false;
}

bool FptrMainWindowForm::isPageSetUp(const QWidget *page) const
{
    if (m_setUpPages.contains(page))
        return true;
    for (const PageForm &form : pageForms) {
        if (this->*form.page == page)
            return false;
    }
    return page != nullptr;
}

void FptrMainWindowForm::setupAll(QMainWindow *window)
{
    setupFrame(window);
    for (QWidget *page : ownFormPages())
        setupPage(page);
}

QList<QWidget *> FptrMainWindowForm::ownFormPages() const
{
    QList<QWidget *> pages;
    for (const PageForm &form : pageForms)
        pages.append(this->*form.page);
    return pages;
}
