#include "core/barcode.h"

#include <zint.h>

#include <QList>

#include <memory>

namespace vreg {

namespace {

constexpr int kMaxTextLength = 4000;  // far beyond what any symbol holds
constexpr int kMaxLinearLength = 80;  // beyond that no linear symbol fits any paper
constexpr int kDefaultBarHeight = 80; // dots: 10 mm at 203 dpi
constexpr int kMaxDots = 2000;

const char *const kTypeNames[kBarcodeKindCount] = {
    "EAN8", "EAN13", "UPCA", "Code39", "QR Code", "PDF 417", "ITF14", "Interleaved 2 of 5",
    "UPCE", "Codabar", "Code93", "Code128",
};

const QString kCode39Alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
const QString kCodabarBody = QStringLiteral("0123456789-$:/.+");
const QString kCodabarEnds = QStringLiteral("ABCD");
const QString kQrAlphanumeric = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:");

BarcodeError failure(Code code, const QString &detail)
{
    return BarcodeError{code, detail};
}

BarcodeError option(const char *name, int value, const QString &allowed)
{
    return failure(Code::InvalidBarcodeOption,
                   QStringLiteral("%1 = %2: допустимо %3").arg(QLatin1String(name)).arg(value).arg(allowed));
}

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

// The first character of `text` not in `allowed` (or failing `accept`), as
// a detail; empty when all are fine.
template <typename Accept>
QString badCharacter(const QString &text, Accept accept, const QString &what)
{
    const QList<uint> codes = text.toUcs4();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (!accept(char32_t(codes[i]))) {
            const char32_t c = char32_t(codes[i]);
            const QString shown = c >= 0x20 && c != 0x7F ? QString::fromUcs4(&c, 1)
                                                          : QStringLiteral("0x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
            return QStringLiteral("символ \"%1\" в позиции %2 не допускается: %3").arg(shown).arg(i + 1).arg(what);
        }
    }
    return QString();
}

QString digitsOnly(const QString &text)
{
    return badCharacter(text, [](char32_t c) { return c >= U'0' && c <= U'9'; }, QStringLiteral("только цифры"));
}

QString printableAscii(const QString &text)
{
    return badCharacter(text, [](char32_t c) { return c >= 0x20 && c <= 0x7E; },
                        QStringLiteral("только печатные символы ASCII"));
}

BarcodeError length(const Barcode &b, const QString &rule)
{
    return failure(Code::InvalidBarcodeLength, QStringLiteral("%1 (BarcodeCRC = %2): %3, получено %4")
                                                   .arg(barcodeTypeName(b.type))
                                                   .arg(b.crc ? 1 : 0)
                                                   .arg(rule)
                                                   .arg(b.text.size()));
}

BarcodeError wrongCheck(const Barcode &b, QChar expected)
{
    return failure(Code::WrongBarcodeCheckDigit,
                   QStringLiteral("%1 \"%2\": контрольный символ \"%3\", ожидался \"%4\"")
                       .arg(barcodeTypeName(b.type), b.text, b.text.right(1), QString(expected)));
}

// UPC-E (number system and six digits) written out as the UPC-A it stands for.
QString expandUpcE(const QString &seven)
{
    const QString d = seven.mid(1, 6);
    const QChar ns = seven.at(0);
    const QChar last = d.at(5);
    QString body;
    if (last == QLatin1Char('0') || last == QLatin1Char('1') || last == QLatin1Char('2'))
        body = d.left(2) + last + QStringLiteral("0000") + d.mid(2, 3);
    else if (last == QLatin1Char('3'))
        body = d.left(3) + QStringLiteral("00000") + d.mid(3, 2);
    else if (last == QLatin1Char('4'))
        body = d.left(4) + QStringLiteral("00000") + d.mid(4, 1);
    else
        body = d.left(5) + QStringLiteral("0000") + last;
    return QString(ns) + body;
}

int code39Value(QChar c)
{
    return int(kCode39Alphabet.indexOf(c));
}

int codabarValue(QChar c)
{
    const int body = int(kCodabarBody.indexOf(c));
    return body >= 0 ? body : 16 + int(kCodabarEnds.indexOf(c));
}

// Codabar with its start and stop characters, as the symbol carries them.
QString codabarFramed(const QString &text)
{
    if (text.size() >= 2 && kCodabarEnds.contains(text.front()) && kCodabarEnds.contains(text.back()))
        return text;
    return QStringLiteral("A") + text + QStringLiteral("B");
}

// A GS1 number: `plain` digits without the check digit, one more with it.
BarcodeError checkGs1(const Barcode &b, int plain)
{
    const QString bad = digitsOnly(b.text);
    if (!bad.isEmpty())
        return failure(Code::InvalidBarcodeCharacter, bad);
    const int wanted = b.crc ? plain + 1 : plain;
    if (b.text.size() != wanted) {
        // The usual slip: a whole number typed without saying it carries
        // its check digit (or the other way round).
        const QString hint = b.text.size() == plain + 1 ? QStringLiteral(" (с контрольной цифрой - BarcodeCRC = 1)")
            : b.text.size() == plain                    ? QStringLiteral(" (без контрольной цифры - BarcodeCRC = 0)")
                                                        : QString();
        return length(b, QStringLiteral("нужно %1 цифр%2").arg(wanted).arg(hint));
    }
    if (b.crc) {
        const int check = gs1CheckDigit(b.text.left(plain));
        if (b.text.back() != QChar(u'0' + check))
            return wrongCheck(b, QChar(u'0' + check));
    }
    return BarcodeError();
}

BarcodeError checkText(const Barcode &b)
{
    if (b.text.isEmpty())
        return failure(Code::InvalidBarcodeLength, QStringLiteral("Barcode: пустой текст"));
    if (b.text.size() > kMaxTextLength)
        return length(b, QStringLiteral("не больше %1 символов").arg(kMaxTextLength));
    const bool linear = !isTwoDimensional(b.type);
    if (linear && b.text.size() > kMaxLinearLength && b.type != int(BarcodeKind::Codabar))
        return length(b, QStringLiteral("не больше %1 символов").arg(kMaxLinearLength));
    switch (BarcodeKind(b.type)) {
    case BarcodeKind::Ean8:
        return checkGs1(b, 7);
    case BarcodeKind::Ean13:
        return checkGs1(b, 12);
    case BarcodeKind::UpcA:
        return checkGs1(b, 11);
    case BarcodeKind::Itf14:
        return checkGs1(b, 13);
    case BarcodeKind::UpcE: {
        const QString bad = digitsOnly(b.text);
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        const bool ok = b.crc ? b.text.size() == 8 : (b.text.size() == 6 || b.text.size() == 7);
        if (!ok)
            return length(b, b.crc ? QStringLiteral("нужно 8 цифр") : QStringLiteral("нужно 6 или 7 цифр"));
        if (b.text.size() >= 7 && b.text.front() != QLatin1Char('0') && b.text.front() != QLatin1Char('1')) {
            return failure(Code::InvalidBarcodeCharacter,
                           QStringLiteral("UPCE: система нумерации (первая цифра) %1, допустимо 0 или 1")
                               .arg(b.text.front()));
        }
        if (b.crc) {
            const int check = gs1CheckDigit(expandUpcE(b.text.left(7)));
            if (b.text.back() != QChar(u'0' + check))
                return wrongCheck(b, QChar(u'0' + check));
        }
        return BarcodeError();
    }
    case BarcodeKind::Interleaved2of5: {
        const QString bad = digitsOnly(b.text);
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        if (b.text.size() % 2 != 0)
            return length(b, QStringLiteral("нужно чётное число цифр"));
        if (b.crc) {
            const int check = gs1CheckDigit(b.text.chopped(1));
            if (b.text.back() != QChar(u'0' + check))
                return wrongCheck(b, QChar(u'0' + check));
        }
        return BarcodeError();
    }
    case BarcodeKind::Code39: {
        const QString bad = badCharacter(
            b.text, [](char32_t c) { return c < 0x80 && kCode39Alphabet.contains(QChar(c)); },
            QStringLiteral("цифры, заглавные латинские буквы, пробел и - . $ / + %"));
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        if (b.crc) {
            if (b.text.size() < 2)
                return length(b, QStringLiteral("нужно не меньше 2 символов"));
            int sum = 0;
            for (QChar c : b.text.chopped(1))
                sum += code39Value(c);
            const QChar expected = kCode39Alphabet.at(sum % 43);
            if (b.text.back() != expected)
                return wrongCheck(b, expected);
        }
        return BarcodeError();
    }
    case BarcodeKind::Codabar: {
        const QString framed = codabarFramed(b.text);
        const QString body = framed.mid(1, framed.size() - 2);
        const QString bad = badCharacter(body, [](char32_t c) { return c < 0x80 && kCodabarBody.contains(QChar(c)); },
                                         QStringLiteral("цифры и - $ : / . + (A, B, C, D только по краям)"));
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        const int minimum = b.crc ? 2 : 1;
        if (body.size() < minimum || body.size() > 60)
            return length(b, QStringLiteral("от %1 до 60 символов между стартовым и стоповым").arg(minimum));
        if (b.crc) {
            int sum = 0;
            for (QChar c : framed)
                sum += codabarValue(c);
            const int rest = sum - codabarValue(body.back());
            const int value = (16 - rest % 16) % 16;
            if (codabarValue(body.back()) != value) {
                Barcode shown = b;
                shown.text = body;
                return wrongCheck(shown, kCodabarBody.at(value));
            }
        }
        return BarcodeError();
    }
    case BarcodeKind::Code93:
    case BarcodeKind::Code128: {
        const QString bad = printableAscii(b.text);
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        return BarcodeError();
    }
    case BarcodeKind::Qr: {
        QString bad;
        if (b.encodingMode == 0)
            bad = digitsOnly(b.text);
        else if (b.encodingMode == 1)
            bad = badCharacter(
                b.text, [](char32_t c) { return c < 0x80 && kQrAlphanumeric.contains(QChar(c)); },
                QStringLiteral("в буквенно-числовом режиме только цифры, заглавные латинские буквы, пробел и $ % * + - . / :"));
        if (bad.isEmpty() && b.encoding == 0)
            bad = badCharacter(b.text, [](char32_t c) { return c <= 0xFF; },
                               QStringLiteral("в кодировке ISO8859 только символы Latin-1"));
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        return BarcodeError();
    }
    case BarcodeKind::Pdf417: {
        QString bad;
        if (b.packingMode == 1)
            bad = badCharacter(b.text, [](char32_t c) { return (c >= 0x20 && c <= 0x7E) || c == 9 || c == 10 || c == 13; },
                               QStringLiteral("в текстовом режиме только символы ASCII"));
        else if (b.packingMode == 3)
            bad = digitsOnly(b.text);
        if (!bad.isEmpty())
            return failure(Code::InvalidBarcodeCharacter, bad);
        return BarcodeError();
    }
    }
    return BarcodeError();
}

BarcodeError checkOptions(const Barcode &b)
{
    if (!inRange(b.printType, 0, 2))
        return option("BarcodePrintType", b.printType, QStringLiteral("0 программно, 1 аппаратно, 2 автоматически"));
    if (b.scale != 0 && !(b.scale >= 10 && b.scale <= 1000)) {
        return failure(Code::InvalidBarcodeOption,
                       QStringLiteral("Scale = %1: допустимо 0 (100 %) или от 10 до 1000 процентов").arg(b.scale));
    }
    if (!inRange(b.alignment, 0, 2))
        return option("Alignment", b.alignment, QStringLiteral("0 влево, 1 по центру, 2 вправо"));
    if (!inRange(b.leftMargin, 0, kMaxDots))
        return option("LeftMargin", b.leftMargin, QStringLiteral("от 0 до %1 точек").arg(kMaxDots));
    if (!inRange(b.bottomMargin, 0, kMaxDots))
        return option("BottomMargin", b.bottomMargin, QStringLiteral("от 0 до %1 точек").arg(kMaxDots));
    switch (BarcodeKind(b.type)) {
    case BarcodeKind::Qr:
        if (!inRange(b.version, 0, 40))
            return option("BarcodeVersion", b.version, QStringLiteral("0 (автоматически) или от 1 до 40"));
        if (!inRange(b.correction, 0, 4))
            return option("BarcodeCorrection", b.correction, QStringLiteral("0 по настройке, 1 L, 2 M, 3 Q, 4 H"));
        if (!inRange(b.encoding, 0, 1))
            return option("BarcodeEncoding", b.encoding, QStringLiteral("0 ISO8859, 1 UTF-8"));
        if (!inRange(b.encodingMode, 0, 3)) {
            return option("BarcodeEncodingMode", b.encodingMode,
                          QStringLiteral("0 числовой, 1 буквенно-числовой, 2 8-битный, 3 ECI"));
        }
        break;
    case BarcodeKind::Pdf417:
        if (b.useCorrection && !inRange(b.correction, 0, 8))
            return option("BarcodeCorrection", b.correction, QStringLiteral("уровень от 0 до 8"));
        if (!inRange(b.packingMode, 0, 3)) {
            return option("BarcodePackingMode", b.packingMode,
                          QStringLiteral("0 автоматический, 1 текстовый, 2 бинарный, 3 числовой"));
        }
        if (b.useProportions && !inRange(b.proportions, 10, 1000)) {
            return option("BarcodeProportions", b.proportions,
                          QStringLiteral("от 10 до 1000 (ширина к высоте в процентах)"));
        }
        if (!inRange(b.pixelProportions, 0, 10))
            return option("BarcodePixelProportions", b.pixelProportions, QStringLiteral("0 (3) или от 1 до 10"));
        if (b.useRows && !inRange(b.rows, 3, 90))
            return option("BarcodeRows", b.rows, QStringLiteral("от 3 до 90"));
        if (b.useColumns && !inRange(b.columns, 1, 30))
            return option("BarcodeColumns", b.columns, QStringLiteral("от 1 до 30"));
        if (b.useProportions && (b.useRows || b.useColumns)) {
            return failure(Code::InvalidBarcodeOption,
                           QStringLiteral("BarcodeUseProportions вместе с BarcodeUseRows или BarcodeUseColumns: "
                                          "пропорции задают строки и столбцы сами"));
        }
        if (b.useCodewords) {
            return failure(Code::InvalidBarcodeOption,
                           QStringLiteral("BarcodeUseCodewords = 1: данные кодовыми словами не поддерживаются, "
                                          "передайте текст"));
        }
        break;
    default:
        if (!inRange(b.height, 0, kMaxDots))
            return option("Height", b.height, QStringLiteral("0 (по умолчанию) или до %1 точек").arg(kMaxDots));
        break;
    }
    if (b.crc) {
        switch (BarcodeKind(b.type)) {
        case BarcodeKind::Code93:
        case BarcodeKind::Code128:
        case BarcodeKind::Qr:
        case BarcodeKind::Pdf417:
            return failure(Code::InvalidBarcodeOption,
                           QStringLiteral("BarcodeCRC = 1: у %1 контроль вычисляется самим символом, текст его не "
                                          "содержит")
                               .arg(barcodeTypeName(b.type)));
        default:
            break;
        }
    }
    return BarcodeError();
}

// ---- drawing

struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

// Dots of a module at 100 %.
int baseModule(const Barcode &b)
{
    return b.type == int(BarcodeKind::Qr) ? 4 : 2;
}

int moduleDots(const Barcode &b)
{
    const double percent = b.scale == 0 ? 100 : b.scale;
    return qMax(1, qRound(baseModule(b) * percent / 100.0));
}

// The data the symbol encodes: the text without a check digit the library
// adds itself, in the bytes of the chosen encoding.
QByteArray symbolData(const Barcode &b)
{
    QString text = b.text;
    switch (BarcodeKind(b.type)) {
    case BarcodeKind::Ean8:
    case BarcodeKind::Ean13:
    case BarcodeKind::UpcA:
    case BarcodeKind::UpcE:
    case BarcodeKind::Itf14:
    case BarcodeKind::Interleaved2of5:
    case BarcodeKind::Code39:
        if (b.crc)
            text.chop(1);
        break;
    case BarcodeKind::Codabar: {
        text = codabarFramed(text);
        if (b.crc)
            text.remove(text.size() - 2, 1);
        break;
    }
    case BarcodeKind::Qr:
        if (b.encoding == 0)
            return text.toLatin1();
        break;
    default:
        break;
    }
    return text.toUtf8();
}

bool isAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return false;
    }
    return true;
}

