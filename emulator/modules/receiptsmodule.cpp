#include "modules/receiptsmodule.h"

#include "core/device.h"
#include "modules/tapelayout.h"

#include <algorithm>
#include <cmath>

namespace vreg {

namespace {

constexpr int kRegistrationMode = 1;
constexpr int kMaxNameLength = 128;
constexpr int kMaxClassifierLength = 128;
constexpr int kMaxPositionType = 13;        // предмет расчета 1..13
constexpr int kMaxPositionPaymentType = 7;  // способ расчета 1..7

const char *const kPositionTypes[] = {
    "", "ТОВАР", "ПОДАКЦИЗНЫЙ ТОВАР", "РАБОТА", "УСЛУГА", "СТАВКА АЗАРТНОЙ ИГРЫ",
    "ВЫИГРЫШ АЗАРТНОЙ ИГРЫ", "ЛОТЕРЕЙНЫЙ БИЛЕТ", "ВЫИГРЫШ ЛОТЕРЕИ", "ПРЕДОСТАВЛЕНИЕ РИД", "ПЛАТЕЖ",
    "АГЕНТСКОЕ ВОЗНАГРАЖДЕНИЕ", "СОСТАВНОЙ ПРЕДМЕТ РАСЧЕТА", "ИНОЙ ПРЕДМЕТ РАСЧЕТА",
};
const char *const kPositionPaymentTypes[] = {
    "", "ПРЕДОПЛАТА 100%", "ПРЕДОПЛАТА", "АВАНС", "ПОЛНЫЙ РАСЧЕТ", "ЧАСТИЧНЫЙ РАСЧЕТ И КРЕДИТ",
    "ПЕРЕДАЧА В КРЕДИТ", "ОПЛАТА КРЕДИТА",
};

QString amountText(Money amount)
{
    return QLatin1Char('=') + FiscalCore::money(amount);
}

QString valueText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

ReceiptsModule::ReceiptsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core)
    : Module(device)
    , m_core(std::move(core))
{
    // A receipt prints unless the caller says otherwise.
    device.props().PrintCheck = 1;

    FiscalCore *fiscal = m_core.get();
    DeviceContext *context = &device;
    Services &services = device.services();
    services.shiftOpen = [fiscal, context] { return context->connected() && fiscal->records().shiftOpen; };
    services.receiptOpen = [fiscal, context] { return context->connected() && fiscal->records().receiptOpen; };
    services.refreshFiscalStatus = [fiscal, context] {
        if (context->connected())
            fiscal->refreshStatus();
    };

    device.onRead(Prop::SessionOpened, [fiscal, context] {
        context->props().SessionOpened = context->connected() && fiscal->records().shiftOpen ? 1 : 0;
    });
    device.onRead(Prop::ChequeState, [fiscal, context] {
        const FiscalRecords &r = fiscal->records();
        context->props().ChequeState = context->connected() && r.receiptOpen ? r.receipt.type : 0;
    });
}

void ReceiptsModule::registerActions(ActionRegistry &registry)
{
    // Whatever the outcome, Summ, Remainder, Change and ChequeNumber show
    // the open receipt again afterwards (the caller wrote Summ as an input).
    const auto add = [&](Action action, std::function<int()> handler) {
        registry.add(action, Subject::Receipts, [this, handler] {
            const int result = handler();
            m_core->refreshReceiptStatus();
            return result;
        });
    };
    add(Action::OpenSession, [this] { return openSession(); });
    add(Action::OpenCheque, [this] { return openCheque(); });
    add(Action::Sell, [this] { return registerPosition(fiscal::Sale, PositionSet::Full, "Sell"); });
    add(Action::SellReturn, [this] { return registerPosition(fiscal::SaleReturn, PositionSet::Full, "SellReturn"); });
    add(Action::SellAnnulate,
        [this] { return registerPosition(fiscal::SaleAnnulment, PositionSet::Annulment, "SellAnnulate"); });
    add(Action::Buy, [this] { return registerPosition(fiscal::Purchase, PositionSet::Full, "Buy"); });
    add(Action::BuyReturn, [this] { return registerPosition(fiscal::PurchaseReturn, PositionSet::Full, "BuyReturn"); });
    add(Action::BuyAnnulate,
        [this] { return registerPosition(fiscal::PurchaseAnnulment, PositionSet::Annulment, "BuyAnnulate"); });
    add(Action::Correction,
        [this] { return registerPosition(fiscal::IncomeCorrection, PositionSet::Correction, "Correction"); });
    add(Action::ReturnCorrection, [this] {
        return registerPosition(fiscal::IncomeReturnCorrection, PositionSet::Correction, "ReturnCorrection");
    });
    add(Action::BuyCorrection,
        [this] { return registerPosition(fiscal::ExpenseCorrection, PositionSet::Correction, "BuyCorrection"); });
    add(Action::BuyReturnCorrection, [this] {
        return registerPosition(fiscal::ExpenseReturnCorrection, PositionSet::Correction, "BuyReturnCorrection");
    });
    add(Action::Storno, [this] { return storno(); });
    add(Action::Discount, [this] { return adjust(false, "Discount"); });
    add(Action::Charge, [this] { return adjust(true, "Charge"); });
    add(Action::ResetChargeDiscount, [this] { return resetChargeDiscount(); });
    add(Action::Tax, [this] { return tax(); });
    add(Action::StornoTax, [this] { return stornoTax(); });
    add(Action::Payment, [this] { return payment(); });
    add(Action::StornoPayment, [this] { return stornoPayment(); });
    add(Action::CloseCheque, [this] { return closeCheque(); });
    add(Action::CancelCheque, [this] { return cancelCheque(); });
    add(Action::CashIncome, [this] { return cash(true, "CashIncome"); });
    add(Action::CashOutcome, [this] { return cash(false, "CashOutcome"); });
    registry.add(Action::GetSumm, Subject::Receipts, [this] { return getSumm(); });
}

// ---- memory

void ReceiptsModule::resetState()
{
    m_core->records().resetShifts();
    m_core->store().forgetShifts();
}

bool ReceiptsModule::load(Database &db, QString *error)
{
    return m_core->store().loadShifts(db, &m_core->records(), error);
}

bool ReceiptsModule::store(Database &db)
{
    return m_core->store().storeShifts(db, m_core->records());
}

bool ReceiptsModule::loadState(const QJsonObject &section, QString *error)
{
    return m_core->records().shiftsFromJson(section, error);
}

int ReceiptsModule::connected()
{
    m_core->refreshStatus();
    return 0;
}

void ReceiptsModule::reloaded()
{
    m_core->refreshStatus();
}

// ---- checks shared by the actions

int ReceiptsModule::checkShiftUsable(const char *action)
{
    const FiscalRecords &r = m_core->records();
    if (r.shiftOpen) {
        if (m_core->shiftExpired()) {
            return device().fail(Code::ShiftExpired,
                                 QStringLiteral("%1: смена %2 открыта %3, более 24 часов назад; снимите Z-отчет")
                                     .arg(QString::fromUtf8(action))
                                     .arg(r.shift.number)
                                     .arg(r.shift.opened.toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
        }
        return 0;
    }
    if (m_core->requireFiscalStorage(action) < 0)
        return -1;
    if (r.closedShifts.size() >= fiscal::kMaxShiftRecords) {
        return device().fail(Code::FiscalMemoryFull,
                             QStringLiteral("в фискальной памяти записано %1 смен из %1")
                                 .arg(fiscal::kMaxShiftRecords));
    }
    return 0;
}

int ReceiptsModule::checkReceiptOfType(int receiptType, const char *action)
{
    if (m_core->requireMode(kRegistrationMode, action) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (r.receiptOpen) {
        if (r.receipt.type != receiptType) {
            return device().fail(Code::ReceiptOfOtherType,
                                 QStringLiteral("%1 регистрирует в чеке типа %2 (%3), открыт чек типа %4 (%5)")
                                     .arg(QString::fromUtf8(action))
                                     .arg(receiptType)
                                     .arg(receiptTypeTitle(receiptType).toLower())
                                     .arg(r.receipt.type)
                                     .arg(receiptTypeTitle(r.receipt.type).toLower()));
        }
        return checkPositionsMayChange(action);
    }
    return checkShiftUsable(action);
}

int ReceiptsModule::checkPositionsMayChange(const char *action)
{
    const Receipt &receipt = m_core->records().receipt;
    if (receipt.paid() > 0) {
        return device().fail(Code::ReceiptInPayment,
                             QStringLiteral("%1: в чеке уже внесена оплата %2; отмените ее (StornoPayment) или закройте чек")
                                 .arg(QString::fromUtf8(action), FiscalCore::money(receipt.paid())));
    }
    return 0;
}

void ReceiptsModule::openReceipt(int receiptType, bool printed, QList<Chunk> *chunks)
{
    FiscalRecords &r = m_core->records();
    const int op = m_core->currentOperator();
    if (!r.shiftOpen)
        chunks->append({m_core->openShift(op, QString()), true});

    Receipt receipt;
    receipt.type = receiptType;
    receipt.number = r.shift.receipts + 1;
    receipt.session = r.shift.number;
    receipt.opened = m_core->now();
    receipt.operatorNumber = op;
    receipt.printed = printed;

    QStringList lines = m_core->documentHead(true);
    lines.append(m_core->centered(receiptType >= fiscal::IncomeCorrection ? QStringLiteral("ЧЕК КОРРЕКЦИИ")
                                                                          : QStringLiteral("КАССОВЫЙ ЧЕК")));
    lines.append(m_core->centered(receiptTypeTitle(receiptType)));
    lines += m_core->columns(QStringLiteral("ЧЕК %1").arg(receipt.number), QStringLiteral("СМЕНА %1").arg(receipt.session));
    if (op > 0)
        lines += m_core->columns(QStringLiteral("КАССИР"), m_core->operatorName(op));
    lines.append(m_core->dateTime(receipt.opened));
    lines.append(m_core->rule());
    receipt.lines = lines;
    r.receipt = receipt;
    r.receiptOpen = true;
    if (printed)
        chunks->append({lines, false});
}

int ReceiptsModule::departmentTax(int department) const
{
    // The tax of a department is table value 315 + (department - 1); the
    // free department 0 takes the first department's.
    const Services &services = device().services();
    const int tax = services.value ? int(services.value(315 + qMax(0, department - 1))) : 0;
    return tax >= 1 && tax < fiscal::kTaxNumbers ? tax : 4;
}

int ReceiptsModule::finish(const QList<Chunk> &chunks)
{
    // Printing goes onto the paper only once the action is stored; a text
    // the printer refuses fails the action before anything is.
    for (const Chunk &chunk : chunks) {
        if (m_core->print(chunk.lines, chunk.cut) < 0)
            return -1;
    }
    m_core->refreshStatus();
    return 0;
}

// The draft becomes the open receipt with its new lines, printed at once when
// the receipt is printed; when the printer cannot print, nothing changes.
int ReceiptsModule::commitDraft(Receipt draft, const QStringList &lines)
{
    FiscalRecords &r = m_core->records();
    if (r.receipt.printed && m_core->requirePrinter() < 0)
        return -1;
    draft.lines += lines;
    r.receipt = draft;
    return finish(r.receipt.printed ? QList<Chunk>{{lines, false}} : QList<Chunk>{});
}

// ---- shift and receipt

int ReceiptsModule::openSession()
{
    if (m_core->requireMode(kRegistrationMode, "OpenSession") < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (r.shiftOpen) {
        return device().fail(Code::ShiftAlreadyOpen,
                             QStringLiteral("смена %1 открыта %2")
                                 .arg(r.shift.number)
                                 .arg(r.shift.opened.toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
    }
    if (checkShiftUsable("OpenSession") < 0)
        return -1;
    if (device().props().TestMode == 1)
        return 0;
    if (m_core->requirePrinter() < 0)
        return -1;

    // The shift is opened by the operator whose password came with it, or
    // by the one who entered the mode.
    int op = m_core->currentOperator();
    const Services &services = device().services();
    const QString password = device().props().Password;
    if (!password.isEmpty() && services.operatorOfPassword) {
        const int owner = services.operatorOfPassword(password);
        if (owner > 0)
            op = owner;
    }
    const QStringList lines = m_core->openShift(op, device().props().Caption);
    return finish({{lines, true}});
}

int ReceiptsModule::openCheque()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "OpenCheque") < 0)
        return -1;
    const int type = props.ChequeType;
    if (type < 1 || type > fiscal::kReceiptTypes)
        return device().fail(Code::InvalidChequeType, QStringLiteral("ChequeType = %1; допустимо 1..10").arg(type));
    if (m_core->requireNoReceipt("OpenCheque") < 0)
        return -1;
    if (checkShiftUsable("OpenCheque") < 0)
        return -1;
    if (props.TestMode == 1)
        return 0;
    if ((props.PrintCheck != 0 || !m_core->records().shiftOpen) && m_core->requirePrinter() < 0)
        return -1;
    QList<Chunk> chunks;
    openReceipt(type, props.PrintCheck != 0, &chunks);
    return finish(chunks);
}

int ReceiptsModule::registerPosition(int receiptType, PositionSet set, const char *action)
{
    const PropertyStore &props = device().props();
    if (checkReceiptOfType(receiptType, action) < 0)
        return -1;

    // ---- the position from the properties the bench writes for the action
    Position p;
    p.name = props.Name;
    if (p.name.size() > kMaxNameLength) {
        return device().fail(Code::InvalidPositionField,
                             QStringLiteral("Name: %1 символов, не более %2").arg(p.name.size()).arg(kMaxNameLength));
    }
    // Checked here, not when printing: a receipt printed without its
    // positions (PrintCheck 0) keeps the name in the archive all the same.
    {
        QList<tape::Piece> pieces;
        QString error;
        if (!tape::parseMarks(p.name, false, &pieces, &error))
            return device().fail(Code::InvalidTextMark, QStringLiteral("Name: %1").arg(error));
    }
    const int wrap = props.TextWrap;
    if (wrap < 0 || wrap > 2)
        return device().fail(Code::InvalidPositionField, QStringLiteral("TextWrap = %1; допустимо 0..2").arg(wrap));
    if (!FiscalCore::toQuantity(props.Quantity, &p.quantity) || p.quantity <= 0 || p.quantity > fiscal::kMaxQuantity) {
        return device().fail(Code::InvalidQuantity,
                             QStringLiteral("Quantity = %1; допустимо от 0.001 до 99999.999").arg(valueText(props.Quantity)));
    }
    if (!FiscalCore::toMoney(props.Price, &p.price) || p.price < 0 || p.price > fiscal::kMaxAmount) {
        return device().fail(Code::InvalidPrice,
                             QStringLiteral("Price = %1; допустимо от 0 до 9999999999.99").arg(valueText(props.Price)));
    }
    p.department = props.Department;
    if (p.department < 0 || p.department >= fiscal::kDepartments) {
        return device().fail(Code::InvalidDepartment,
                             QStringLiteral("Department = %1; допустимо 0..16").arg(p.department));
    }

    int taxNumber = 0;
    Money positionSum = 0;
    Money taxSum = 0;
    if (set != PositionSet::Annulment) {
        taxNumber = props.TaxNumber;
        if (taxNumber < 0 || taxNumber >= fiscal::kTaxNumbers) {
            return device().fail(Code::InvalidTaxNumber,
                                 QStringLiteral("TaxNumber = %1; допустимо 0 (налог секции) .. 6").arg(taxNumber));
        }
        if (!std::isnan(props.PositionSum) && props.PositionSum > 0
            && (!FiscalCore::toMoney(props.PositionSum, &positionSum) || positionSum > fiscal::kMaxAmount)) {
            return device().fail(Code::AmountOverflow,
                                 QStringLiteral("PositionSum = %1 больше 9999999999.99").arg(valueText(props.PositionSum)));
        }
        if (!FiscalCore::toMoney(props.PositionSum, &positionSum) || positionSum < 0) {
            return device().fail(Code::InvalidAmount,
                                 QStringLiteral("PositionSum = %1; допустимо от 0 до 9999999999.99")
                                     .arg(valueText(props.PositionSum)));
        }
        p.positionType = props.PositionType;
        if (p.positionType < 0 || p.positionType > kMaxPositionType) {
            return device().fail(Code::InvalidPositionField,
                                 QStringLiteral("PositionType = %1; допустимо 0 (не указан) .. %2")
                                     .arg(p.positionType)
                                     .arg(kMaxPositionType));
        }
        p.positionPaymentType = props.PositionPaymentType;
        if (p.positionPaymentType < 0 || p.positionPaymentType > kMaxPositionPaymentType) {
            return device().fail(Code::InvalidPositionField,
                                 QStringLiteral("PositionPaymentType = %1; допустимо 0 (не указан) .. %2")
                                     .arg(p.positionPaymentType)
                                     .arg(kMaxPositionPaymentType));
        }
        p.classifier = props.PositionClassifier.trimmed();
        if (p.classifier.size() > kMaxClassifierLength) {
            return device().fail(Code::InvalidPositionField,
                                 QStringLiteral("PositionClassifier: %1 символов, не более %2")
                                     .arg(p.classifier.size())
                                     .arg(kMaxClassifierLength));
        }
        if (!FiscalCore::toMoney(props.Summ, &p.discountInfo) || p.discountInfo < 0) {
            return device().fail(Code::InvalidAmount,
                                 QStringLiteral("Summ (информация о скидке) = %1; не может быть отрицательной")
                                     .arg(valueText(props.Summ)));
        }
        const bool onlyTaxNumber = set == PositionSet::Full && props.UseOnlyTaxNumber != 0;
        if (!onlyTaxNumber) {
            if (!FiscalCore::toMoney(props.TaxSum, &taxSum) || taxSum < 0) {
                return device().fail(Code::InvalidAmount,
                                     QStringLiteral("TaxSum = %1; не может быть отрицательной").arg(valueText(props.TaxSum)));
            }
            if (taxSum > 0 && props.TaxMode != 0 && props.TaxMode != 1) {
                return device().fail(Code::InvalidPositionField,
                                     QStringLiteral("TaxMode = %1; допустимо 0 (на позицию), 1 (на единицу)").arg(props.TaxMode));
            }
        }
        if (set == PositionSet::Full && props.Piece != 0 && p.quantity % 1000 != 0) {
            return device().fail(Code::InvalidQuantity,
                                 QStringLiteral("штучный товар (Piece = 1): количество %1 должно быть целым")
                                     .arg(FiscalCore::quantity(p.quantity)));
        }
    }

    p.taxNumber = taxNumber == 0 ? departmentTax(p.department) : taxNumber;
    if (positionSum > 0) {
        p.sum = positionSum;
        p.sumGiven = true;
    } else {
        const __int128 product = __int128(p.quantity) * p.price;
        const __int128 rounded = (product + 500) / 1000;
        if (rounded > fiscal::kMaxAmount) {
            return device().fail(Code::AmountOverflow,
                                 QStringLiteral("%1 x %2 больше 9999999999.99")
                                     .arg(FiscalCore::quantity(p.quantity), FiscalCore::money(p.price)));
        }
        p.sum = Money(rounded);
    }
    if (taxSum > 0 && p.taxNumber != 1 && p.taxNumber != 4) {
        p.givenTax = props.TaxMode == 1 ? Money((__int128(taxSum) * p.quantity + 500) / 1000) : taxSum;
        if (p.givenTax > p.sum) {
            return device().fail(Code::InvalidAmount,
                                 QStringLiteral("налог позиции %1 больше ее суммы %2")
                                     .arg(FiscalCore::money(p.givenTax), FiscalCore::money(p.sum)));
        }
    }
    if (p.discountInfo > p.sum) {
        return device().fail(Code::InvalidAmount,
                             QStringLiteral("Summ (информация о скидке) %1 больше суммы позиции %2")
                                 .arg(FiscalCore::money(p.discountInfo), FiscalCore::money(p.sum)));
    }
    const bool positionPrinted = set != PositionSet::Full || props.PrintCheck != 0;
    p.printed = positionPrinted;

    // ---- the receipt with the position, checked before anything changes.
    // An open receipt takes the position at once and gives it back when it
    // is refused: checking a copy would make every sale of a long receipt
    // cost as much as all the sales before it.
    FiscalRecords &r = m_core->records();
    Receipt draft;
    draft.type = receiptType;
    Receipt &target = r.receiptOpen ? r.receipt : draft;
    p.id = target.nextPositionId;
    p.tags = r.pendingPositionTags;
    target.positions.append(p);
    target.registrations[size_t(p.department)].add(p.sum);
    const auto takeBack = [&](int result) {
        target.positions.removeLast();
        Tally &registered = target.registrations[size_t(p.department)];
        registered.sum -= p.sum;
        --registered.count;
        QString ignored;
        target.recompute(&ignored);
        return result;
    };
    QString error;
    if (!target.recompute(&error))
        return takeBack(device().fail(Code::AmountOverflow, error));
    if (props.CheckSumm == 1 && fiscal::cashDirection(receiptType) < 0 && target.total > r.cash) {
        return takeBack(device().fail(Code::InsufficientCash,
                                      QStringLiteral("в кассе %1, чек на %2 (CheckSumm = 1)")
                                          .arg(FiscalCore::money(r.cash), FiscalCore::money(target.total))));
    }
    if (props.TestMode == 1)
        return takeBack(0);
    const bool prints = !r.shiftOpen || (r.receiptOpen ? r.receipt.printed && positionPrinted : positionPrinted);
    if (prints && m_core->requirePrinter() < 0)
        return takeBack(-1);

    // ---- registration
    QList<Chunk> chunks;
    if (!r.receiptOpen) {
        openReceipt(receiptType, positionPrinted, &chunks);
        r.receipt.positions.append(p);
        r.receipt.registrations[size_t(p.department)].add(p.sum);
        r.receipt.recompute(&error);
    }
    Receipt &receipt = r.receipt;
    ++receipt.nextPositionId;
    r.pendingPositionTags.clear();
    const QStringList lines = positionLines(receipt.positions.last(), wrap);
    receipt.lines += lines;
    if (receipt.printed && positionPrinted)
        chunks.append({lines, false});
    return finish(chunks);
}

QStringList ReceiptsModule::positionLines(const Position &p, int wrap) const
{
    QStringList lines = m_core->wrapped(p.name, wrap);
    lines += m_core->columns(QStringLiteral("  %1 x %2").arg(FiscalCore::quantity(p.quantity), FiscalCore::money(p.price)),
                             amountText(p.sum));
    const QString department = m_core->departmentName(p.department);
    if (!department.isEmpty())
        lines.append(QStringLiteral("  ") + department.left(m_core->width() - 2));
    const Money tax = p.givenTax >= 0 ? p.givenTax : fiscal::taxOf(p.sum, p.taxNumber);
    if (p.taxNumber == 4)
        lines.append(QStringLiteral("  ") + taxName(p.taxNumber));
    else
        lines += m_core->columns(QStringLiteral("  ") + taxName(p.taxNumber), amountText(tax));
    if (p.positionPaymentType > 0)
        lines.append(QStringLiteral("  ") + QString::fromUtf8(kPositionPaymentTypes[p.positionPaymentType]));
    if (p.positionType > 0)
        lines.append(QStringLiteral("  ") + QString::fromUtf8(kPositionTypes[p.positionType]));
    if (!p.classifier.isEmpty())
        lines += m_core->columns(QStringLiteral("  КОД ТОВАРА"), p.classifier);
    if (p.discountInfo > 0)
        lines += m_core->columns(QStringLiteral("  В Т.Ч. СКИДКА"), amountText(p.discountInfo));
    for (const FiscalTag &tag : p.tags) {
        if (tag.print)
            lines += m_core->tagLines(tag);
    }
    return lines;
}

int ReceiptsModule::storno()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "Storno") < 0 || m_core->requireReceipt("Storno") < 0
        || checkPositionsMayChange("Storno") < 0)
        return -1;
    qint64 quantity = 0;
    Money price = 0;
    if (!FiscalCore::toQuantity(props.Quantity, &quantity) || quantity <= 0 || quantity > fiscal::kMaxQuantity) {
        return device().fail(Code::InvalidQuantity,
                             QStringLiteral("Quantity = %1; допустимо от 0.001 до 99999.999").arg(valueText(props.Quantity)));
    }
    if (!FiscalCore::toMoney(props.Price, &price) || price < 0 || price > fiscal::kMaxAmount)
        return device().fail(Code::InvalidPrice, QStringLiteral("Price = %1").arg(valueText(props.Price)));

    FiscalRecords &r = m_core->records();
    Receipt draft = r.receipt;
    int index = -1;
    for (int i = draft.positions.size() - 1; i >= 0 && index < 0; --i) {
        const Position &candidate = draft.positions[i];
        if (candidate.name == props.Name && candidate.price == price && candidate.quantity >= quantity)
            index = i;
    }
    if (index < 0) {
        return device().fail(Code::StornoNotFound,
                             QStringLiteral("в чеке нет позиции «%1» с ценой %2 и количеством не меньше %3")
                                 .arg(props.Name, FiscalCore::money(price), FiscalCore::quantity(quantity)));
    }
    Position &target = draft.positions[index];
    const Position before = target;
    Money taken = 0;
    ++draft.positionEdits;
    if (quantity == target.quantity) {
        taken = target.sum;
        const int id = target.id;
        draft.positions.removeAt(index);
        draft.adjustments.erase(std::remove_if(draft.adjustments.begin(), draft.adjustments.end(),
                                               [id](const Adjustment &a) { return a.positionId == id; }),
                                draft.adjustments.end());
    } else {
        for (const Adjustment &a : draft.adjustments) {
            if (a.positionId == target.id) {
                return device().fail(Code::InvalidQuantity,
                                     QStringLiteral("на позицию «%1» начислена скидка/надбавка: сторно только на все количество %2")
                                         .arg(target.name, FiscalCore::quantity(target.quantity)));
            }
        }
        const qint64 left = target.quantity - quantity;
        const Money newSum = target.sumGiven ? Money((__int128(target.sum) * left * 2 + target.quantity) / (2 * __int128(target.quantity)))
                                             : Money((__int128(left) * target.price + 500) / 1000);
        if (target.givenTax >= 0)
            target.givenTax = Money((__int128(target.givenTax) * left * 2 + target.quantity) / (2 * __int128(target.quantity)));
        taken = target.sum - newSum;
        target.quantity = left;
        target.sum = newSum;
        target.discountInfo = qMin(target.discountInfo, newSum);
    }
    draft.storno.add(taken);
    QString error;
    if (!draft.recompute(&error))
        return device().fail(Code::AdjustmentTooLarge, QStringLiteral("после сторно: ") + error);
    if (props.TestMode == 1)
        return 0;
    QStringList lines{m_core->centered(QStringLiteral("СТОРНО"))};
    lines += m_core->wrapped(before.name, props.TextWrap >= 0 && props.TextWrap <= 2 ? props.TextWrap : 1);
    lines += m_core->columns(QStringLiteral("  %1 x %2").arg(FiscalCore::quantity(quantity), FiscalCore::money(price)),
                             amountText(-taken));
    return commitDraft(draft, lines);
}

// ---- discounts, charges, taxes

QStringList ReceiptsModule::adjustmentLines(const Adjustment &a, bool cancel) const
{
    QString label = a.charge ? QStringLiteral("НАДБАВКА") : QStringLiteral("СКИДКА");
    if (cancel)
        label = QStringLiteral("ОТМЕНА ") + (a.charge ? QStringLiteral("НАДБАВКИ") : QStringLiteral("СКИДКИ"));
    if (a.positionId == 0 && !cancel)
        label += QStringLiteral(" НА ЧЕК");
    if (a.percent)
        label += QStringLiteral(" ") + FiscalCore::money(a.value) + QLatin1Char('%');
    const QString name = m_core->discountName(a.number);
    QStringList lines;
    if (!name.isEmpty())
        lines += m_core->wrapped(name, 1);
    const Money signedAmount = (a.charge != cancel) ? a.amount : -a.amount;
    lines += m_core->columns(label, amountText(signedAmount));
    return lines;
}

int ReceiptsModule::adjust(bool charge, const char *action)
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, action) < 0 || m_core->requireReceipt(action) < 0
        || checkPositionsMayChange(action) < 0)
        return -1;
    if (props.DiscountType != 0 && props.DiscountType != 1) {
        return device().fail(Code::InvalidDiscount,
                             QStringLiteral("DiscountType = %1; допустимо 0 (сумма), 1 (процент)").arg(props.DiscountType));
    }
    if (props.Destination != 0 && props.Destination != 1) {
        return device().fail(Code::InvalidDiscount,
                             QStringLiteral("Destination = %1; допустимо 0 (на чек), 1 (на позицию)").arg(props.Destination));
    }
    if (props.DiscountNumber < 0 || props.DiscountNumber >= fiscal::kDiscountNumbers) {
        return device().fail(Code::InvalidDiscount,
                             QStringLiteral("DiscountNumber = %1; допустимо 0..16").arg(props.DiscountNumber));
    }
    FiscalRecords &r = m_core->records();
    if (r.receipt.positions.isEmpty())
        return device().fail(Code::EmptyReceipt, QStringLiteral("%1: в чеке нет позиций").arg(QString::fromUtf8(action)));

    Adjustment a;
    a.charge = charge;
    a.percent = props.DiscountType == 1;
    a.number = props.DiscountNumber;
    a.positionId = props.Destination == 1 ? r.receipt.positions.last().id : 0;
    Money value = 0;
    if (!FiscalCore::toMoney(props.Summ, &value) || value <= 0 || value > fiscal::kMaxAmount
        || (a.percent && value > 10000)) {
        return device().fail(a.percent ? Code::InvalidDiscount : Code::InvalidAmount,
                             a.percent ? QStringLiteral("Summ = %1: процент от 0.01 до 100").arg(valueText(props.Summ))
                                       : QStringLiteral("Summ = %1: сумма больше 0").arg(valueText(props.Summ)));
    }
    a.value = value;

    Receipt draft = r.receipt;
    draft.adjustments.append(a);
    QString error;
    if (!draft.recompute(&error))
        return device().fail(Code::AdjustmentTooLarge, error);
    const Adjustment &added = draft.adjustments.last();
    if (added.amount == 0) {
        return device().fail(Code::InvalidAmount,
                             QStringLiteral("%1 %2% от %3 меньше копейки")
                                 .arg(charge ? QStringLiteral("надбавка") : QStringLiteral("скидка"),
                                      FiscalCore::money(a.value),
                                      FiscalCore::money(draft.total)));
    }
    if (props.TestMode == 1)
        return 0;
    const QStringList lines = adjustmentLines(added, false);
    return commitDraft(draft, lines);
}

