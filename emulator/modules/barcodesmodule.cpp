#include "modules/barcodesmodule.h"

#include "core/device.h"
#include "modules/tapelayout.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vreg {

namespace {

// A stored barcode's options besides its type and text, by name: the
// database keeps them as a JSON object of these.
struct IntOption
{
    const char *name;
    int Barcode::*member;
};
struct BoolOption
{
    const char *name;
    bool Barcode::*member;
};
const IntOption kIntOptions[] = {
    {"printType", &Barcode::printType},         {"alignment", &Barcode::alignment},
    {"leftMargin", &Barcode::leftMargin},       {"bottomMargin", &Barcode::bottomMargin},
    {"height", &Barcode::height},               {"version", &Barcode::version},
    {"correction", &Barcode::correction},       {"encoding", &Barcode::encoding},
    {"encodingMode", &Barcode::encodingMode},   {"packingMode", &Barcode::packingMode},
    {"proportions", &Barcode::proportions},     {"pixelProportions", &Barcode::pixelProportions},
    {"rows", &Barcode::rows},                   {"columns", &Barcode::columns},
};
const BoolOption kBoolOptions[] = {
    {"crc", &Barcode::crc},
    {"printText", &Barcode::printText},
    {"useProportions", &Barcode::useProportions},
    {"useRows", &Barcode::useRows},
    {"useColumns", &Barcode::useColumns},
    {"useCodewords", &Barcode::useCodewords},
    {"useCorrection", &Barcode::useCorrection},
    {"invert", &Barcode::invert},
};

QString optionsText(const Barcode &barcode)
{
    QJsonObject json{{QStringLiteral("scale"), barcode.scale}};
    for (const IntOption &option : kIntOptions)
        json.insert(QLatin1String(option.name), barcode.*option.member);
    for (const BoolOption &option : kBoolOptions)
        json.insert(QLatin1String(option.name), barcode.*option.member);
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

void optionsOf(const QString &text, Barcode *barcode)
{
    const QJsonObject json = QJsonDocument::fromJson(text.toUtf8()).object();
    barcode->scale = json.value(QStringLiteral("scale")).toDouble();
    for (const IntOption &option : kIntOptions)
        barcode->*option.member = json.value(QLatin1String(option.name)).toInt();
    for (const BoolOption &option : kBoolOptions)
        barcode->*option.member = json.value(QLatin1String(option.name)).toBool();
}

} // namespace

namespace {

QString printable(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

BarcodesModule::BarcodesModule(DeviceContext &device)
    : Module(device)
{
    device.services().barcodeLines = [this](int number, int alignment, QStringList *out) {
        // A barcode keeps the alignment it was given, whatever the text's.
        Q_UNUSED(alignment);
        return lines(number, out);
    };
}

// ---- memory

void BarcodesModule::resetState()
{
    m_memory.clear();
    m_stored.clear();
}

const char *BarcodesModule::schema() const
{
    return R"(
CREATE TABLE IF NOT EXISTS barcodes (
    number INTEGER PRIMARY KEY,
    type INTEGER NOT NULL,
    text TEXT NOT NULL,
    options TEXT NOT NULL
);
)";
}

bool BarcodesModule::load(Database &db, QString *error)
{
    QList<Barcode> entries;
    int bytes = 0;
    Database::Query rows = db.query("SELECT number, type, text, options FROM barcodes ORDER BY number");
    while (rows.next()) {
        Barcode barcode;
        barcode.type = int(rows.integer(1));
        barcode.text = rows.text(2);
        optionsOf(rows.text(3), &barcode);
        bytes += BarcodeMemory::sizeOf(barcode);
        // What is kept must be what the register would have accepted.
        if (rows.integer(0) != entries.size() + 1 || entries.size() >= BarcodeMemory::kMaxBarcodes
            || bytes > BarcodeMemory::kCapacityBytes || validateBarcode(barcode)) {
            *error = QStringLiteral("неверный штрихкод %1 в памяти").arg(rows.integer(0));
            return false;
        }
        entries.append(barcode);
    }
    if (rows.failed()) {
        *error = db.error();
        return false;
    }
    m_memory.restore(entries);
    m_stored = m_memory.entries();
    return true;
}

bool BarcodesModule::store(Database &db)
{
    // Asked after every action: a memory nobody touched still shares its
    // list with the stored copy.
    const QList<Barcode> now = m_memory.entries();
    if (now.constData() == m_stored.constData() && now.size() == m_stored.size())
        return true;
    qsizetype same = 0;
    while (same < now.size() && same < m_stored.size() && now[same] == m_stored[same])
        ++same;
    if (same < m_stored.size() && !db.write("DELETE FROM barcodes WHERE number > ?", {qint64(same)}))
        return false;
    for (qsizetype i = same; i < now.size(); ++i) {
        if (!db.write("INSERT INTO barcodes (number, type, text, options) VALUES (?, ?, ?, ?)",
                      {qint64(i + 1), now[i].type, now[i].text, optionsText(now[i])}))
            return false;
    }
    m_stored = now;
    return true;
}

// ---- actions

void BarcodesModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::PrintBarcode, Subject::Barcodes, [this] { return printBarcode(); });
    registry.add(Action::PrintBarcodeByNumber, Subject::Barcodes, [this] { return printByNumber(); });
    registry.add(Action::GetBarcode, Subject::Barcodes, [this] { return getBarcode(); });
    registry.add(Action::DeleteBarcode, Subject::Barcodes, [this] { return deleteBarcode(); });
    registry.add(Action::ClearBarcodeArray, Subject::Barcodes, [this] { return clearBarcodes(); });
    registry.add(Action::GetBarcodeArrayStatus, Subject::Barcodes, [this] { return arrayStatus(); });
}

