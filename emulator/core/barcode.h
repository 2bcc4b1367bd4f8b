#pragma once

// A barcode as the register prints it: the text, its type and every option
// the caller gave, checked before anything is printed or stored, and drawn
// at the printer's resolution by the barcode library. The same description
// is what the barcode memory keeps, so a stored barcode prints exactly as it
// would have printed when it was given.

#include "core/resultcodes.h"

#include <QImage>
#include <QString>

namespace vreg {

// The type keys of the bench's barcode list.
enum class BarcodeKind : int {
    Ean8 = 0,
    Ean13 = 1,
    UpcA = 2,
    Code39 = 3,
    Qr = 4,
    Pdf417 = 5,
    Itf14 = 6,
    Interleaved2of5 = 7,
    UpcE = 8,
    Codabar = 9,
    Code93 = 10,
    Code128 = 11,
};
constexpr int kBarcodeKindCount = 12;

struct Barcode
{
    int type = 0;
    QString text;
    int printType = 0;   // 0 software, 1 hardware, 2 automatic: all print alike
    double scale = 0;    // percent of the type's module width; 0 = 100
    int alignment = 0;   // 0 left, 1 centre, 2 right
    int leftMargin = 0;  // dots, with left alignment
    int bottomMargin = 0; // dots of blank paper after the barcode
    bool crc = false;    // the text carries its check digit
    bool printText = false;
    // linear types
    int height = 0; // dots of the bars; 0 = the type's default
    // QR
    int version = 0;      // 0 automatic, 1 to 40
    int correction = 0;   // QR: 0 default, 1 L, 2 M, 3 Q, 4 H; PDF 417: level 0 to 8
    int encoding = 0;     // QR: 0 ISO 8859-1, 1 UTF-8
    int encodingMode = 0; // QR: 0 numeric, 1 alphanumeric, 2 8-bit, 3 ECI
    // PDF 417
    int packingMode = 0; // 0 automatic, 1 text, 2 binary, 3 numeric
    int proportions = 0; // wanted width to height, in percent
    int pixelProportions = 0; // row height in modules; 0 = 3
    int rows = 0;
    int columns = 0;
    bool useProportions = false;
    bool useRows = false;
    bool useColumns = false;
    bool useCodewords = false;
    bool useCorrection = false;
    bool invert = false;

    bool operator==(const Barcode &other) const;
    bool operator!=(const Barcode &other) const { return !(*this == other); }
};

// The type's name in the bench's list ("EAN13", "QR Code"); empty for none.
QString barcodeTypeName(int type);
bool isTwoDimensional(int type);

// A failure of a barcode: the code and the detail that names what is wrong.
struct BarcodeError
{
    Code code = Code::Ok;
    QString detail;
    explicit operator bool() const { return code != Code::Ok; }
};

// The GS1 check digit (EAN, UPC-A, ITF-14) of a string of digits.
int gs1CheckDigit(const QString &digits);

// Checks the text and the options of the type; options of other types are
// not looked at. Nothing is drawn.
BarcodeError validateBarcode(const Barcode &barcode);

// Draws a valid barcode for paper `paperWidth` dots wide: black on white,
// 8-bit grey, as wide as the paper, placed by its alignment and margin, its
// bottom margin included. Fails (with the detail) when the text does not fit
// the symbol's options or the symbol does not fit the paper.
BarcodeError renderBarcode(const Barcode &barcode, int paperWidth, QImage *image);

// How the tape text shows a barcode: "[EAN13: 4601234567893]".
QString barcodeTapeText(const Barcode &barcode);

} // namespace vreg
