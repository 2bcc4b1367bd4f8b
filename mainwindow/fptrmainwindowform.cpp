#include "fptrmainwindowform.h"

namespace {

struct PageForm
{
    QWidget *Ui_FptrMainWindow::*page;
    void (*setup)(FptrMainWindowForm *form, QWidget *page);
};

#define FPTR_PAGE_FORM(Page)                                                                       \
    PageForm                                                                                       \
    {                                                                                              \
        &Ui_FptrMainWindow::page##Page,                                                            \
            [](FptrMainWindowForm *form, QWidget *page) { form->Ui_Page##Page::setupUi(page); }    \
    }

const PageForm pageForms[] = {
    FPTR_PAGE_FORM(Print),        FPTR_PAGE_FORM(FiscalEKLZ),  FPTR_PAGE_FORM(FN),
    FPTR_PAGE_FORM(Programming),  FPTR_PAGE_FORM(Registers),   FPTR_PAGE_FORM(Queries),
    FPTR_PAGE_FORM(DataReports),  FPTR_PAGE_FORM(LowLevel),    FPTR_PAGE_FORM(Service),
    FPTR_PAGE_FORM(Peripherials), FPTR_PAGE_FORM(SD),          FPTR_PAGE_FORM(ExternalDevices),
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
