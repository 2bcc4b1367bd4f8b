// Correction-receipt positions and fiscal data items (tagged properties)
// attached to a position or receipt, or written to and read from the fiscal
// storage.

#include "registration.h"

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

using namespace Registration;
using IFptr = FptrMainWindow::IFptr;

namespace {

// The buyer's e-mail or phone number goes out as item 1008, a printed string.
constexpr int BuyerAddressTag = 1008;
constexpr int StringValueType = 5;

} // namespace

// ---- correction receipts: a correction has no printing, piece or rate-only
// options of its own, so those check boxes are left out.

void FptrMainWindow::on_pbtnCorrection_clicked()
{
    registerPosition(*this, *ui, CorrectionPosition, &IFptr::Correction, true);
}

void FptrMainWindow::on_pbtnReturnCorrection_clicked()
{
    registerPosition(*this, *ui, CorrectionPosition, &IFptr::ReturnCorrection, true);
}

void FptrMainWindow::on_pbtnBuyCorrection_clicked()
{
    registerPosition(*this, *ui, CorrectionPosition, &IFptr::BuyCorrection, true);
}

void FptrMainWindow::on_pbtnBuyReturnCorrection_clicked()
{
    registerPosition(*this, *ui, CorrectionPosition, &IFptr::BuyReturnCorrection, true);
}

// ---- fiscal data items (values are data: no print-mark conversion)

void FptrMainWindow::on_pbtnAddFiscalProperty_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::FiscalPropertyNumber, ui->spinPosFiscalPropertyNumber->value());
        setInt(&IFptr::FiscalPropertyPrint, flag(ui->cbPosFiscalPropertyPrint->isChecked()));
        setInt(&IFptr::FiscalPropertyType, cmbData(ui->cmbPosFiscalPropertyType));
        setBuff(&IFptr::FiscalPropertyValue, ui->lePosFiscalPropertyValue->text());
        execMethod(&IFptr::AddFiscalProperty);
    });
}

void FptrMainWindow::on_pbtnResetFiscalProperties_clicked()
{
    run(*this, [this] { execMethod(&IFptr::ResetFiscalProperties); });
}

void FptrMainWindow::on_pbtnRecWriteFiscalProperty_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::FiscalPropertyNumber, BuyerAddressTag);
        setInt(&IFptr::FiscalPropertyPrint, 1);
        setInt(&IFptr::FiscalPropertyType, StringValueType);
        setBuff(&IFptr::FiscalPropertyValue, ui->leUserAddressFiscalProperty->text());
        execMethod(&IFptr::WriteFiscalProperty);
    });
}

void FptrMainWindow::on_pbtnWriteFiscalProperty_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::FiscalPropertyNumber, ui->spinFiscalPropertyNumber->value());
        setInt(&IFptr::FiscalPropertyPrint, flag(ui->cbFiscalPropertyPrint->isChecked()));
        setInt(&IFptr::FiscalPropertyType, cmbData(ui->cmbFiscalPropertyType));
        setBuff(&IFptr::FiscalPropertyValue, ui->leFiscalPropertyValue->text());
        setInt(&IFptr::FiscalPropertyUser, flag(ui->cbFiscalPropertyUser->isChecked()));
        execMethod(&IFptr::WriteFiscalProperty);
    });
}

void FptrMainWindow::on_pbtnReadFiscalProperty_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::FiscalPropertyType, cmbData(ui->cmbFiscalPropertyType));
        setInt(&IFptr::FiscalPropertyNumber, ui->spinFiscalPropertyNumber->value());
        execMethod(&IFptr::ReadFiscalProperty);
        ui->leFiscalPropertyValue->setText(getBuff(&IFptr::FiscalPropertyValue));
    });
}
