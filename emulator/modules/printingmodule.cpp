#include "modules/printingmodule.h"

#include "core/device.h"
#include "core/tape.h"
#include "modules/checks.h"
#include "modules/tapelayout.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QThread>

#include <memory>

namespace vreg {

namespace {

constexpr int kMaxFields = 64;

// PrintPurpose: 0 the receipt tape, 1 the control tape, 2 both.
bool onReceiptTape(int purpose)
{
    return purpose == 0 || purpose == 2;
}

bool onControlTape(int purpose)
{
    return purpose == 1 || purpose == 2;
}

// Font settings the text notation cannot show, named after the paper's edge.
QStringList fontMarkers(int font, int height, int brightness, int spacing)
{
    QStringList markers;
    if (font >= 2)
        markers << QStringLiteral("шрифт %1").arg(font);
    if (height == 1)
        markers << QStringLiteral("растянутый");
    if (brightness > 0)
        markers << QStringLiteral("яркость %1").arg(brightness);
    if (spacing > 0)
        markers << QStringLiteral("интервал %1").arg(spacing);
    return markers;
}

QJsonArray toJson(const QStringList &lines)
{
    QJsonArray array;
    for (const QString &line : lines)
        array.append(line);
    return array;
}

bool fromJson(const QJsonValue &value, QStringList *lines)
{
    if (value.isUndefined())
        return true;
    if (!value.isArray())
        return false;
    for (const QJsonValue &line : value.toArray()) {
        if (!line.isString())
            return false;
        lines->append(line.toString());
    }
    return true;
}

} // namespace

PrintingModule::PrintingModule(DeviceContext &device)
    : Module(device)
{
    Services &services = device.services();
    services.printDocument = [this](const QStringList &lines, bool cut) {
        Document document;
        for (const QString &line : lines) {
            QStringList laidOut;
            if (!layout(line, false, tape::WrapChars, tape::AlignLeft, &laidOut))
                return -1;
            document.receipt << laidOut;
        }
        if (cut) {
            document.receipt << tape::cutLine(false, width());
            document.cuts = 1;
        }
        return output(document);
    };
    services.printerReady = [this] { return ready(); };
    services.headerLines = [this] { return headerLines(false); };
    services.footerLines = [this] { return footerLines(); };
    services.layoutText = [this](const QString &text, int wrap, int alignment) {
        QStringList lines;
        // Texts of other modules (position names) are laid out before their
        // documents are issued: a picture or barcode gone from the memory
        // must not leave a registration half done, so it shows as a
        // placeholder, as in a caption.
        if (wrap < 0 || wrap > 2 || alignment < 0 || alignment > 2
            || !layout(text, false, wrap, alignment, &lines, true))
            return QStringList();
        // Other modules keep these lines as text (the journal): no paper notation.
        const Services &services = this->device().services();
        if (services.tapeText) {
            QStringList plain;
            for (const QString &line : lines)
                plain << services.tapeText(line);
            lines = plain;
        }
        return lines;
    };
    services.cutCount = [this] { return m_cuts; };
    services.printedLineCount = [this] { return m_lines; };
}

void PrintingModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::PrintText, Subject::Printing, [this] { return printText(); });
    registry.add(Action::PrintHeader, Subject::Printing, [this] { return printHeader(); });
    registry.add(Action::PrintFooter, Subject::Printing, [this] { return printFooter(); });
    registry.add(Action::ContinuePrint, Subject::Printing, [this] { return continuePrint(); });
    registry.add(Action::AddField, Subject::Printing, [this] { return addField(); });
    registry.add(Action::PrintFormattedText, Subject::Printing, [this] { return printFormattedText(); });
    registry.add(Action::DemoPrint, Subject::Printing, [this] { return demoPrint(); });
    registry.add(Action::PartialCut, Subject::Printing, [this] { return cut(false); });
    registry.add(Action::FullCut, Subject::Printing, [this] { return cut(true); });
}

void PrintingModule::resetState()
{
    m_pending = Document();
    m_hasPending = false;
    m_lines = 0;
    m_cuts = 0;
}