int ReceiptsModule::resetChargeDiscount()
{
    if (m_core->requireMode(kRegistrationMode, "ResetChargeDiscount") < 0
        || m_core->requireReceipt("ResetChargeDiscount") < 0 || checkPositionsMayChange("ResetChargeDiscount") < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    if (r.receipt.adjustments.isEmpty())
        return device().fail(Code::NoAdjustment, QStringLiteral("в чеке нет скидок и надбавок"));
    Receipt draft = r.receipt;
    const Adjustment removed = draft.adjustments.takeLast();
    QString error;
    if (!draft.recompute(&error))
        return device().fail(Code::AdjustmentTooLarge, QStringLiteral("без последней скидки/надбавки: ") + error);
    return commitDraft(draft, adjustmentLines(removed, true));
}

int ReceiptsModule::tax()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "Tax") < 0 || m_core->requireReceipt("Tax") < 0
        || checkPositionsMayChange("Tax") < 0)
        return -1;
    const int number = props.TaxNumber;
    if (number < 1 || number >= fiscal::kTaxNumbers)
        return device().fail(Code::InvalidTaxNumber, QStringLiteral("TaxNumber = %1; допустимо 1..6").arg(number));
    if (props.Destination != 0 && props.Destination != 1) {
        return device().fail(Code::InvalidDiscount,
                             QStringLiteral("Destination = %1; допустимо 0 (на чек), 1 (на позицию)").arg(props.Destination));
    }
    Money amount = 0;
    if (!FiscalCore::toMoney(props.Summ, &amount) || amount < 0)
        return device().fail(Code::InvalidAmount, QStringLiteral("Summ = %1").arg(valueText(props.Summ)));
    if (amount > 0 && (number == 1 || number == 4)) {
        return device().fail(Code::InvalidAmount,
                             QStringLiteral("ставка «%1» не имеет суммы налога; Summ = 0").arg(taxName(number)));
    }
    FiscalRecords &r = m_core->records();
    if (r.receipt.positions.isEmpty())
        return device().fail(Code::EmptyReceipt, QStringLiteral("Tax: в чеке нет позиций"));

    Receipt draft = r.receipt;
    QStringList lines;
    if (props.Destination == 1) {
        ++draft.positionEdits;
        Position &last = draft.positions.last();
        if (amount > last.final) {
            return device().fail(Code::InvalidAmount,
                                 QStringLiteral("налог %1 больше суммы позиции %2")
                                     .arg(FiscalCore::money(amount), FiscalCore::money(last.final)));
        }
        last.taxNumber = number;
        last.givenTax = amount > 0 ? amount : -1;
        QString error;
        draft.recompute(&error);
        lines += m_core->columns(QStringLiteral("НАЛОГ НА ПОЗИЦИЮ ") + taxName(number),
                                 amountText(draft.positions.last().tax));
    } else {
        const Money value = amount > 0 ? amount : fiscal::taxOf(draft.total, number);
        if (value > draft.total) {
            return device().fail(Code::InvalidAmount,
                                 QStringLiteral("налог %1 больше суммы чека %2")
                                     .arg(FiscalCore::money(value), FiscalCore::money(draft.total)));
        }
        draft.taxes.erase(std::remove_if(draft.taxes.begin(), draft.taxes.end(),
                                         [number](const ReceiptTax &t) { return t.taxNumber == number; }),
                          draft.taxes.end());
        draft.taxes.append({number, value});
        lines += m_core->columns(QStringLiteral("НАЛОГ НА ЧЕК ") + taxName(number), amountText(value));
    }
    if (props.TestMode == 1)
        return 0;
    return commitDraft(draft, lines);
}

