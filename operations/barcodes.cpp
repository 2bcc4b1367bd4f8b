// Barcodes: printing one now or from the device's barcode memory, and the
// memory itself (read one stored barcode back, its state, delete, clear).

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "commandframe.h"

#include "exception.h"
#include "mappings.h"
#include "scopedlocker.h"
#include "tables.h"

using namespace CommandFrame;

namespace {

// Keys of barcodeTypes with options of their own; they equal the positions
// of the types in the list and the pages of the option stack.
enum BarcodeKind {
    BarcodeEan13 = 1,
    BarcodeQr = 4,
    BarcodePdf417 = 5
};

enum BarcodeOptionPage {
    PageSimple = 0,
    PageQr = 1,
    PagePdf417 = 2
};



} // namespace

void FptrMainWindow::on_cmbBarcodeType_currentIndexChanged(int index)
{
    switch (index) {
    case BarcodeQr:
        ui->stackedWidgetBarcodes->setCurrentIndex(PageQr);
        break;
    case BarcodePdf417:
        ui->stackedWidgetBarcodes->setCurrentIndex(PagePdf417);
        break;
    default:
        ui->stackedWidgetBarcodes->setCurrentIndex(PageSimple);
        break;
    }
}

void FptrMainWindow::on_pbtnPrintBarcode_clicked()
{
    ScopedLocker locker(this, true);
    run(this, [this] {
        int printType = 2;
        if (ui->rbBarcodeSoftware->isChecked())
            printType = 0;
        else if (ui->rbBarcodeHardware->isChecked())
            printType = 1;
        setInt(&IFptr::BarcodePrintType, printType);
        setInt(&IFptr::BarcodeType, cmbData(ui->cmbBarcodeType));
        setBuff(&IFptr::Barcode, ui->leBarcode->text());
        setDouble(&IFptr::Scale, ui->spinBarcodeScale->value());
        setInt(&IFptr::Alignment, cmbData(ui->cmbBarcodeAlignment));
        setInt(&IFptr::LeftMargin, ui->spinBarcodeLeftMargine->value());
        setInt(&IFptr::BarcodeCRC, flag(ui->cbBarcodeCheckCRC->isChecked()));
        setInt(&IFptr::BarcodePrintText, flag(ui->cbBarcodePrintText->isChecked()));
        setInt(&IFptr::BarcodeDeferredPrint, flag(ui->cbBarcodeDefferedPrint->isChecked()));
        setInt(&IFptr::BottomMargin, ui->spinBarcodeBottomMargin->value());

        // Only the options of the selected type go out: the hidden pages keep
        // whatever the operator left there, and BarcodeCorrection means a
        // different thing for QR and for PDF 417.
        switch (cmbData(ui->cmbBarcodeType)) {
        case BarcodeQr:
            setInt(&IFptr::BarcodeVersion, ui->spinBarcodeQRVersion->value());
            setInt(&IFptr::BarcodeCorrection, cmbData(ui->cmbBarcodeQRCorrection));
            setInt(&IFptr::BarcodeEncoding, cmbData(ui->cmbBarcodeQREncoding));
            setInt(&IFptr::BarcodeEncodingMode, cmbData(ui->cmbBarcodeQREncodingMode));
            break;
        case BarcodePdf417:
            setInt(&IFptr::BarcodeCorrection, ui->spinBarcodePDFCorrection->value());
            setInt(&IFptr::BarcodePackingMode, cmbData(ui->cmbBarcodePDFPackingMode));
            setInt(&IFptr::BarcodeProportions, ui->spinBarcodePDFProportions->value());
            setInt(&IFptr::BarcodePixelProportions, ui->spinBarcodePDFPixelProportions->value());
            setInt(&IFptr::BarcodeRows, ui->spinBarcodePDFRows->value());
            setInt(&IFptr::BarcodeColumns, ui->spinBarcodePDFColumns->value());
            setInt(&IFptr::BarcodeUseColumns, flag(ui->cbBarcodePDFUseColumns->isChecked()));
            setInt(&IFptr::BarcodeUseRows, flag(ui->cbBarcodePDFUseRows->isChecked()));
            setInt(&IFptr::BarcodeUseProportions,
                   flag(ui->cbBarcodePDFUseProprotions->isChecked()));
            setInt(&IFptr::BarcodeUseCodewords, flag(ui->cbBarcodePDFUseCodewords->isChecked()));
            setInt(&IFptr::BarcodeUseCorrection, flag(ui->cbBarcodePDFUseCorrection->isChecked()));
            setInt(&IFptr::BarcodeInvert, flag(ui->cbBarcodePDFInvert->isChecked()));
            break;
        default:
            setInt(&IFptr::Height, ui->spinBarcodeSimpleHeight->value());
            break;
        }
        execMethodAsync(&IFptr::PrintBarcode);
    });
}