bool PrintingModule::loadState(const QJsonObject &section, QString *error)
{
    resetState();
    const QJsonValue lines = section.value(QStringLiteral("lines"));
    const QJsonValue cuts = section.value(QStringLiteral("cuts"));
    if (!lines.isDouble() || !cuts.isDouble() || lines.toDouble() < 0 || cuts.toDouble() < 0) {
        *error = QStringLiteral("неверные счётчики принтера");
        return false;
    }
    m_lines = qint64(lines.toDouble());
    m_cuts = qint64(cuts.toDouble());
    const QJsonValue pending = section.value(QStringLiteral("pending"));
    if (pending.isUndefined() || pending.isNull())
        return true;
    const QJsonObject document = pending.toObject();
    if (!pending.isObject() || !fromJson(document.value(QStringLiteral("receipt")), &m_pending.receipt)
        || !fromJson(document.value(QStringLiteral("control")), &m_pending.control)) {
        *error = QStringLiteral("неверный недопечатанный документ");
        return false;
    }
    m_pending.cuts = document.value(QStringLiteral("cuts")).toInt();
    m_hasPending = true;
    return true;
}

QJsonObject PrintingModule::saveState() const
{
    QJsonObject section;
    section.insert(QStringLiteral("lines"), double(m_lines));
    section.insert(QStringLiteral("cuts"), double(m_cuts));
    if (m_hasPending) {
        QJsonObject document;
        document.insert(QStringLiteral("receipt"), toJson(m_pending.receipt));
        document.insert(QStringLiteral("control"), toJson(m_pending.control));
        document.insert(QStringLiteral("cuts"), m_pending.cuts);
        section.insert(QStringLiteral("pending"), document);
    }
    return section;
}

void PrintingModule::disconnected()
{
    // The formatted-text buffer lives in the device's working memory.
    m_fields.clear();
}

int PrintingModule::width() const
{
    return device().settings().model().lineLength;
}

bool PrintingModule::layout(const QString &text, bool wide, int wrap, int alignment, QStringList *lines,
                            bool stored)
{
    QList<tape::Piece> pieces;
    QString error;
    if (!tape::parseMarks(text, wide, &pieces, &error)) {
        device().fail(Code::InvalidTextMark, error);
        return false;
    }
    const Services &services = device().services();
    const int columns = width();
    // In a stored text a picture or barcode gone from the memory leaves its
    // number on the tape, and the caller's action its own result.
    PropertyStore &props = device().props();
    const int code = props.ResultCode;
    const QString description = props.ResultDescription;
    const int detail = props.ResultDetail;
    const QString detailDescription = props.ResultDetailDescription;
    auto missing = [&](const QString &placeholder, int placement, int column) {
        props.ResultCode = code;
        props.ResultDescription = description;
        props.ResultDetail = detail;
        props.ResultDetailDescription = detailDescription;
        return tape::placeLine(placeholder, columns, placement, column);
    };
    for (const tape::Piece &piece : pieces) {
        switch (piece.kind) {
        case tape::Piece::Text:
            *lines << tape::layoutRun(piece, columns, wrap, alignment, true);
            break;
        case tape::Piece::Picture:
            if (services.pictureLines) {
                QStringList picture;
                if (services.pictureLines(piece.number, piece.offset, &picture) < 0) {
                    if (!stored)
                        return false;
                    picture = missing(tape::picturePlaceholder(piece.number, piece.offset), tape::AlignLeft,
                                      int(qint64(piece.offset) * columns / qMax(1, device().settings().model().printWidth)));
                }
                *lines << picture;
            } else {
                // The offset is in dots; the placeholder starts where the
                // picture would.
                const int dots = qMax(1, device().settings().model().printWidth);
                const int column = int(qint64(piece.offset) * columns / dots);
                *lines << tape::placeLine(tape::picturePlaceholder(piece.number, piece.offset), columns,
                                          tape::AlignLeft, column);
            }
            break;
        case tape::Piece::Barcode:
            if (services.barcodeLines) {
                QStringList barcode;
                if (services.barcodeLines(piece.number, alignment, &barcode) < 0) {
                    if (!stored)
                        return false;
                    barcode = missing(tape::barcodePlaceholder(piece.number), alignment, 0);
                }
                *lines << barcode;
            } else {
                *lines << tape::placeLine(tape::barcodePlaceholder(piece.number), columns, alignment);
            }
            break;
        }
    }
    return true;
}