int ReceiptsModule::stornoTax()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "StornoTax") < 0 || m_core->requireReceipt("StornoTax") < 0
        || checkPositionsMayChange("StornoTax") < 0)
        return -1;
    const int number = props.TaxNumber;
    if (number < 1 || number >= fiscal::kTaxNumbers)
        return device().fail(Code::InvalidTaxNumber, QStringLiteral("TaxNumber = %1; допустимо 1..6").arg(number));
    Money amount = 0;
    if (!FiscalCore::toMoney(props.Summ, &amount) || amount < 0)
        return device().fail(Code::InvalidAmount, QStringLiteral("Summ = %1").arg(valueText(props.Summ)));
    FiscalRecords &r = m_core->records();
    Receipt draft = r.receipt;
    int index = -1;
    for (int i = 0; i < draft.taxes.size(); ++i) {
        if (draft.taxes[i].taxNumber == number)
            index = i;
    }
    if (index < 0)
        return device().fail(Code::TaxNotFound, QStringLiteral("на чек не начислен налог «%1»").arg(taxName(number)));
    if (amount > 0 && draft.taxes[index].amount != amount) {
        return device().fail(Code::TaxNotFound,
                             QStringLiteral("налог «%1» начислен на сумму %2, не %3")
                                 .arg(taxName(number), FiscalCore::money(draft.taxes[index].amount), FiscalCore::money(amount)));
    }
    if (props.TestMode == 1)
        return 0;
    const ReceiptTax removed = draft.taxes.takeAt(index);
    const QStringList lines = m_core->columns(QStringLiteral("ОТМЕНА НАЛОГА ") + taxName(number), amountText(-removed.amount));
    return commitDraft(draft, lines);
}