Symbol makeSymbol(const Barcode &b, int module)
{
    Symbol symbol(ZBarcode_Create());
    if (!symbol)
        return symbol;
    zint_symbol *s = symbol.get();
    s->scale = float(module) / 2.0f;
    s->input_mode = DATA_MODE;
    s->show_hrt = b.printText && !isTwoDimensional(b.type) ? 1 : 0;
    s->output_options = BARCODE_QUIET_ZONES;
    if (!isTwoDimensional(b.type))
        s->height = float(b.height == 0 ? kDefaultBarHeight : b.height) / float(module);
    switch (BarcodeKind(b.type)) {
    case BarcodeKind::Ean8:
    case BarcodeKind::Ean13:
        s->symbology = BARCODE_EANX;
        break;
    case BarcodeKind::UpcA:
        s->symbology = BARCODE_UPCA;
        break;
    case BarcodeKind::UpcE:
        s->symbology = BARCODE_UPCE;
        break;
    case BarcodeKind::Code39:
        s->symbology = BARCODE_CODE39;
        s->option_2 = b.crc ? 1 : 0;
        break;
    case BarcodeKind::Itf14:
        s->symbology = BARCODE_ITF14;
        // Bearer bars above and below, as printed on cartons, without the
        // side bars that would touch the quiet zones.
        s->output_options |= BARCODE_BIND;
        s->border_width = 2;
        break;
    case BarcodeKind::Interleaved2of5:
        s->symbology = BARCODE_C25INTER;
        s->option_2 = b.crc ? 1 : 0;
        break;
    case BarcodeKind::Codabar:
        s->symbology = BARCODE_CODABAR;
        s->option_2 = b.crc ? 1 : 0;
        break;
    case BarcodeKind::Code93:
        s->symbology = BARCODE_CODE93;
        break;
    case BarcodeKind::Code128:
        s->symbology = BARCODE_CODE128;
        break;
    case BarcodeKind::Qr:
        s->symbology = BARCODE_QRCODE;
        s->option_1 = b.correction == 0 ? -1 : b.correction;
        s->option_2 = b.version;
        if (b.encodingMode == 3 || (b.encoding == 1 && !isAscii(b.text)))
            s->eci = b.encoding == 1 ? 26 : 3;
        break;
    case BarcodeKind::Pdf417:
        s->symbology = BARCODE_PDF417;
        s->option_1 = b.useCorrection ? b.correction : -1;
        s->option_2 = b.useColumns ? b.columns : 0;
        s->option_3 = b.useRows ? b.rows : 0;
        if (!isAscii(b.text))
            s->eci = 26;
        break;
    }
    if (b.invert) {
        qstrcpy(s->fgcolour, "ffffff");
        qstrcpy(s->bgcolour, "000000");
    }
    return symbol;
}