QStringList PrintingModule::layoutStored(const QString &text, int alignment)
{
    QList<tape::Piece> pieces;
    QString error;
    QString printable = text;
    if (!tape::parseMarks(text, false, &pieces, &error)) {
        for (QChar &c : printable) {
            if (c.unicode() < 0x20 && c.unicode() != 0x09)
                c = QLatin1Char('?');
        }
    }
    // The caller's action goes on whatever a stored text holds: a picture or
    // barcode that is gone from the memory leaves its number on the tape
    // rather than the action's result.
    PropertyStore &props = device().props();
    const int code = props.ResultCode;
    const QString description = props.ResultDescription;
    const int detail = props.ResultDetail;
    const QString detailDescription = props.ResultDetailDescription;
    QStringList lines;
    if (!layout(printable, false, tape::WrapWords, alignment, &lines, true)) {
        props.ResultCode = code;
        props.ResultDescription = description;
        props.ResultDetail = detail;
        props.ResultDetailDescription = detailDescription;
        printable.replace(QChar(0x0A), QLatin1Char('#')).replace(QChar(0x0B), QLatin1Char('#')).remove(QChar(0x09));
        lines = tape::placeLine(printable, width(), alignment);
    }
    return lines;
}

QStringList PrintingModule::headerLines(bool always)
{
    const Services &services = device().services();
    auto value = [&](int n, double fallback) { return services.value ? services.value(n) : fallback; };
    if (!always && value(356, 0) != 0) // no header on receipts and reports
        return QStringList();
    const int count = qBound(0, int(value(66, 4)), 6);
    const int alignment = value(279, 1) != 0 ? tape::AlignCenter : tape::AlignLeft;
    QStringList lines;
    for (int n = 0; n < count; ++n)
        lines << layoutStored(services.caption ? services.caption(n) : QString(), alignment);
    return lines;
}

QStringList PrintingModule::footerLines()
{
    const Services &services = device().services();
    auto value = [&](int n, double fallback) { return services.value ? services.value(n) : fallback; };
    if (value(45, 1) == 0) // header and advertising text switched off
        return QStringList();
    const int alignment = value(279, 1) != 0 ? tape::AlignCenter : tape::AlignLeft;
    QStringList texts;
    for (int n = 69; n <= 88; ++n)
        texts << (services.caption ? services.caption(n) : QString());
    while (!texts.isEmpty() && texts.last().isEmpty())
        texts.removeLast();
    QStringList lines;
    for (const QString &text : texts)
        lines << layoutStored(text, alignment);
    return lines;
}

int PrintingModule::ready()
{
    if (m_hasPending) {
        return device().fail(Code::DocumentNotFinished,
                             QStringLiteral("Документ, прерванный отсутствием бумаги, ждёт: вставьте бумагу и "
                                            "выполните ContinuePrint"));
    }
    if (!device().settings().paperPresent())
        return device().fail(Code::NoPaper, QStringLiteral("Вставьте бумагу"));
    return 0;
}

int PrintingModule::output(const Document &document)
{
    if (m_hasPending) {
        return device().fail(Code::DocumentNotFinished,
                             QStringLiteral("Документ, прерванный отсутствием бумаги, ждёт: вставьте бумагу и "
                                            "выполните ContinuePrint"));
    }
    if (!device().settings().paperPresent()) {
        m_pending = document;
        m_hasPending = true;
        device().commit(); // the document waits although the action fails
        return device().fail(Code::NoPaper,
                             QStringLiteral("Документ (%1 строк) не напечатан; ContinuePrint допечатает его, когда "
                                            "бумага будет вставлена")
                                 .arg(qMax(document.receipt.size(), document.control.size())));
    }
    return write(document);
}