// ---- payments

int ReceiptsModule::payment()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "Payment") < 0 || m_core->requireReceipt("Payment") < 0)
        return -1;
    const int type = props.PaymentType;
    if (type < 0 || type >= fiscal::kPaymentTypes)
        return device().fail(Code::InvalidPaymentType, QStringLiteral("PaymentType = %1; допустимо 0..9").arg(type));
    Money amount = 0;
    if (!FiscalCore::toMoney(props.Summ, &amount) || amount <= 0 || amount > fiscal::kMaxAmount)
        return device().fail(Code::InvalidAmount, QStringLiteral("Summ = %1: сумма оплаты больше 0").arg(valueText(props.Summ)));
    FiscalRecords &r = m_core->records();
    if (r.receipt.positions.isEmpty())
        return device().fail(Code::EmptyReceipt, QStringLiteral("Payment: в чеке нет позиций"));
    const Money due = r.receipt.remainder();
    if (type != 0 && amount > due) {
        return device().fail(Code::NonCashOverpayment,
                             QStringLiteral("к оплате %1, оплата типа %2 на %3; сдача дается только с наличных")
                                 .arg(FiscalCore::money(due))
                                 .arg(type)
                                 .arg(FiscalCore::money(amount)));
    }
    if (r.receipt.paid() + amount > fiscal::kMaxAmount)
        return device().fail(Code::AmountOverflow, QStringLiteral("оплата чека больше 9999999999.99"));
    if (props.TestMode == 1) {
        m_core->refreshReceiptStatus();
        return 0;
    }
    r.receipt.payments[size_t(type)] += amount;
    return finish({});
}

