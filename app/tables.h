#pragma once

// The driver's numeric constants with their texts, as mapping strings
// ("key:text;...", see mappings.h). Built once before main and never changed.
// Do not read them from another file's static initialisers: their
// construction order across files is unspecified.

#include <QChar>
#include <QString>
#include <QVector>

extern const QString operationTypes;
extern const QString modes;
extern const QString chequeTypes;
extern const QString paymentTypes;
extern const QString discountTypes;
extern const QString destinations;
extern const QString textWraps;
extern const QString alignments;
extern const QString registrationReports;
extern const QString fiscalEklzReports;
extern const QString dataReports;
extern const QString unitTypes;
extern const QString barcodeTypes;
extern const QString barcodeQRCorrections;
extern const QString barcodeQREncodings;
extern const QString barcodeQREncodingModes;
extern const QString barcodePDFPackingMode;
extern const QString printPurpose;
extern const QString fontHeights;
extern const QString fieldFormat;
extern const QString connectorTypes;
extern const QString fileOpenModes;
extern const QString fileOpenTypes;
extern const QString counterTypes;
extern const QString stepCounterTypes;
extern const QString powerSupplyTypes;
extern const QString externalPortModes;
extern const QString modemConnectionTypes;
extern const QString fiscalPropertyTypes;
extern const QString counterDimensions;
extern const QString fnReportTypes;
extern const QString taxModes;
extern const QString taxNumbersFull;
extern const QString taxNumbers;
extern const QString registers;
extern const QString values;
extern const QString captions;

// Marks in texts for the printer; converted to the device's control codes
// when a text goes to the driver.
extern const QChar DoubleWidthChar; // double-width text
extern const QChar PictureNumChar;  // picture number
extern const QChar BarcodeNumChar;  // barcode number

// A selection list of the main window (by object name) and its table.
struct ComboTable
{
    const char *comboName;
    const QString *table;
};

// Every mapping-filled selection list of the main window, in filling order.
const QVector<ComboTable> &comboTables();