int PrintingModule::write(const Document &document)
{
    // The tapes are opened now, so that a tape that cannot be written fails
    // the action before anything is stored; the lines go onto them once the
    // action's memory is stored, as a printer prints what its register has
    // already registered.
    const QString folder = device().dataFolder();
    auto receipt = std::make_shared<QFile>(VirtualTape(folder).path());
    auto control = std::make_shared<QFile>(folder + QLatin1Char('/') + controlTapeFileName());
    if (!document.receipt.isEmpty() && !receipt->open(QIODevice::WriteOnly | QIODevice::Append)) {
        return device().fail(Code::MemoryError,
                             QStringLiteral("Лента %1 не записывается: %2")
                                 .arg(receipt->fileName(), receipt->errorString()));
    }
    if (!document.control.isEmpty() && !control->open(QIODevice::WriteOnly | QIODevice::Append)) {
        return device().fail(Code::MemoryError, QStringLiteral("Контрольная лента %1 не записывается: %2")
                                                    .arg(control->fileName(), control->errorString()));
    }
    const qsizetype count = qMax(document.receipt.size(), document.control.size());
    m_lines += count;
    m_cuts += document.cuts;
    const int speed = device().settings().printSpeed();
    device().afterCommit([this, document, receipt, control, speed, count, folder] {
        // ---- the tape as paper: the text tapes get the text of images and
        // blanks for double width; the receipt tape is drawn as paper (a PNG
        // of the tape folder and the live tape window) before its lines come
        // out.
        const Services &services = device().services();
        auto text = [&](const QStringList &lines) {
            QList<QStringList> out;
            for (const QString &line : lines)
                out << (services.tapeText ? services.tapeText(line) : QStringList{line});
            return out;
        };
        const QList<QStringList> receiptText = text(document.receipt);
        const QList<QStringList> controlText = text(document.control);
        if (services.paperDocument && !document.receipt.isEmpty()) {
            // Run after the action, so an open receipt is the one the action left.
            const bool goesOn = services.receiptOpen && services.receiptOpen();
            services.paperDocument(document.receipt, speed > 0 ? int(count * 1000 / speed) : 0, goesOn);
        }
        // ---- end of the paper

        // Both tapes advance together, one line at a time at the printing
        // speed, so that a follower of the tape sees the document come out.
        QElapsedTimer clock;
        clock.start();
        for (qsizetype i = 0; i < count; ++i) {
            if (i < receiptText.size()) {
                for (const QString &line : receiptText[i])
                    receipt->write(line.toUtf8() + '\n');
                receipt->flush();
            }
            if (i < controlText.size()) {
                for (const QString &line : controlText[i])
                    control->write(line.toUtf8() + '\n');
                control->flush();
            }
            if (speed > 0) {
                const qint64 due = (i + 1) * 1000 / speed;
                const qint64 left = due - clock.elapsed();
                if (left > 0)
                    QThread::msleep(static_cast<unsigned long>(left));
            }
        }
        const bool failed = (receipt->isOpen() && receipt->error() != QFileDevice::NoError)
            || (control->isOpen() && control->error() != QFileDevice::NoError);
        if (failed)
            return device().fail(Code::MemoryError, QStringLiteral("Ошибка записи ленты в %1").arg(folder));
        return 0;
    });
    return 0;
}

int PrintingModule::printText()
{
    const PropertyStore &props = device().props();
    if (!checkRange(device(), "TextWrap", props.TextWrap, 0, 2,
                    QStringLiteral("0 нет переноса, 1 по словам, 2 по строке"))
        || !checkRange(device(), "Alignment", props.Alignment, 0, 2,
                       QStringLiteral("0 влево, 1 по центру, 2 вправо"))) {
        return -1;
    }
    Document document;
    if (!layout(props.Caption, false, props.TextWrap, props.Alignment, &document.receipt))
        return -1;
    return output(document);
}

int PrintingModule::printHeader()
{
    Document document;
    document.receipt = headerLines(true);
    if (document.receipt.isEmpty()) {
        return device().fail(Code::InvalidValue,
                             QStringLiteral("Клише пусто: значение 66 (строк клише на ЧЛ) равно 0"));
    }
    return output(document);
}

int PrintingModule::printFooter()
{
    Document document;
    document.receipt = footerLines();
    document.receipt << tape::cutLine(false, width());
    document.cuts = 1;
    return output(document);
}

int PrintingModule::continuePrint()
{
    if (!m_hasPending)
        return 0; // nothing was interrupted
    if (!device().settings().paperPresent()) {
        return device().fail(Code::NoPaper,
                             QStringLiteral("Вставьте бумагу: документ (%1 строк) ждёт печати")
                                 .arg(qMax(m_pending.receipt.size(), m_pending.control.size())));
    }
    // Should the tape not take it, the failed action leaves the document
    // waiting as it was.
    const Document document = m_pending;
    m_hasPending = false;
    m_pending = Document();
    return write(document);
}

