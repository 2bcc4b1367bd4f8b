// Receipt registration by hand: shifts, receipts, positions, payments,
// discounts, charges, taxes and cash. The handlers only copy the form into
// driver properties and run one action; totals, fiscal rules and printing are
// the device's business.

#include "registration.h"

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

using namespace Registration;
using IFptr = FptrMainWindow::IFptr;

void Registration::writePosition(FptrMainWindow &w, const FptrMainWindowForm &ui, unsigned groups)
{
    w.setInt(&IFptr::TestMode, flag(ui.cbRegistrationTestMode->isChecked()));
    if (groups & PrintCheck)
        w.setInt(&IFptr::PrintCheck, flag(ui.cbPrintCheck->isChecked()));
    w.setInt(&IFptr::CheckSumm, flag(ui.cbCheckSumm->isChecked()));
    w.setInt(&IFptr::TextWrap, w.cmbData(ui.cmbCommodityNameWrap));
    w.setBuff(&IFptr::Name, FptrMainWindow::ecrText(ui.leCommodityName->text()));
    w.setDouble(&IFptr::Quantity, ui.spinQuantity->value());
    w.setDouble(&IFptr::Price, ui.spinPrice->value());
    w.setInt(&IFptr::Department, ui.spinDepartment->value());
    if (groups & Details) {
        w.setInt(&IFptr::TaxNumber, w.cmbData(ui.cmbTaxNumber));
        w.setDouble(&IFptr::TaxSum, ui.spinTaxSum->value());
        w.setInt(&IFptr::TaxMode, w.cmbData(ui.cmbTaxMode));
        w.setInt(&IFptr::PositionType, ui.spinPositionType->value());
        w.setInt(&IFptr::PositionPaymentType, ui.spinPositionPaymentType->value());
        // A classifier code is data, not printable text: no mark conversion.
        w.setBuff(&IFptr::PositionClassifier, ui.lePositionClassifier->text());
        w.setDouble(&IFptr::PositionSum, ui.spinPositionSum->value());
        w.setDouble(&IFptr::Summ, ui.spinPositionDiscountInfo->value());
    }
    if (groups & PieceFlags) {
        w.setInt(&IFptr::Piece, flag(ui.cbPiece->isChecked()));
        w.setInt(&IFptr::UseOnlyTaxNumber, flag(ui.cbUseOnlyTaxNumber->isChecked()));
    }
}

void Registration::registerPosition(FptrMainWindow &w, const FptrMainWindowForm &ui, unsigned groups,
                                    int (IFptr::*action)(), bool refreshState)
{
    run(w, [&] {
        writePosition(w, ui, groups);
        w.execMethod(action);
        if (refreshState)
            w.updateDeviceInfo();
    });
}

namespace {

// Runs an action that changes the shift or receipt state, then reads the
// fresh status so that the state display shows what the device now says.
void runAndRefresh(FptrMainWindow &w, int (IFptr::*action)())
{
    w.execMethod(action);
    w.execMethod(&IFptr::GetStatus);
    w.updateDeviceInfo();
}

void pay(FptrMainWindow &w, FptrMainWindowForm &ui, int (IFptr::*action)())
{
    run(w, [&] {
        w.setInt(&IFptr::TestMode, flag(ui.cbRegistrationTestMode->isChecked()));
        w.setDouble(&IFptr::Summ, ui.spinPaymentSumm->value());
        w.setInt(&IFptr::PaymentType, w.cmbData(ui.cmbPaymentType));
        w.execMethod(action);
        ui.spinRemainder->setValue(w.getDouble(&IFptr::Remainder));
        ui.spinChange->setValue(w.getDouble(&IFptr::Change));
    });
}

void discountOrCharge(FptrMainWindow &w, const FptrMainWindowForm &ui, int (IFptr::*action)())
{
    run(w, [&] {
        w.setInt(&IFptr::TestMode, flag(ui.cbDiscountTestMode->isChecked()));
        w.setDouble(&IFptr::Summ, ui.spinDiscountValue->value());
        w.setInt(&IFptr::DiscountType, w.cmbData(ui.cmbDiscountType));
        w.setInt(&IFptr::Destination, w.cmbData(ui.cmbDestination));
        w.setInt(&IFptr::DiscountNumber, ui.spinDiscountNumber->value());
        w.execMethod(action);
    });
}

void moveCash(FptrMainWindow &w, const FptrMainWindowForm &ui, int (IFptr::*action)())
{
    run(w, [&] {
        w.setDouble(&IFptr::Summ, ui.spinCashSumm->value());
        w.setInt(&IFptr::TestMode, flag(ui.cbCashTestMode->isChecked()));
        w.execMethod(action);
    });
}

} // namespace

// ---- shift and receipt

void FptrMainWindow::on_pbtnOpenSession_clicked()
{
    run(*this, [this] {
        setBuff(&IFptr::Password, ui->lePassword->text());
        setBuff(&IFptr::Caption, ecrText(ui->leSessionCaption->text()));
        setInt(&IFptr::TestMode, flag(ui->cbRegistrationTestMode->isChecked()));
        runAndRefresh(*this, &IFptr::OpenSession);
    });
}

