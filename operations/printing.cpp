// Printing free text, formatted fields and service documents, paper cuts,
// and one field of a device table read and written by its coordinates.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "commandframe.h"

#include "exception.h"
#include "scopedlocker.h"

using namespace CommandFrame;

void FptrMainWindow::on_pbtnPrintText_clicked()
{
    run(this, [this] {
        setInt(&IFptr::TextWrap, cmbData(ui->cmbTextWrap));
        setInt(&IFptr::Alignment, cmbData(ui->cmbTextAlignment));
        setBuff(&IFptr::Caption, ecrText(ui->leText->text()));
        execMethod(&IFptr::PrintText);
    });
}

void FptrMainWindow::on_pbtnPrintHeader_clicked()
{
    run(this, [this] { execMethod(&IFptr::PrintHeader); });
}

void FptrMainWindow::on_pbtnPrintFooter_clicked()
{
    run(this, [this] {
        execMethod(&IFptr::PrintFooter);
        // The footer closes the document on the device, which changes the
        // receipt state shown on the right.
        updateDeviceInfo();
    });
}

void FptrMainWindow::on_pbtnContinuePrint_clicked()
{
    // Short enough for the GUI thread, but the window must not take another
    // command while the device finishes the interrupted document.
    ScopedLocker locker(this, false);
    run(this, [this] { execMethod(&IFptr::ContinuePrint); });
}

void FptrMainWindow::on_pbtnAddField_clicked()
{
    // Only the style flags belong to one field; wrapping, alignment, double
    // width and the tape fonts apply to the whole formatted text and are
    // sent when it is printed.
    run(this, [this] {
        setInt(&IFptr::TestMode, flag(ui->cbTextFieldTestMode->isChecked()));
        setInt(&IFptr::FontNegative, flag(ui->cbFontNegative->isChecked()));
        setInt(&IFptr::FontUnderline, flag(ui->cbFontUnderline->isChecked()));
        setInt(&IFptr::FontBold, flag(ui->cbFontBold->isChecked()));
        setBuff(&IFptr::Caption, ecrText(ui->leFieldText->text()));
        execMethod(&IFptr::AddField);
    });
}

void FptrMainWindow::on_pbtnPrintFormattedText_clicked()
{
    run(this, [this] {
        setInt(&IFptr::TestMode, flag(ui->cbTextFieldTestMode->isChecked()));
        setInt(&IFptr::TextWrap, cmbData(ui->cmbFmtTextWrap));
        setInt(&IFptr::Alignment, cmbData(ui->cmbFmtTextAlignment));
        setInt(&IFptr::FontNegative, flag(ui->cbFontNegative->isChecked()));
        setInt(&IFptr::FontUnderline, flag(ui->cbFontUnderline->isChecked()));
        setInt(&IFptr::FontBold, flag(ui->cbFontBold->isChecked()));
        setInt(&IFptr::FontDblWidth, flag(ui->cbFontDblWidth->isChecked()));
        setInt(&IFptr::PrintPurpose, cmbData(ui->cmbPrintPurpose));
        setInt(&IFptr::ChequeTapeFont, ui->spinCQFontIndex->value());
        setInt(&IFptr::ChequeTapeFontHeight, cmbData(ui->cmbCQFontHeight));
        setInt(&IFptr::ChequeTapeBrightness, ui->spinCQFontBrightness->value());
        setInt(&IFptr::ChequeTapeLineSpacing, ui->spinCQFontLinespacing->value());
        setInt(&IFptr::ControlTapeFont, ui->spinCRFontIndex->value());
        setInt(&IFptr::ControlTapeFontHeight, cmbData(ui->cmbCRFontHeight));
        setInt(&IFptr::ControlTapeBrightness, ui->spinCRFontBrightness->value());
        setInt(&IFptr::ControlTapeLineSpacing, ui->spinCRFontLinespacing->value());
        setBuff(&IFptr::Caption, ecrText(ui->leFieldText->text()));
        execMethod(&IFptr::PrintFormattedText);
    });
}

void FptrMainWindow::on_pbtnNewDocument_clicked()
{
    run(this, [this] {
        setInt(&IFptr::Mode, cmbData(ui->cmbMode));
        setBuff(&IFptr::Password, ui->lePassword->text());
        execMethod(&IFptr::NewDocument);
    });
}

void FptrMainWindow::on_pbtnPrintLastCheckCopy_clicked()
{
    ScopedLocker locker(this, true);
    run(this, [this] { execMethodAsync(&IFptr::PrintLastCheckCopy); });
}

void FptrMainWindow::on_pbtnDemoPrint_clicked()
{
    ScopedLocker locker(this, true);
    run(this, [this] {
        setInt(&IFptr::PrintPurpose, cmbData(ui->cmbDemoPrintPurpose));
        execMethodAsync(&IFptr::DemoPrint);
    });
}

void FptrMainWindow::on_pbtnPartialCut_clicked()
{
    run(this, [this] { execMethod(&IFptr::PartialCut); });
}

void FptrMainWindow::on_pbtnFullCut_clicked()
{
    run(this, [this] { execMethod(&IFptr::FullCut); });
}

void FptrMainWindow::on_pbtnSetField_clicked()
{
    run(this, [this] {
        setInt(&IFptr::Table, ui->spinTableNumber->value());
        setInt(&IFptr::Row, ui->spinRowNumber->value());
        setInt(&IFptr::Field, ui->spinFieldNumber->value());
        setInt(&IFptr::FieldType, cmbData(ui->cmbFieldType));
        setBuff(&IFptr::Caption, ecrText(ui->leFieldValue->text()));
        execMethod(&IFptr::SetField);
    });
}

void FptrMainWindow::on_pbtnGetField_clicked()
{
    try {
        setInt(&IFptr::Table, ui->spinTableNumber->value());
        setInt(&IFptr::Row, ui->spinRowNumber->value());
        setInt(&IFptr::Field, ui->spinFieldNumber->value());
        setInt(&IFptr::FieldType, cmbData(ui->cmbFieldType));
        execMethod(&IFptr::GetField);
        ui->leFieldValue->setText(driverText(getBuff(&IFptr::Caption)));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        // Nothing was asked of any device: the old value stays for reuse.
        setError(e.what());
    } catch (const std::exception &e) {
        // The device answered with an error: whatever the field shows is no
        // longer what the device holds.
        ui->leFieldValue->setText(QString());
        setError(e.what());
    }
}