Barcode BarcodesModule::fromProperties() const
{
    const PropertyStore &p = device().props();
    Barcode b;
    b.type = p.BarcodeType;
    b.text = p.Barcode;
    b.printType = p.BarcodePrintType;
    b.scale = p.Scale;
    b.alignment = p.Alignment;
    b.leftMargin = p.LeftMargin;
    b.bottomMargin = p.BottomMargin;
    b.crc = p.BarcodeCRC != 0;
    b.printText = p.BarcodePrintText != 0;
    if (b.type == int(BarcodeKind::Qr)) {
        b.version = p.BarcodeVersion;
        b.correction = p.BarcodeCorrection;
        b.encoding = p.BarcodeEncoding;
        b.encodingMode = p.BarcodeEncodingMode;
    } else if (b.type == int(BarcodeKind::Pdf417)) {
        b.correction = p.BarcodeCorrection;
        b.packingMode = p.BarcodePackingMode;
        b.proportions = p.BarcodeProportions;
        b.pixelProportions = p.BarcodePixelProportions;
        b.rows = p.BarcodeRows;
        b.columns = p.BarcodeColumns;
        b.useProportions = p.BarcodeUseProportions != 0;
        b.useRows = p.BarcodeUseRows != 0;
        b.useColumns = p.BarcodeUseColumns != 0;
        b.useCodewords = p.BarcodeUseCodewords != 0;
        b.useCorrection = p.BarcodeUseCorrection != 0;
        b.invert = p.BarcodeInvert != 0;
    } else {
        b.height = p.Height;
    }
    return b;
}

bool BarcodesModule::linesOf(const Barcode &barcode, QStringList *out)
{
    const ModelInfo &model = device().settings().model();
    QImage image;
    if (const BarcodeError error = renderBarcode(barcode, model.printWidth, &image)) {
        device().fail(error.code, error.detail);
        return false;
    }
    const QStringList text = tape::placeLine(printable(barcodeTapeText(barcode)), model.lineLength, barcode.alignment);
    const Services &services = device().services();
    if (services.imageLine)
        *out << services.imageLine(image, text);
    else
        *out << text;
    // The library draws the text of linear symbols; under a two-dimensional
    // one it is printed as text.
    if (barcode.printText && isTwoDimensional(barcode.type))
        *out << tape::placeLine(printable(barcode.text), model.lineLength, barcode.alignment);
    return true;
}

int BarcodesModule::lines(int number, QStringList *out)
{
    const Barcode *barcode = nullptr;
    if (number == 0) {
        if (!m_dynamic) {
            return device().fail(Code::BarcodeNotFound,
                                 QStringLiteral("Динамический штрихкод (номер 0) ещё не задан: его задаёт PrintBarcode"));
        }
        barcode = &*m_dynamic;
    } else {
        barcode = m_memory.get(number);
        if (!barcode) {
            return device().fail(Code::BarcodeNotFound, QStringLiteral("Штрихкода №%1 нет: в памяти %2 штрихкодов")
                                                            .arg(number)
                                                            .arg(m_memory.count()));
        }
    }
    return linesOf(*barcode, out) ? 0 : -1;
}

