#include "modules/fiscalstoragemodule.h"

#include "core/device.h"

#include <QRegularExpression>

namespace vreg {

namespace {

constexpr int kFiscalMemoryMode = 5; // access to the fiscal memory / serial number entry
constexpr int kStorageMode = 6;      // access to the fiscal storage
constexpr int kZReportMode = 3;
constexpr int kSelectionMode = 0;
constexpr int kMaxSerialLength = 20;
constexpr int kMaxRnmLength = 16;
constexpr int kMaxTaxPasswordLength = 8;

bool allDigits(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return digits.match(text).hasMatch();
}

QString hexOf(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Bytes in the device's notation: pairs of hexadecimal digits, blanks
// between bytes allowed.
bool bytesOf(const QString &text, QByteArray *bytes)
{
    static const QRegularExpression format(QStringLiteral("^\\s*([0-9A-Fa-f]{2}\\s*)+$"));
    if (!format.match(text).hasMatch())
        return false;
    QString digits = text;
    digits.remove(QRegularExpression(QStringLiteral("\\s")));
    *bytes = QByteArray::fromHex(digits.toLatin1());
    return true;
}

void appendLittleEndian(QByteArray *bytes, quint64 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes->append(char((value >> (8 * i)) & 0xff));
}

void appendDateTime(QByteArray *bytes, const QDateTime &time)
{
    if (!time.isValid()) {
        bytes->append(QByteArray(5, '\0'));
        return;
    }
    bytes->append(char(time.date().year() % 100));
    bytes->append(char(time.date().month()));
    bytes->append(char(time.date().day()));
    bytes->append(char(time.time().hour()));
    bytes->append(char(time.time().minute()));
}

// The document types of the fiscal storage's protocol.
int storageDocumentType(const FiscalDocument &document)
{
    switch (document.kind) {
    case DocumentKind::Registration:
    case DocumentKind::Activation:
        return 1;
    case DocumentKind::Reregistration:
        return 11;
    case DocumentKind::ShiftOpen:
        return 2;
    case DocumentKind::Receipt:
        return document.receiptType >= fiscal::IncomeCorrection ? 31 : 3;
    case DocumentKind::ZReport:
        return 5;
    case DocumentKind::ArchiveClose:
        return 6;
    default:
        return 0;
    }
}

} // namespace

FiscalStorageModule::FiscalStorageModule(DeviceContext &device, std::shared_ptr<FiscalCore> core)
    : Module(device)
    , m_core(std::move(core))
{
    FiscalCore *fiscal = m_core.get();
    DeviceContext *context = &device;
    Services &services = device.services();
    services.lastFiscalDocumentTime = [fiscal, context] {
        const FiscalDocument *document = context->connected() ? fiscal->records().lastFiscalDocument() : nullptr;
        return document ? document->time : QDateTime();
    };
    services.fiscalRecords = [fiscal, context]() -> const FiscalRecords * {
        return context->connected() ? &fiscal->records() : nullptr;
    };

    device.onRead(Prop::Fiscal, [fiscal, context] {
        context->props().Fiscal = context->connected() && fiscal->records().fiscalised() ? 1 : 0;
    });
    device.onRead(Prop::FNFiscal, [fiscal, context] {
        context->props().FNFiscal = context->connected() && !fiscal->records().storages.isEmpty() ? 1 : 0;
    });
}

void FiscalStorageModule::registerActions(ActionRegistry &registry)
{
    const auto add = [&](Action action, std::function<int()> handler) {
        registry.add(action, Subject::FiscalStorage, std::move(handler));
    };
    add(Action::SetSerialNumber, [this] { return setSerialNumber(); });
    add(Action::Fiscalization, [this] { return fiscalization(); });
    add(Action::Activate, [this] { return activate(); });
    add(Action::CloseArchive, [this] { return closeArchive(); });
    add(Action::GetEKLZStatus, [this] { return getStatus(); });
    add(Action::EKLZGetKPK, [this] { return getKpk(); });
    add(Action::RunFNCommand, [this] { return runFnCommand(); });
    add(Action::GetRange, [this] { return getRange(); });
    registry.add(Action::ResetSummary, Subject::Service, [this] { return resetSummary(); });
    registry.add(Action::TechZero, Subject::Service, [this] { return techZero(); });
}

// ---- memory

void FiscalStorageModule::resetState()
{
    m_core->records().resetStorage();
    m_core->store().forgetStorage();
}

const char *FiscalStorageModule::schema() const
{
    return FiscalStore::schema();
}

bool FiscalStorageModule::load(Database &db, QString *error)
{
    return m_core->store().loadStorage(db, &m_core->records(), error);
}

bool FiscalStorageModule::store(Database &db)
{
    return m_core->store().storeStorage(db, m_core->records());
}

bool FiscalStorageModule::loadState(const QJsonObject &section, QString *error)
{
    QList<FiscalDocument> documents;
    if (!m_core->records().storageFromJson(section, error, &documents))
        return false;
    m_core->store().importDocuments(std::move(documents));
    return true;
}

// ---- checks

bool FiscalStorageModule::checkInn(const QString &inn, QString *reason)
{
    if (!allDigits(inn) || (inn.size() != 10 && inn.size() != 12)) {
        *reason = QStringLiteral("«%1»: нужно 10 или 12 цифр").arg(inn);
        return false;
    }
    if (inn.count(QLatin1Char('0')) == inn.size()) {
        *reason = QStringLiteral("ИНН из одних нулей");
        return false;
    }
    const auto digit = [&](int i) { return inn.at(i).digitValue(); };
    const auto check = [&](const std::initializer_list<int> &weights) {
        int sum = 0;
        int i = 0;
        for (int weight : weights)
            sum += weight * digit(i++);
        return sum % 11 % 10;
    };
    if (inn.size() == 10) {
        if (check({2, 4, 10, 3, 5, 9, 4, 6, 8}) != digit(9)) {
            *reason = QStringLiteral("«%1»: неверное контрольное число").arg(inn);
            return false;
        }
        return true;
    }
    if (check({7, 2, 4, 10, 3, 5, 9, 4, 6, 8}) != digit(10)
        || check({3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8}) != digit(11)) {
        *reason = QStringLiteral("«%1»: неверные контрольные числа").arg(inn);
        return false;
    }
    return true;
}

int FiscalStorageModule::requireNotFiscal(const char *action)
{
    const FiscalRecords &r = m_core->records();
    if (!r.fiscalised())
        return 0;
    return device().fail(Code::AlreadyFiscal,
                         QStringLiteral("%1 возможна только до фискализации; ККТ фискализирована %2")
                             .arg(QString::fromUtf8(action))
                             .arg(r.registrations.first().time.toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
}

int FiscalStorageModule::requireShiftClosed(const char *action)
{
    if (m_core->requireNoReceipt(action) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (!r.shiftOpen)
        return 0;
    return device().fail(Code::ShiftOpen,
                         QStringLiteral("%1: открыта смена %2; снимите Z-отчет").arg(QString::fromUtf8(action)).arg(r.shift.number));
}

// ---- serial number, fiscalisation, storage

int FiscalStorageModule::setSerialNumber()
{
    if (m_core->requireMode(kFiscalMemoryMode, "SetSerialNumber") < 0 || requireNotFiscal("SetSerialNumber") < 0)
        return -1;
    const QString serial = device().props().SerialNumber.trimmed();
    if (serial.isEmpty() || serial.size() > kMaxSerialLength || !allDigits(serial)) {
        return device().fail(Code::InvalidSerialNumber,
                             QStringLiteral("SerialNumber «%1»: от 1 до %2 цифр").arg(serial).arg(kMaxSerialLength));
    }
    m_core->records().serialNumber = serial;
    m_core->refreshStatus();
    return 0;
}

int FiscalStorageModule::fiscalization()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kFiscalMemoryMode, "Fiscalization") < 0 || requireShiftClosed("Fiscalization") < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    if (r.serialNumber.isEmpty())
        return device().fail(Code::NoSerialNumber, QStringLiteral("введите заводской номер (SetSerialNumber)"));
    if (r.registrations.size() >= fiscal::kMaxRegistrations) {
        return device().fail(Code::RegistrationsExhausted,
                             QStringLiteral("выполнено %1 регистраций из %1").arg(fiscal::kMaxRegistrations));
    }
    const QString inn = props.INN.trimmed();
    QString reason;
    if (!checkInn(inn, &reason))
        return device().fail(Code::InvalidInn, QStringLiteral("INN ") + reason);
    const QString rnm = props.RNM.trimmed();
    if (rnm.isEmpty() || rnm.size() > kMaxRnmLength || !allDigits(rnm) || rnm.count(QLatin1Char('0')) == rnm.size()) {
        return device().fail(Code::InvalidRnm,
                             QStringLiteral("RNM «%1»: от 1 до %2 цифр, не только нули").arg(rnm).arg(kMaxRnmLength));
    }
    const QString password = props.TaxPassword.trimmed();
    if (password.size() > kMaxTaxPasswordLength || (!password.isEmpty() && !allDigits(password))) {
        return device().fail(Code::InvalidTaxPassword,
                             QStringLiteral("TaxPassword: до %1 цифр").arg(kMaxTaxPasswordLength));
    }

    if (m_core->requirePrinter() < 0)
        return -1;

    const bool first = !r.fiscalised();
    Registration registration;
    registration.number = int(r.registrations.size()) + 1;
    registration.time = m_core->now();
    registration.inn = inn;
    registration.rnm = rnm.rightJustified(kMaxRnmLength, QLatin1Char('0'));
    registration.session = r.lastClosedShift();
    registration.grandAtRegistration = r.grand;
    r.registrations.append(registration);
    if (!password.isEmpty())
        r.taxPassword = password;

    QStringList lines = m_core->documentHead(true);
    lines.append(m_core->centered(first ? QStringLiteral("ОТЧЕТ О РЕГИСТРАЦИИ") : QStringLiteral("ОТЧЕТ ОБ ИЗМЕНЕНИИ")));
    if (!first)
        lines.append(m_core->centered(QStringLiteral("ПАРАМЕТРОВ РЕГИСТРАЦИИ")));
    lines += m_core->columns(QStringLiteral("ИНН"), registration.inn);
    lines += m_core->columns(QStringLiteral("РН ККТ"), registration.rnm);
    lines += m_core->columns(QStringLiteral("ЗН ККТ"), r.serialNumber);
    lines += m_core->columns(QStringLiteral("РЕГИСТРАЦИЯ"), QString::number(registration.number));
    lines += m_core->columns(QStringLiteral("ОСТАЛОСЬ ПЕРЕРЕГИСТРАЦИЙ"),
                             QString::number(fiscal::kMaxRegistrations - registration.number));
    lines += m_core->columns(QStringLiteral("ПОСЛЕДНЯЯ СМЕНА"), QString::number(registration.session));
    const int op = m_core->currentOperator();
    if (op > 0)
        lines += m_core->columns(QStringLiteral("КАССИР"), m_core->operatorName(op));
    FiscalDocument document;
    document.kind = first ? DocumentKind::Registration : DocumentKind::Reregistration;
    document.time = registration.time;
    document.operatorNumber = op;
    const FiscalDocument &issued = m_core->issue(document, lines, false);
    r.registrations.last().document = issued.number;
    r.registrations.last().fiscalNumber = issued.fiscalNumber;
    const QStringList printed = issued.lines;
    m_core->refreshStatus();
    return m_core->print(printed, true);
}

int FiscalStorageModule::activate()
{
    if (m_core->requireMode(kStorageMode, "Activate") < 0 || requireShiftClosed("Activate") < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    if (!r.fiscalised())
        return device().fail(Code::NotFiscal, QStringLiteral("ЭКЛЗ/ФН активизируется после фискализации (Fiscalization)"));
    if (r.storageActive()) {
        return device().fail(Code::StorageAlreadyActive,
                             QStringLiteral("ЭКЛЗ/ФН %1 активизирован %2; новый — после закрытия архива (CloseArchive)")
                                 .arg(r.storages.last().number)
                                 .arg(r.storages.last().activated.toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
    }
    if (r.storages.size() >= fiscal::kMaxActivations) {
        return device().fail(Code::ActivationsExhausted,
                             QStringLiteral("выполнено %1 активизаций из %1").arg(fiscal::kMaxActivations));
    }
    if (m_core->requirePrinter() < 0)
        return -1;
    StorageUnit unit;
    unit.number = r.storageNumber();
    unit.activation = int(r.storages.size()) + 1;
    unit.activated = m_core->now();
    unit.session = r.lastClosedShift();
    unit.firstFiscalNumber = r.lastFiscalNumber + 1;
    r.storages.append(unit);

    QStringList lines = m_core->documentHead(true);
    lines.append(m_core->centered(QStringLiteral("АКТИВИЗАЦИЯ ЭКЛЗ/ФН")));
    lines += m_core->columns(QStringLiteral("ЭКЛЗ/ФН"), unit.number);
    lines += m_core->columns(QStringLiteral("АКТИВИЗАЦИЯ"), QString::number(unit.activation));
    lines += m_core->columns(QStringLiteral("ОСТАЛОСЬ АКТИВИЗАЦИЙ"), QString::number(fiscal::kMaxActivations - unit.activation));
    lines += m_core->columns(QStringLiteral("ЗН ККТ"), r.serialNumber);
    FiscalDocument document;
    document.kind = DocumentKind::Activation;
    document.time = unit.activated;
    document.operatorNumber = m_core->currentOperator();
    const QStringList printed = m_core->issue(document, lines, false).lines;
    return m_core->print(printed, true);
}

int FiscalStorageModule::closeArchive()
{
    if (m_core->requireMode(kStorageMode, "CloseArchive") < 0 || requireShiftClosed("CloseArchive") < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    if (r.archiveClosed())
        return device().fail(Code::ArchiveClosed, QStringLiteral("архив ЭКЛЗ/ФН %1 уже закрыт").arg(r.storages.last().number));
    if (!r.storageActive())
        return device().fail(Code::StorageNotActive, QStringLiteral("нет активизированного ЭКЛЗ/ФН"));
    if (m_core->requirePrinter() < 0)
        return -1;

    QStringList lines = m_core->documentHead(true);
    lines.append(m_core->centered(QStringLiteral("ЗАКРЫТИЕ АРХИВА ЭКЛЗ/ФН")));
    lines += m_core->columns(QStringLiteral("ЭКЛЗ/ФН"), r.storages.last().number);
    lines += m_core->columns(QStringLiteral("ПОСЛЕДНЯЯ СМЕНА"), QString::number(r.lastClosedShift()));
    FiscalDocument document;
    document.kind = DocumentKind::ArchiveClose;
    document.operatorNumber = m_core->currentOperator();
    const FiscalDocument &issued = m_core->issue(document, lines, false);
    const QStringList printed = issued.lines;
    r.storages.last().closed = issued.time;
    return m_core->print(printed, true);
}

// ---- queries

int FiscalStorageModule::getStatus()
{
    PropertyStore &props = device().props();
    const FiscalRecords &r = m_core->records();
    const FiscalDocument *last = r.lastFiscalDocument();
    props.Summ = double(r.receiptOpen ? r.receipt.total : (last ? last->total : 0)) / 100.0;
    props.Session = r.shiftOpen ? r.shift.number : r.lastClosedShift() + 1;
    props.SerialNumber = r.storageNumber();
    props.KPKNumber = int(r.lastFiscalNumber);
    props.Date = last ? last->time.date() : QDate();
    props.Time = last ? last->time.time() : QTime();

    // Bits 0-1: the kind of the current or last receipt (sale, purchase,
    // sale return, purchase return); 2 archive open; 3 activated;
    // 5 document open; 6 shift open.
    int receiptType = r.receiptOpen ? r.receipt.type : 0;
    if (!receiptType) {
        const FiscalDocument *receipt = r.lastReceiptDocument();
        receiptType = receipt ? receipt->receiptType : fiscal::Sale;
    }
    int flags = 0;
    switch (receiptType) {
    case fiscal::Purchase:
    case fiscal::ExpenseCorrection:
        flags = 1;
        break;
    case fiscal::SaleReturn:
    case fiscal::SaleAnnulment:
    case fiscal::IncomeReturnCorrection:
        flags = 2;
        break;
    case fiscal::PurchaseReturn:
    case fiscal::PurchaseAnnulment:
    case fiscal::ExpenseReturnCorrection:
        flags = 3;
        break;
    default:
        break;
    }
    if (r.storageActive())
        flags |= 0x04;
    if (!r.storages.isEmpty())
        flags |= 0x08;
    if (r.receiptOpen)
        flags |= 0x20;
    if (r.shiftOpen)
        flags |= 0x40;
    props.EKLZFlags = flags;
    return 0;
}

int FiscalStorageModule::getKpk()
{
    PropertyStore &props = device().props();
    const std::optional<FiscalDocument> document = m_core->documentByFiscalNumber(props.KPKNumber);
    if (!document) {
        return device().fail(Code::DocumentNotFound,
                             QStringLiteral("KPKNumber = %1: фискальные документы имеют номера 1..%2")
                                 .arg(props.KPKNumber)
                                 .arg(m_core->records().lastFiscalNumber));
    }
    props.KPKValue = int(document->fiscalSign);
    return 0;
}

int FiscalStorageModule::getRange()
{
    PropertyStore &props = device().props();
    const FiscalRecords &r = m_core->records();
    if (r.closedShifts.isEmpty())
        return device().fail(Code::NoShiftRecords, QStringLiteral("ни одна смена еще не закрыта"));
    const ShiftRecord &first = r.closedShifts.first();
    const ShiftRecord &last = r.closedShifts.last();
    props.Date = first.closed.date();
    props.DateEnd = last.closed.date();
    props.Session = first.number;
    props.SessionEnd = last.number;
    return 0;
}

bool FiscalStorageModule::fnAnswer(const QByteArray &command, QByteArray *answer)
{
    const FiscalRecords &r = m_core->records();
    const int code = quint8(command.at(0));
    const auto expectLength = [&](int length) {
        if (command.size() == length)
            return true;
        device().fail(Code::InvalidFnCommand,
                      QStringLiteral("команда %1: %2 байт вместо %3")
                          .arg(hexOf(command.left(1)))
                          .arg(command.size())
                          .arg(length));
        return false;
    };
    const QByteArray storage = r.storageNumber().toLatin1().leftJustified(16, '0', true);
    switch (code) {
    case 0x30: { // status
        if (!expectLength(1))
            return false;
        const int phase = r.archiveClosed() ? 0x07 : r.storageActive() ? 0x03 : 0x01;
        answer->append(char(phase));
        answer->append(char(r.receiptOpen ? 0x04 : 0x00));
        answer->append(char(0));
        answer->append(char(r.shiftOpen ? 1 : 0));
        answer->append(char(0));
        const FiscalDocument *last = r.lastFiscalDocument();
        appendDateTime(answer, last ? last->time : QDateTime());
        answer->append(storage);
        appendLittleEndian(answer, quint64(r.lastFiscalNumber), 4);
        return true;
    }
    case 0x31: // storage number
        if (!expectLength(1))
            return false;
        answer->append(storage);
        return true;
    case 0x32: { // validity: end date, registrations left and made
        if (!expectLength(1))
            return false;
        const QDateTime from = r.storageActive() ? r.storages.last().activated : m_core->now();
        const QDate until = from.date().addMonths(13);
        answer->append(char(until.year() % 100));
        answer->append(char(until.month()));
        answer->append(char(until.day()));
        answer->append(char(fiscal::kMaxRegistrations - r.registrations.size()));
        answer->append(char(r.registrations.size()));
        return true;
    }
    case 0x33: // version and kind (1: serial)
        if (!expectLength(1))
            return false;
        answer->append(QByteArray("VIRTUAL FN 1.1").leftJustified(16, ' '));
        answer->append(char(1));
        return true;
    case 0x40: { // a document by its number
        if (!expectLength(5))
            return false;
        quint32 number = 0;
        for (int i = 0; i < 4; ++i)
            number |= quint32(quint8(command.at(1 + i))) << (8 * i);
        const std::optional<FiscalDocument> document = m_core->documentByFiscalNumber(number);
        if (!document) {
            device().fail(Code::DocumentNotFound,
                          QStringLiteral("ФД %1 нет; последний ФД %2").arg(number).arg(r.lastFiscalNumber));
            return false;
        }
        answer->append(char(storageDocumentType(*document)));
        answer->append(char(0)); // no receipt from the fiscal data operator
        appendDateTime(answer, document->time);
        appendLittleEndian(answer, quint64(document->fiscalNumber), 4);
        appendLittleEndian(answer, document->fiscalSign, 4);
        if (document->kind == DocumentKind::Receipt) {
            answer->append(char(fiscal::calculationSign(document->receiptType)));
            appendLittleEndian(answer, quint64(document->total), 5);
        }
        return true;
    }
    default:
        device().fail(Code::UnknownFnCommand,
                      QStringLiteral("команда %1; поддерживаются 30 (статус), 31 (номер ФН), 32 (срок действия), "
                                     "33 (версия), 40 nn nn nn nn (документ по номеру)")
                          .arg(hexOf(command.left(1))));
        return false;
    }
}

int FiscalStorageModule::runFnCommand()
{
    PropertyStore &props = device().props();
    props.AnswerBuffer.clear();
    QByteArray command;
    if (!bytesOf(props.CommandBuffer, &command) || command.isEmpty() || command.size() > 255) {
        return device().fail(Code::InvalidFnCommand,
                             QStringLiteral("CommandBuffer «%1»: от 1 до 255 байт, по две шестнадцатеричные цифры, "
                                            "например «30» или «40 01 00 00 00»")
                                 .arg(props.CommandBuffer));
    }
    QByteArray answer;
    if (!fnAnswer(command, &answer))
        return -1;
    props.AnswerBuffer = hexOf(answer);
    return 0;
}

// ---- resets before fiscalisation

int FiscalStorageModule::resetSummary()
{
    if (m_core->requireMode(kZReportMode, "ResetSummary") < 0 || requireNotFiscal("ResetSummary") < 0
        || requireShiftClosed("ResetSummary") < 0 || m_core->requirePrinter() < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    r.grand = Counters();
    r.shift.counters = Counters();
    r.cash = 0;
    QStringList lines = m_core->documentHead(false);
    lines.append(m_core->centered(QStringLiteral("ОБЩЕЕ ГАШЕНИЕ")));
    lines.append(m_core->centered(QStringLiteral("СУММЫ И СЧЕТЧИКИ ОБНУЛЕНЫ")));
    FiscalDocument document;
    document.kind = DocumentKind::Report;
    document.operatorNumber = m_core->currentOperator();
    const QStringList printed = m_core->issue(document, lines, false).lines;
    m_core->refreshStatus();
    return m_core->print(printed, true);
}

int FiscalStorageModule::techZero()
{
    if (m_core->requireMode(kSelectionMode, "TechZero") < 0 || requireNotFiscal("TechZero") < 0
        || m_core->requirePrinter() < 0)
        return -1;
    // The whole fiscal memory back to the factory state; only the serial
    // number, set at the factory, stays.
    m_core->resetArchive();
    QStringList lines = m_core->documentHead(false);
    lines.append(m_core->centered(QStringLiteral("ТЕХНОЛОГИЧЕСКОЕ ОБНУЛЕНИЕ")));
    lines.append(m_core->centered(QStringLiteral("ПАМЯТЬ ККТ ОЧИЩЕНА")));
    FiscalDocument document;
    document.kind = DocumentKind::Report;
    const QStringList printed = m_core->issue(document, lines, false).lines;
    m_core->refreshStatus();
    return m_core->print(printed, true);
}

} // namespace vreg