void FptrMainWindow::on_pbtnOpenCheque_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::ChequeType, cmbData(ui->cmbChequeType));
        setInt(&IFptr::TestMode, flag(ui->cbRegistrationTestMode->isChecked()));
        setInt(&IFptr::PrintCheck, flag(ui->cbPrintCheck->isChecked()));
        runAndRefresh(*this, &IFptr::OpenCheque);
    });
}

void FptrMainWindow::on_pbtnCloseCheque_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::PaymentType, cmbData(ui->cmbPaymentType));
        setInt(&IFptr::TestMode, flag(ui->cbRegistrationTestMode->isChecked()));
        runAndRefresh(*this, &IFptr::CloseCheque);
    });
}

void FptrMainWindow::on_pbtnCancelCheque_clicked()
{
    run(*this, [this] { runAndRefresh(*this, &IFptr::CancelCheque); });
}

// ---- positions

void FptrMainWindow::on_pbtnSell_clicked()
{
    registerPosition(*this, *ui, FullPosition, &IFptr::Sell, true);
}

void FptrMainWindow::on_pbtnSellReturn_clicked()
{
    registerPosition(*this, *ui, FullPosition, &IFptr::SellReturn, true);
}

void FptrMainWindow::on_pbtnBuy_clicked()
{
    registerPosition(*this, *ui, FullPosition, &IFptr::Buy, true);
}

void FptrMainWindow::on_pbtnBuyReturn_clicked()
{
    registerPosition(*this, *ui, FullPosition, &IFptr::BuyReturn, true);
}

// Storno changes only the receipt's totals, not its state: no refresh.
void FptrMainWindow::on_pbtnStorno_clicked()
{
    registerPosition(*this, *ui, StornoPosition, &IFptr::Storno, false);
}

void FptrMainWindow::on_pbtnSellAnnulate_clicked()
{
    registerPosition(*this, *ui, BasicPosition, &IFptr::SellAnnulate, true);
}

void FptrMainWindow::on_pbtnBuyAnnulate_clicked()
{
    registerPosition(*this, *ui, BasicPosition, &IFptr::BuyAnnulate, true);
}

// ---- payments

void FptrMainWindow::on_pbtnPayment_clicked()
{
    pay(*this, *ui, &IFptr::Payment);
}

void FptrMainWindow::on_pbtnStornoPayment_clicked()
{
    pay(*this, *ui, &IFptr::StornoPayment);
}

// ---- discounts, charges and taxes

void FptrMainWindow::on_pbtnDiscount_clicked()
{
    discountOrCharge(*this, *ui, &IFptr::Discount);
}

void FptrMainWindow::on_pbtnCharge_clicked()
{
    discountOrCharge(*this, *ui, &IFptr::Charge);
}

void FptrMainWindow::on_pbtnTax_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::TestMode, flag(ui->cbDiscountTestMode->isChecked()));
        setInt(&IFptr::TaxNumber, cmbData(ui->cmbReceiptTaxNumber));
        setDouble(&IFptr::Summ, ui->spinDiscountValue->value());
        setInt(&IFptr::Destination, cmbData(ui->cmbDestination));
        execMethod(&IFptr::Tax);
    });
}

// Cancelling a tax names the rate only; its scope is the device's record.
void FptrMainWindow::on_pbtnStornoTax_clicked()
{
    run(*this, [this] {
        setInt(&IFptr::TestMode, flag(ui->cbDiscountTestMode->isChecked()));
        setInt(&IFptr::TaxNumber, cmbData(ui->cmbReceiptTaxNumber));
        setDouble(&IFptr::Summ, ui->spinDiscountValue->value());
        execMethod(&IFptr::StornoTax);
    });
}

void FptrMainWindow::on_pbtnResetChargeDiscount_clicked()
{
    run(*this, [this] { execMethod(&IFptr::ResetChargeDiscount); });
}

// ---- cash

void FptrMainWindow::on_pbtnCashIncome_clicked()
{
    moveCash(*this, *ui, &IFptr::CashIncome);
}

void FptrMainWindow::on_pbtnCashOutcome_clicked()
{
    moveCash(*this, *ui, &IFptr::CashOutcome);
}

void FptrMainWindow::on_pbtnCashGetSumm_clicked()
{
    run(*this, [this] {
        execMethod(&IFptr::GetSumm);
        ui->spinCashSumm->setValue(getDouble(&IFptr::Summ));
    });
}

// ---- position sum

// The sum follows quantity and price forward only: a sum typed by hand
// stands until one of them changes, and is never turned back into a price.
void FptrMainWindow::on_spinQuantity_valueChanged(double quantity)
{
    ui->spinPositionSum->setValue(quantity * ui->spinPrice->value());
}

void FptrMainWindow::on_spinPrice_valueChanged(double price)
{
    ui->spinPositionSum->setValue(price * ui->spinQuantity->value());
}