int BarcodesModule::printBarcode()
{
    PropertyStore &p = device().props();
    if (p.BarcodeDeferredPrint != 0 && p.BarcodeDeferredPrint != 1) {
        return device().fail(Code::InvalidBarcodeOption,
                             QStringLiteral("BarcodeDeferredPrint = %1: допустимо 0 или 1").arg(p.BarcodeDeferredPrint));
    }
    if (p.BarcodeCRC != 0 && p.BarcodeCRC != 1)
        return device().fail(Code::InvalidBarcodeOption, QStringLiteral("BarcodeCRC = %1: допустимо 0 или 1").arg(p.BarcodeCRC));
    if (p.BarcodePrintText != 0 && p.BarcodePrintText != 1) {
        return device().fail(Code::InvalidBarcodeOption,
                             QStringLiteral("BarcodePrintText = %1: допустимо 0 или 1").arg(p.BarcodePrintText));
    }
    const Barcode barcode = fromProperties();
    if (p.BarcodeDeferredPrint == 1) {
        // Drawn only to be sure it will print; nothing comes out now.
        QImage image;
        if (const BarcodeError error = renderBarcode(barcode, device().settings().model().printWidth, &image))
            return device().fail(error.code, error.detail);
        QString why;
        if (!m_memory.canStore(barcode, &why))
            return device().fail(Code::BarcodeMemoryFull, why);
        p.BarcodeNumber = m_memory.store(barcode);
        return 0;
    }
    QStringList printed;
    if (!linesOf(barcode, &printed))
        return -1;
    m_dynamic = barcode;
    const Services &services = device().services();
    if (!services.printDocument)
        return device().fail(Code::NotSupported, QStringLiteral("У устройства нет печати"));
    return services.printDocument(printed, false);
}

int BarcodesModule::printByNumber()
{
    const PropertyStore &p = device().props();
    if (p.PrintPurpose != 0) {
        return device().fail(Code::InvalidBarcodeOption,
                             QStringLiteral("PrintPurpose = %1: штрихкод печатается только на чековой ленте (0)")
                                 .arg(p.PrintPurpose));
    }
    if (p.BarcodeNumber < 1) {
        return device().fail(Code::BarcodeNotFound,
                             QStringLiteral("BarcodeNumber = %1: номера начинаются с 1").arg(p.BarcodeNumber));
    }
    QStringList printed;
    if (lines(p.BarcodeNumber, &printed) < 0)
        return -1;
    const Services &services = device().services();
    if (!services.printDocument)
        return device().fail(Code::NotSupported, QStringLiteral("У устройства нет печати"));
    return services.printDocument(printed, false);
}

int BarcodesModule::getBarcode()
{
    PropertyStore &p = device().props();
    const Barcode *b = m_memory.get(p.BarcodeNumber);
    if (!b) {
        return device().fail(Code::BarcodeNotFound, QStringLiteral("Штрихкода №%1 нет: в памяти %2 штрихкодов")
                                                        .arg(p.BarcodeNumber)
                                                        .arg(m_memory.count()));
    }
    p.BarcodeType = b->type;
    p.Barcode = b->text;
    p.BarcodePrintType = b->printType;
    p.Scale = b->scale;
    p.Alignment = b->alignment;
    p.LeftMargin = b->leftMargin;
    p.BottomMargin = b->bottomMargin;
    p.BarcodeCRC = b->crc ? 1 : 0;
    p.BarcodePrintText = b->printText ? 1 : 0;
    p.Height = b->height;
    p.BarcodeVersion = b->version;
    p.BarcodeCorrection = b->correction;
    p.BarcodeEncoding = b->encoding;
    p.BarcodeEncodingMode = b->encodingMode;
    p.BarcodePackingMode = b->packingMode;
    p.BarcodeProportions = b->proportions;
    p.BarcodePixelProportions = b->pixelProportions;
    p.BarcodeRows = b->rows;
    p.BarcodeColumns = b->columns;
    p.BarcodeUseProportions = b->useProportions ? 1 : 0;
    p.BarcodeUseRows = b->useRows ? 1 : 0;
    p.BarcodeUseColumns = b->useColumns ? 1 : 0;
    p.BarcodeUseCodewords = b->useCodewords ? 1 : 0;
    p.BarcodeUseCorrection = b->useCorrection ? 1 : 0;
    p.BarcodeInvert = b->invert ? 1 : 0;
    return 0;
}

int BarcodesModule::deleteBarcode()
{
    if (!m_memory.removeLast())
        return device().fail(Code::BarcodeNotFound, QStringLiteral("Память штрихкодов пуста"));
    return 0;
}

int BarcodesModule::clearBarcodes()
{
    m_memory.clear();
    return 0;
}

int BarcodesModule::arrayStatus()
{
    PropertyStore &p = device().props();
    p.FreeMemory = m_memory.freeBytes();
    p.BarcodeNumber = m_memory.count();
    return 0;
}

} // namespace vreg