BarcodeError symbolFailure(const Barcode &b, int result, const zint_symbol *s)
{
    const QString why = QString::fromLatin1(s->errtxt);
    const Code code = result == ZINT_ERROR_TOO_LONG ? Code::BarcodeTooLarge
        : result == ZINT_ERROR_INVALID_OPTION       ? Code::InvalidBarcodeOption
        : result == ZINT_ERROR_INVALID_CHECK        ? Code::WrongBarcodeCheckDigit
                                                    : Code::InvalidBarcodeCharacter;
    return failure(code, QStringLiteral("%1: символ не построен (%2)").arg(barcodeTypeName(b.type), why));
}

// Encodes and rasterises; the raster in `out` (grey), or a failure.
BarcodeError rasterise(const Barcode &b, int columns, int module, QImage *out)
{
    Barcode adjusted = b;
    if (columns > 0) {
        adjusted.useColumns = true;
        adjusted.columns = columns;
    }
    Symbol symbol = makeSymbol(adjusted, module);
    if (!symbol)
        return failure(Code::MemoryError, QStringLiteral("нет памяти для штрихкода"));
    const QByteArray data = symbolData(b);
    int result = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(data.constData()),
                                 int(data.size()));
    if (result >= ZINT_ERROR)
        return symbolFailure(b, result, symbol.get());
    if (b.type == int(BarcodeKind::Pdf417)) {
        // Row height in modules: encoded once to learn the rows.
        const int ratio = b.pixelProportions == 0 ? 3 : b.pixelProportions;
        const int symbolRows = symbol->rows;
        symbol = makeSymbol(adjusted, module);
        symbol->height = float(symbolRows * ratio);
        result = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(data.constData()),
                                 int(data.size()));
        if (result >= ZINT_ERROR)
            return symbolFailure(b, result, symbol.get());
    }
    result = ZBarcode_Buffer(symbol.get(), 0);
    if (result >= ZINT_ERROR)
        return symbolFailure(b, result, symbol.get());
    const int w = symbol->bitmap_width;
    const int h = symbol->bitmap_height;
    QImage image(w, h, QImage::Format_Grayscale8);
    const unsigned char *rgb = symbol->bitmap;
    for (int y = 0; y < h; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < w; ++x)
            line[x] = rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
    }
    *out = image;
    return BarcodeError();
}