int ReceiptsModule::stornoPayment()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "StornoPayment") < 0 || m_core->requireReceipt("StornoPayment") < 0)
        return -1;
    const int type = props.PaymentType;
    if (type < 0 || type >= fiscal::kPaymentTypes)
        return device().fail(Code::InvalidPaymentType, QStringLiteral("PaymentType = %1; допустимо 0..9").arg(type));
    Money amount = 0;
    if (!FiscalCore::toMoney(props.Summ, &amount) || amount <= 0 || amount > fiscal::kMaxAmount)
        return device().fail(Code::InvalidAmount, QStringLiteral("Summ = %1: сумма больше 0").arg(valueText(props.Summ)));
    FiscalRecords &r = m_core->records();
    const Money paid = r.receipt.payments[size_t(type)];
    if (amount > paid) {
        return device().fail(Code::PaymentStornoTooLarge,
                             QStringLiteral("оплачено типом %1: %2, отмена на %3")
                                 .arg(type)
                                 .arg(FiscalCore::money(paid), FiscalCore::money(amount)));
    }
    if (props.TestMode == 1) {
        m_core->refreshReceiptStatus();
        return 0;
    }
    r.receipt.payments[size_t(type)] -= amount;
    return finish({});
}

QStringList ReceiptsModule::closingLines(const Receipt &receipt) const
{
    QStringList lines{m_core->rule()};
    lines += m_core->columns(QStringLiteral("ИТОГ"), amountText(receipt.total));
    for (int type = 0; type < fiscal::kPaymentTypes; ++type) {
        if (receipt.payments[size_t(type)] > 0)
            lines += m_core->columns(m_core->paymentName(type), amountText(receipt.payments[size_t(type)]));
    }
    if (receipt.change() > 0)
        lines += m_core->columns(QStringLiteral("СДАЧА"), amountText(receipt.change()));
    // Taxes by rate: the amounts without tax and the tax of each rate.
    std::array<Money, fiscal::kTaxNumbers> turnover{};
    for (const Position &p : receipt.positions)
        turnover[size_t(p.taxNumber)] += p.final;
    const auto taxes = receipt.taxTotals();
    for (int number = 1; number < fiscal::kTaxNumbers; ++number) {
        if (number == 4 || number == 1) {
            if (turnover[size_t(number)] > 0)
                lines += m_core->columns(QStringLiteral("СУММА ") + taxName(number), amountText(turnover[size_t(number)]));
        } else if (turnover[size_t(number)] > 0 || taxes[size_t(number)] > 0) {
            lines += m_core->columns(QStringLiteral("СУММА ") + taxName(number), amountText(taxes[size_t(number)]));
        }
    }
    for (const FiscalTag &tag : receipt.tags) {
        if (tag.print)
            lines += m_core->tagLines(tag);
    }
    return lines;
}