int PrintingModule::addField()
{
    const PropertyStore &props = device().props();
    if (!checkFlag(device(), "TestMode", props.TestMode) || !checkFlag(device(), "FontNegative", props.FontNegative)
        || !checkFlag(device(), "FontUnderline", props.FontUnderline)
        || !checkFlag(device(), "FontBold", props.FontBold)) {
        return -1;
    }
    QList<tape::Piece> pieces;
    QString error;
    if (!tape::parseMarks(props.Caption, false, &pieces, &error))
        return device().fail(Code::InvalidTextMark, error);
    if (m_fields.size() >= kMaxFields) {
        return device().fail(Code::InvalidValue, QStringLiteral("Добавлено уже %1 полей: напечатайте их "
                                                                "(PrintFormattedText)")
                                                     .arg(kMaxFields));
    }
    if (props.TestMode)
        return 0;
    m_fields.append(Field{props.Caption, props.FontBold != 0, props.FontUnderline != 0, props.FontNegative != 0});
    return 0;
}

int PrintingModule::printFormattedText()
{
    const PropertyStore &props = device().props();
    DeviceContext &d = device();
    const bool valid = checkFlag(d, "TestMode", props.TestMode)
        && checkRange(d, "TextWrap", props.TextWrap, 0, 2, QStringLiteral("0 нет переноса, 1 по словам, 2 по строке"))
        && checkRange(d, "Alignment", props.Alignment, 0, 2, QStringLiteral("0 влево, 1 по центру, 2 вправо"))
        && checkFlag(d, "FontNegative", props.FontNegative) && checkFlag(d, "FontUnderline", props.FontUnderline)
        && checkFlag(d, "FontBold", props.FontBold) && checkFlag(d, "FontDblWidth", props.FontDblWidth)
        && checkRange(d, "PrintPurpose", props.PrintPurpose, 0, 2, QStringLiteral("0 ЧЛ, 1 КЛ, 2 обе"))
        && checkRange(d, "ChequeTapeFont", props.ChequeTapeFont, 0, 7, QStringLiteral("0 по настройке"))
        && checkRange(d, "ChequeTapeFontHeight", props.ChequeTapeFontHeight, 0, 2)
        && checkRange(d, "ChequeTapeBrightness", props.ChequeTapeBrightness, 0, 15, QStringLiteral("0 по настройке"))
        && checkRange(d, "ChequeTapeLineSpacing", props.ChequeTapeLineSpacing, 0, 15, QStringLiteral("0 по настройке"))
        && checkRange(d, "ControlTapeFont", props.ControlTapeFont, 0, 7, QStringLiteral("0 по настройке"))
        && checkRange(d, "ControlTapeFontHeight", props.ControlTapeFontHeight, 0, 2)
        && checkRange(d, "ControlTapeBrightness", props.ControlTapeBrightness, 0, 15, QStringLiteral("0 по настройке"))
        && checkRange(d, "ControlTapeLineSpacing", props.ControlTapeLineSpacing, 0, 15,
                      QStringLiteral("0 по настройке"));
    if (!valid)
        return -1;
    if (onControlTape(props.PrintPurpose) && d.kind() == DeviceKind::ReceiptPrinter) {
        return d.fail(Code::InvalidValue,
                      QStringLiteral("PrintPurpose = %1: у принтера чеков нет контрольной ленты")
                          .arg(props.PrintPurpose));
    }

    QList<Field> fields = m_fields;
    if (!props.Caption.isEmpty() || fields.isEmpty())
        fields.append(Field{props.Caption, props.FontBold != 0, props.FontUnderline != 0, props.FontNegative != 0});

    const QStringList receiptFonts = fontMarkers(props.ChequeTapeFont, props.ChequeTapeFontHeight,
                                                 props.ChequeTapeBrightness, props.ChequeTapeLineSpacing);
    const QStringList controlFonts = fontMarkers(props.ControlTapeFont, props.ControlTapeFontHeight,
                                                 props.ControlTapeBrightness, props.ControlTapeLineSpacing);
    Document document;
    for (const Field &field : fields) {
        QStringList lines;
        if (!layout(field.text, props.FontDblWidth != 0, props.TextWrap, props.Alignment, &lines))
            return -1;
        QStringList style;
        if (field.bold)
            style << QStringLiteral("жирный");
        if (field.underline)
            style << QStringLiteral("подчёркнутый");
        if (field.negative)
            style << QStringLiteral("инверсный");
        for (const QString &line : lines) {
            if (onReceiptTape(props.PrintPurpose))
                document.receipt << tape::withMarkers(line, width(), style + receiptFonts);
            if (onControlTape(props.PrintPurpose))
                document.control << tape::withMarkers(line, width(), style + controlFonts);
        }
    }
    if (props.TestMode)
        return 0; // checked, nothing printed, the fields stay
    // The fields are gone once the document is stored, printed or waiting
    // for paper; a document refused (another one waits) keeps them.
    device().afterCommit([this] {
        m_fields.clear();
        return 0;
    });
    return output(document);
}