void FptrMainWindow::on_pbtnPrintBarcodeByNumber_clicked()
{
    run(this, [this] {
        setInt(&IFptr::BarcodeNumber, ui->spinBarcodeNumber->value());
        setInt(&IFptr::PrintPurpose, cmbData(ui->cmbBarcodePrintPurpose));
        execMethod(&IFptr::PrintBarcodeByNumber);
    });
}

void FptrMainWindow::on_pbtnGetBarcode_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setInt(&IFptr::BarcodeNumber, ui->spinBarcodeMemNumber->value());
        execMethodAsync(&IFptr::GetBarcode);

        // Separate statements: the text is read before the type.
        const QString barcode = getBuff(&IFptr::Barcode);
        const QString typeName = valueFromMapping(barcodeTypes, getInt(&IFptr::BarcodeType));
        QString info = tr("Штрихкод: %1 (%2)\n").arg(barcode, typeName);
        switch (getInt(&IFptr::BarcodeType)) {
        case BarcodeQr:
            info += tr("Версия: %1\n").arg(getInt(&IFptr::BarcodeVersion));
            info += tr("Коррекция: %1\n")
                        .arg(valueFromMapping(barcodeQRCorrections,
                                              getInt(&IFptr::BarcodeCorrection)));
            info += tr("Кодировка: %1\n")
                        .arg(valueFromMapping(barcodeQREncodings, getInt(&IFptr::BarcodeEncoding)));
            info += tr("Режим кодировки: %1\n")
                        .arg(valueFromMapping(barcodeQREncodingModes,
                                              getInt(&IFptr::BarcodeEncodingMode)));
            break;
        case BarcodePdf417:
            info += tr("Коррекция: %1\n").arg(getInt(&IFptr::BarcodeCorrection));
            info += tr("Режим упаковки: %1\n")
                        .arg(valueFromMapping(barcodePDFPackingMode,
                                              getInt(&IFptr::BarcodePackingMode)));
            info += tr("Пропорции ШК: %1\n").arg(getInt(&IFptr::BarcodeProportions));
            info += tr("Пропорции пиксела: %1\n").arg(getInt(&IFptr::BarcodePixelProportions));
            info += tr("Строк: %1\n").arg(getInt(&IFptr::BarcodeRows));
            info += tr("Столбцов: %1\n").arg(getInt(&IFptr::BarcodeColumns));
            info += tr("Использует пропорции: %1\n").arg(yesNo(getInt(&IFptr::BarcodeUseProportions)));
            info += tr("Использует строки: %1\n").arg(yesNo(getInt(&IFptr::BarcodeUseRows)));
            info += tr("Использует столбцы: %1\n").arg(yesNo(getInt(&IFptr::BarcodeUseColumns)));
            info += tr("Использует коррекцию: %1\n").arg(yesNo(getInt(&IFptr::BarcodeUseCorrection)));
            info += tr("Инвертирован: %1\n").arg(yesNo(getInt(&IFptr::BarcodeInvert)));
            break;
        case BarcodeEan13:
            info += tr("КС в штрихкоде: %1\n").arg(yesNo(getInt(&IFptr::BarcodeCRC)));
            info += tr("Печатать символы: %1\n").arg(yesNo(getInt(&IFptr::BarcodePrintText)));
            break;
        default:
            break;
        }
        ui->teBarcodeInfo->setPlainText(info);
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        // The device refused: an older description would pass for this one.
        ui->teBarcodeInfo->clear();
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnDeleteBarcode_clicked()
{
    run(this, [this] { execMethod(&IFptr::DeleteBarcode); });
}

void FptrMainWindow::on_pbtnClearBarcodeArray_clicked()
{
    run(this, [this] { execMethod(&IFptr::ClearBarcodeArray); });
}

void FptrMainWindow::on_pushGetBarcodeArrayStatus_clicked()
{
    run(this, [this] {
        execMethod(&IFptr::GetBarcodeArrayStatus);
        ui->leBarcodeFreeMemory->setText(QString::number(getInt(&IFptr::FreeMemory)));
        ui->spinBarcodeMemNumber->setValue(getInt(&IFptr::BarcodeNumber));
    });
}