void ReceiptsModule::countReceipt(const Receipt &receipt, Money change)
{
    FiscalRecords &r = m_core->records();
    for (Counters *counters : {&r.shift.counters, &r.grand}) {
        ReceiptTypeTotals &t = counters->of(receipt.type);
        t.receipts.add(receipt.total);
        for (size_t d = 0; d < t.registrations.size(); ++d)
            t.registrations[d].add(receipt.registrations[d]);
        t.storno.add(receipt.storno);
        for (size_t p = 0; p < t.payments.size(); ++p)
            t.payments[p] += receipt.payments[p] - (p == 0 ? change : 0);
        for (const Adjustment &a : receipt.adjustments)
            (a.charge ? t.charges : t.discounts)[size_t(a.number)].add(a.amount);
        for (const Position &p : receipt.positions) {
            t.taxTurnover[size_t(p.taxNumber)] += p.final;
            t.taxSums[size_t(p.taxNumber)] += p.tax;
        }
        for (const ReceiptTax &tax : receipt.taxes)
            t.taxSums[size_t(tax.taxNumber)] += tax.amount;
    }
}

int ReceiptsModule::closeCheque()
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, "CloseCheque") < 0 || m_core->requireReceipt("CloseCheque") < 0)
        return -1;
    const int type = props.PaymentType;
    if (type < 0 || type >= fiscal::kPaymentTypes)
        return device().fail(Code::InvalidPaymentType, QStringLiteral("PaymentType = %1; допустимо 0..9").arg(type));
    FiscalRecords &r = m_core->records();
    if (r.receipt.positions.isEmpty()) {
        return device().fail(Code::EmptyReceipt,
                             QStringLiteral("чек %1 без позиций не закрывается; отмените его (CancelCheque)").arg(r.receipt.number));
    }
    Receipt receipt = r.receipt;
    receipt.payments[size_t(type)] += receipt.remainder();
    const Money change = receipt.change();
    const int direction = fiscal::cashDirection(receipt.type);
    const Money cashNet = receipt.payments[0] - change;
    if (direction < 0 && cashNet > r.cash) {
        return device().fail(Code::InsufficientCash,
                             QStringLiteral("в кассе %1, выдать наличными %2")
                                 .arg(FiscalCore::money(r.cash), FiscalCore::money(cashNet)));
    }
    if (direction > 0 && r.cash + cashNet > fiscal::kMaxAmount)
        return device().fail(Code::AmountOverflow, QStringLiteral("наличность в кассе больше 9999999999.99"));
    if (props.TestMode == 1)
        return 0;
    if (receipt.printed && m_core->requirePrinter() < 0)
        return -1;

    // Leftover properties for a next position belong to the receipt now.
    for (const FiscalTag &tag : r.pendingPositionTags + r.pendingDocumentTags) {
        receipt.tags.erase(std::remove_if(receipt.tags.begin(), receipt.tags.end(),
                                          [&](const FiscalTag &t) { return t.number == tag.number; }),
                           receipt.tags.end());
        receipt.tags.append(tag);
    }
    const QStringList closing = closingLines(receipt);

    FiscalDocument document;
    document.kind = DocumentKind::Receipt;
    document.receiptType = receipt.type;
    document.session = receipt.session;
    document.receiptNumber = receipt.number;
    document.operatorNumber = receipt.operatorNumber;
    document.total = receipt.total;
    document.tags = receipt.tags;
    Money electronic = 0;
    for (int p = 1; p < fiscal::kPaymentTypes; ++p)
        electronic += receipt.payments[size_t(p)];
    document.tags.append({1042, 3, QString::number(receipt.number)});
    document.tags.append({1054, 1, QString::number(fiscal::calculationSign(receipt.type))});
    document.tags.append({1020, 5, FiscalCore::money(receipt.total)});
    document.tags.append({1031, 5, FiscalCore::money(cashNet)});
    document.tags.append({1081, 5, FiscalCore::money(electronic)});
    document.hasReceipt = true;
    document.receipt = receipt;
    const FiscalDocument &issued = m_core->issue(document, receipt.lines + closing, true);

    countReceipt(receipt, change);
    r.cash += direction * cashNet;
    r.shift.receipts = receipt.number;
    r.lastChange = change;
    r.receiptOpen = false;
    r.receipt = Receipt();
    r.pendingPositionTags.clear();
    r.pendingDocumentTags.clear();
    QList<Chunk> chunks;
    if (receipt.printed)
        chunks.append({issued.lines.mid(receipt.lines.size()), true});
    return finish(chunks);
}