QStringList PrintingModule::demoLines()
{
    const int columns = width();
    const Services &services = device().services();
    QStringList lines;
    auto put = [&](const QString &text, int alignment) {
        lines << tape::placeLine(text, columns, alignment);
    };
    auto wrapped = [&](const QString &text) {
        QStringList laidOut;
        layout(text, false, tape::WrapChars, tape::AlignLeft, &laidOut);
        lines << laidOut;
    };
    put(QStringLiteral("ТЕСТОВАЯ ПЕЧАТЬ"), tape::AlignCenter);
    put(device().props().DeviceDescription, tape::AlignCenter);
    put(serviceNow(services).toString(QStringLiteral("dd.MM.yyyy hh:mm")), tape::AlignCenter);
    lines << QString(columns, QLatin1Char('-'));
    QString ruler;
    for (int i = 1; i <= columns; ++i)
        ruler += QString::number(i % 10);
    lines << ruler;
    wrapped(QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"));
    wrapped(QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"));
    wrapped(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    wrapped(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    wrapped(QStringLiteral("0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_{|}~№"));
    lines << QString(columns, QLatin1Char('-'));
    put(QStringLiteral("По левому краю"), tape::AlignLeft);
    put(QStringLiteral("По центру"), tape::AlignCenter);
    put(QStringLiteral("По правому краю"), tape::AlignRight);
    wrapped(QStringLiteral("\tДВОЙНАЯ ШИРИНА"));
    lines << tape::withMarkers(QStringLiteral("Жирный шрифт"), columns, {QStringLiteral("жирный")});
    lines << tape::withMarkers(QStringLiteral("Подчёркнутый шрифт"), columns, {QStringLiteral("подчёркнутый")});
    lines << tape::withMarkers(QStringLiteral("Инверсный шрифт"), columns, {QStringLiteral("инверсный")});
    lines << QString(columns, QLatin1Char('-'));
    put(QStringLiteral("Ширина ленты: %1 символов").arg(columns), tape::AlignLeft);
    put(QStringLiteral("Скорость печати: %1 строк/с").arg(device().settings().printSpeed()), tape::AlignLeft);
    put(QStringLiteral("КОНЕЦ ТЕСТОВОЙ ПЕЧАТИ"), tape::AlignCenter);
    return lines;
}

int PrintingModule::demoPrint()
{
    const int purpose = device().props().PrintPurpose;
    if (!checkRange(device(), "PrintPurpose", purpose, 0, 2, QStringLiteral("0 ЧЛ, 1 КЛ, 2 обе")))
        return -1;
    if (onControlTape(purpose) && device().kind() == DeviceKind::ReceiptPrinter) {
        return device().fail(Code::InvalidValue,
                             QStringLiteral("PrintPurpose = %1: у принтера чеков нет контрольной ленты").arg(purpose));
    }
    const QStringList lines = demoLines();
    Document document;
    if (onReceiptTape(purpose)) {
        document.receipt = lines;
        document.receipt << tape::cutLine(false, width());
        document.cuts = 1;
    }
    if (onControlTape(purpose))
        document.control = lines;
    return output(document);
}

int PrintingModule::cut(bool full)
{
    Document document;
    document.receipt << tape::cutLine(full, width());
    document.cuts = 1;
    return output(document);
}

} // namespace vreg