// The symbol of a valid barcode at `module` dots a module, in at most
// `room` dots where the options leave the shape open (PDF 417 columns).
BarcodeError symbolFor(const Barcode &b, int module, int room, QImage *symbol)
{
    if (b.type == int(BarcodeKind::Pdf417) && b.useProportions) {
        // The column count whose symbol comes nearest the wanted shape.
        double best = -1;
        BarcodeError last;
        for (int columns = 1; columns <= 30; ++columns) {
            QImage candidate;
            last = rasterise(b, columns, module, &candidate);
            if (last || candidate.width() > room)
                continue;
            const double ratio = double(candidate.width()) / double(candidate.height()) * 100.0;
            const double distance = qAbs(ratio - b.proportions);
            if (best < 0 || distance < best) {
                best = distance;
                *symbol = candidate;
            }
        }
        if (symbol->isNull()) {
            return last ? last
                        : failure(Code::BarcodeTooLarge,
                                  QStringLiteral("PDF 417 не помещается на ленту шириной %1 точек").arg(room));
        }
        return BarcodeError();
    }
    if (BarcodeError error = rasterise(b, 0, module, symbol))
        return error;
    if (symbol->width() > room && b.type == int(BarcodeKind::Pdf417) && !b.useColumns) {
        // The library chose more columns than the paper has room for: the
        // widest symbol that fits.
        for (int columns = 30; columns >= 1 && symbol->width() > room; --columns) {
            QImage narrower;
            if (!rasterise(b, columns, module, &narrower) && narrower.width() <= room)
                *symbol = narrower;
        }
    }
    return BarcodeError();
}

} // namespace