int ReceiptsModule::cancelCheque()
{
    // Works in any mode: a receipt left open when the device went off is
    // cancelled before anything else can be done.
    if (m_core->requireReceipt("CancelCheque") < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    const Receipt receipt = r.receipt;
    if (receipt.printed && m_core->requirePrinter() < 0)
        return -1;
    FiscalDocument document;
    document.kind = DocumentKind::CancelledReceipt;
    document.receiptType = receipt.type;
    document.session = receipt.session;
    document.receiptNumber = receipt.number;
    document.operatorNumber = receipt.operatorNumber;
    document.total = receipt.total;
    document.hasReceipt = true;
    document.receipt = receipt;
    QStringList lines{m_core->rule(), m_core->centered(QStringLiteral("ЧЕК ОТМЕНЕН"))};
    lines += m_core->columns(QStringLiteral("ИТОГ"), amountText(receipt.total));
    const FiscalDocument &issued = m_core->issue(document, receipt.lines + lines, false);
    for (Counters *counters : {&r.shift.counters, &r.grand})
        counters->of(receipt.type).cancelled.add(receipt.total);
    r.receiptOpen = false;
    r.receipt = Receipt();
    r.lastChange = 0;
    QList<Chunk> chunks;
    if (receipt.printed)
        chunks.append({issued.lines.mid(receipt.lines.size()), true});
    return finish(chunks);
}

// ---- cash

int ReceiptsModule::cash(bool income, const char *action)
{
    const PropertyStore &props = device().props();
    if (m_core->requireMode(kRegistrationMode, action) < 0 || m_core->requireNoReceipt(action) < 0)
        return -1;
    Money amount = 0;
    if (!FiscalCore::toMoney(props.Summ, &amount) || amount <= 0 || amount > fiscal::kMaxAmount)
        return device().fail(Code::InvalidAmount, QStringLiteral("Summ = %1: сумма больше 0").arg(valueText(props.Summ)));
    FiscalRecords &r = m_core->records();
    if (!income && amount > r.cash) {
        return device().fail(Code::InsufficientCash,
                             QStringLiteral("в кассе %1, выплата %2")
                                 .arg(FiscalCore::money(r.cash), FiscalCore::money(amount)));
    }
    if (income && r.cash + amount > fiscal::kMaxAmount)
        return device().fail(Code::AmountOverflow, QStringLiteral("наличность в кассе больше 9999999999.99"));
    if (checkShiftUsable(action) < 0)
        return -1;
    if (props.TestMode == 1)
        return 0;
    if (m_core->requirePrinter() < 0)
        return -1;

    QList<Chunk> chunks;
    const int op = m_core->currentOperator();
    if (!r.shiftOpen)
        chunks.append({m_core->openShift(op, QString()), true});
    r.cash += income ? amount : -amount;
    (income ? r.shift.counters.cashIncome : r.shift.counters.cashOutcome).add(amount);
    (income ? r.grand.cashIncome : r.grand.cashOutcome).add(amount);

    QStringList lines = m_core->documentHead(false);
    lines.append(m_core->centered(income ? QStringLiteral("ВНЕСЕНИЕ") : QStringLiteral("ВЫПЛАТА")));
    lines += m_core->columns(QStringLiteral("СМЕНА"), QString::number(r.shift.number));
    if (op > 0)
        lines += m_core->columns(QStringLiteral("КАССИР"), m_core->operatorName(op));
    lines += m_core->columns(QStringLiteral("СУММА"), amountText(amount));
    lines += m_core->columns(QStringLiteral("НАЛИЧНЫХ В КАССЕ"), amountText(r.cash));
    FiscalDocument document;
    document.kind = income ? DocumentKind::CashIncome : DocumentKind::CashOutcome;
    document.session = r.shift.number;
    document.operatorNumber = op;
    document.total = amount;
    const FiscalDocument &issued = m_core->issue(document, lines, false);
    chunks.append({issued.lines, true});
    return finish(chunks);
}

int ReceiptsModule::getSumm()
{
    device().props().Summ = double(m_core->records().cash) / 100.0;
    return 0;
}

} // namespace vreg