bool Barcode::operator==(const Barcode &o) const
{
    return type == o.type && text == o.text && printType == o.printType && scale == o.scale
        && alignment == o.alignment && leftMargin == o.leftMargin && bottomMargin == o.bottomMargin
        && crc == o.crc && printText == o.printText && height == o.height && version == o.version
        && correction == o.correction && encoding == o.encoding && encodingMode == o.encodingMode
        && packingMode == o.packingMode && proportions == o.proportions && pixelProportions == o.pixelProportions
        && rows == o.rows && columns == o.columns && useProportions == o.useProportions && useRows == o.useRows
        && useColumns == o.useColumns && useCodewords == o.useCodewords && useCorrection == o.useCorrection
        && invert == o.invert;
}

QString barcodeTypeName(int type)
{
    return inRange(type, 0, kBarcodeKindCount - 1) ? QLatin1String(kTypeNames[type]) : QString();
}

bool isTwoDimensional(int type)
{
    return type == int(BarcodeKind::Qr) || type == int(BarcodeKind::Pdf417);
}

int gs1CheckDigit(const QString &digits)
{
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits.at(i).unicode() - u'0') * weight;
        weight = weight == 3 ? 1 : 3;
    }
    return (10 - sum % 10) % 10;
}

BarcodeError validateBarcode(const Barcode &barcode)
{
    if (!inRange(barcode.type, 0, kBarcodeKindCount - 1)) {
        return failure(Code::InvalidBarcodeType,
                       QStringLiteral("BarcodeType = %1: допустимо от 0 (EAN8) до 11 (Code128)").arg(barcode.type));
    }
    if (BarcodeError error = checkOptions(barcode))
        return error;
    return checkText(barcode);
}

BarcodeError renderBarcode(const Barcode &b, int paperWidth, QImage *image)
{
    if (BarcodeError error = validateBarcode(b))
        return error;
    QImage symbol;
    const int room = paperWidth - (b.alignment == 0 ? b.leftMargin : 0);
    // At the scale asked for; without one, the type's module, narrowed
    // down to a single dot where the paper is too narrow for it.
    const int first = moduleDots(b);
    const int last = b.scale == 0 ? 1 : first;
    for (int module = first; module >= last; --module) {
        symbol = QImage();
        if (BarcodeError error = symbolFor(b, module, room, &symbol))
            return error;
        if (symbol.width() <= room)
            break;
    }
    if (symbol.width() > room) {
        return failure(Code::BarcodeTooLarge, QStringLiteral("%1 шириной %2 точек не помещается на ленту: доступно %3 "
                                                             "точек (уменьшите Scale или текст)")
                                                  .arg(barcodeTypeName(b.type))
                                                  .arg(symbol.width())
                                                  .arg(room));
    }
    QImage placed(paperWidth, symbol.height() + b.bottomMargin, QImage::Format_Grayscale8);
    placed.fill(255);
    int x = b.leftMargin;
    if (b.alignment == 1)
        x = (paperWidth - symbol.width()) / 2;
    else if (b.alignment == 2)
        x = paperWidth - symbol.width();
    for (int y = 0; y < symbol.height(); ++y)
        memcpy(placed.scanLine(y) + x, symbol.constScanLine(y), size_t(symbol.width()));
    *image = placed;
    return BarcodeError();
}

QString barcodeTapeText(const Barcode &barcode)
{
    return QStringLiteral("[%1: %2]").arg(barcodeTypeName(barcode.type), barcode.text);
}

} // namespace vreg
