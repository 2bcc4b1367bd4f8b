#include "modules/registersmodule.h"

#include "core/device.h"

#include <climits>

namespace vreg {

namespace {

// The printer mechanism as the counters see it: a text line is 24 dot rows,
// one heating cycle and three motor steps each; a cut feeds the receipt 96
// steps to the knife and pulls the paper 72 steps back under the head.
constexpr qint64 kDotRowsPerLine = 24;
constexpr qint64 kStepsPerDotRow = 1;
constexpr qint64 kFeedStepsPerCut = 96;
constexpr qint64 kBackStepsPerCut = 72;
constexpr int kDotsPerCharacter = 12;
// The longest command the device takes in one packet.
constexpr int kInputBufferBytes = 255;
// ФФД versions by their protocol codes: 2 1.05, 3 1.1, 4 1.2.
constexpr int kDeviceFfdVersion = 4;
constexpr int kStorageFfdVersion = 3;
// Tables the registers show.
constexpr int kValueTaxType = 9;
constexpr int kValueFiscalStation = 208;
constexpr int kValueEnvd = 342;
constexpr int kValueFfdVersion = 378;

double rubles(Money amount)
{
    return double(amount) / 100.0;
}

// Revenue of a shift: what came in by income receipts less what went back.
Money revenueOf(const Counters &counters)
{
    return counters.of(fiscal::Sale).receipts.sum + counters.of(fiscal::IncomeCorrection).receipts.sum
        - counters.of(fiscal::SaleReturn).receipts.sum - counters.of(fiscal::SaleAnnulment).receipts.sum
        - counters.of(fiscal::IncomeReturnCorrection).receipts.sum;
}

} // namespace

RegistersModule::RegistersModule(DeviceContext &context, std::shared_ptr<FiscalCore> core)
    : Module(context)
    , m_core(std::move(core))
{
    const auto sumOf = [this](std::function<bool(Money *)> compute) {
        return [this, compute] {
            Money amount = 0;
            if (!compute(&amount))
                return -1;
            device().props().Summ = rubles(amount);
            return 0;
        };
    };
    const auto countOf = [this](std::function<bool(qint64 *)> compute) {
        return [this, compute] {
            qint64 count = 0;
            if (!compute(&count))
                return -1;
            device().props().Count = int(qBound<qint64>(qint64(INT_MIN), count, qint64(INT_MAX)));
            return 0;
        };
    };
    // Receipts of a type in the chosen counters.
    const auto ofType = [this](std::function<Money(const ReceiptTypeTotals &)> pick) {
        return [this, pick](Money *amount) {
            int type = 0;
            const Counters *c = nullptr;
            if (!receiptType(&type) || !counters(&c))
                return false;
            *amount = pick(c->of(type));
            return true;
        };
    };
    const auto countOfType = [this](std::function<qint64(const ReceiptTypeTotals &)> pick) {
        return [this, pick](qint64 *count) {
            int type = 0;
            const Counters *c = nullptr;
            if (!receiptType(&type) || !counters(&c))
                return false;
            *count = pick(c->of(type));
            return true;
        };
    };

    // ---- sums and counts of the shift or since the last general reset
    m_registers[1] = sumOf(ofType([](const ReceiptTypeTotals &t) { return t.registrationsTotal().sum; }));
    m_registers[2] = sumOf(ofType([](const ReceiptTypeTotals &t) { return t.storno.sum; }));
    m_registers[3] = sumOf([this](Money *amount) {
        int type = 0, payment = 0;
        const Counters *c = nullptr;
        if (!receiptType(&type) || !paymentType(&payment) || !counters(&c))
            return false;
        *amount = c->of(type).payments[size_t(payment)];
        return true;
    });
    m_registers[4] = sumOf([this](Money *amount) {
        const Counters *c = nullptr;
        if (!counters(&c))
            return false;
        *amount = c->cashIncome.sum;
        return true;
    });
    m_registers[5] = sumOf([this](Money *amount) {
        const Counters *c = nullptr;
        if (!counters(&c))
            return false;
        *amount = c->cashOutcome.sum;
        return true;
    });
    m_registers[6] = countOf(countOfType([](const ReceiptTypeTotals &t) { return t.registrationsTotal().count; }));
    m_registers[7] = countOf(countOfType([](const ReceiptTypeTotals &t) { return t.storno.count; }));
    m_registers[8] = countOf([this](qint64 *count) {
        const Counters *c = nullptr;
        if (!counters(&c))
            return false;
        *count = c->cashIncome.count;
        return true;
    });
    m_registers[9] = countOf([this](qint64 *count) {
        const Counters *c = nullptr;
        if (!counters(&c))
            return false;
        *count = c->cashOutcome.count;
        return true;
    });
    m_registers[10] = sumOf([this](Money *amount) {
        *amount = records().cash;
        return true;
    });
    m_registers[11] = sumOf([this](Money *amount) {
        *amount = revenueOf(records().shift.counters);
        return true;
    });
    m_registers[12] = sumOf([this](Money *amount) {
        int type = 0;
        if (!operationReceiptType(&type))
            return false;
        *amount = records().shift.counters.of(type).receipts.sum;
        return true;
    });
    // The fiscal memory keeps the sale total of every closed shift.
    m_registers[13] = sumOf([this](Money *amount) {
        *amount = 0;
        for (const ShiftRecord &shift : records().closedShifts)
            *amount += shift.counters.of(fiscal::Sale).receipts.sum;
        return true;
    });
    m_registers[14] = sumOf([this](Money *amount) {
        const FiscalRecords &r = records();
        if (!r.fiscalised()) {
            device().fail(Code::NotFiscal, QStringLiteral("регистр 14: сумма считается от последней регистрации (Fiscalization)"));
            return false;
        }
        *amount = 0;
        for (const ShiftRecord &shift : r.closedShifts) {
            if (shift.number > r.registrations.last().session)
                *amount += shift.counters.of(fiscal::Sale).receipts.sum;
        }
        return true;
    });
    m_registers[15] = countOf([this](qint64 *count) {
        *count = fiscal::kMaxRegistrations - records().registrations.size();
        return true;
    });
    m_registers[16] = countOf([this](qint64 *count) {
        *count = fiscal::kMaxShiftRecords - records().closedShifts.size();
        return true;
    });

    // ---- clock, shifts, the receipt
    m_registers[17] = [this] {
        PropertyStore &props = device().props();
        setDateTime(m_core->now(), &props.Date, &props.Time);
        return 0;
    };
    m_registers[18] = [this] {
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        if (!selector("CounterValue", props.CounterValue, 0, INT_MAX, QStringLiteral("номер смены, 0 — последняя закрытая")))
            return -1;
        const ShiftRecord *shift = nullptr;
        if (props.CounterValue == 0) {
            if (r.closedShifts.isEmpty())
                return failNoShift(18);
            shift = &r.closedShifts.last();
        } else {
            for (const ShiftRecord &closed : r.closedShifts) {
                if (closed.number == props.CounterValue)
                    shift = &closed;
            }
            if (!shift) {
                return device().fail(Code::ShiftNotFound,
                                     QStringLiteral("регистр 18: смены %1 нет среди закрытых (1..%2)")
                                         .arg(props.CounterValue)
                                         .arg(r.lastClosedShift()));
            }
        }
        setDateTime(shift->closed, &props.Date, &props.Time);
        return 0; // SessionOpened is read live
    };
    m_registers[19] = [this] {
        // Mode, SubMode and ChequeState are read live.
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        props.DocNumber = int(r.lastDocumentNumber);
        props.ChequeNumber = r.receiptOpen ? r.receipt.number : (r.shiftOpen ? r.shift.receipts : 0);
        return 0;
    };
    m_registers[20] = [this] {
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        props.Summ = r.receiptOpen ? rubles(r.receipt.total) : 0.0;
        props.Remainder = r.receiptOpen ? rubles(r.receipt.remainder()) : 0.0;
        props.Change = rubles(r.receiptOpen ? r.receipt.change() : r.lastChange);
        return 0;
    };
    m_registers[21] = [this] {
        device().props().Session = currentShift();
        return 0;
    };

    // ---- identity and the device
    m_registers[22] = [this] {
        if (records().serialNumber.isEmpty())
            return device().fail(Code::NoSerialNumber, QStringLiteral("регистр 22: заводской номер вводится в режиме 5 (SetSerialNumber)"));
        device().props().SerialNumber = records().serialNumber;
        return 0;
    };
    m_registers[23] = [this] {
        PropertyStore &props = device().props();
        const Services &services = device().services();
        const QStringList version = services.unitVersion ? services.unitVersion(1) : QStringList();
        props.Model = device().settings().model().code;
        props.Version = version.value(0);
        props.SubVersion = version.value(1);
        return 0;
    };
    m_registers[24] = [this] {
        // Characters a line, then printable dots; the control tape is as
        // wide as the receipt tape; there is no slip printer.
        PropertyStore &props = device().props();
        const int characters = props.CharLineLength;
        props.ChequeTapeWidth1 = characters;
        props.ChequeTapeWidth2 = characters * kDotsPerCharacter;
        props.ControlTapeWidth1 = characters;
        props.ControlTapeWidth2 = characters * kDotsPerCharacter;
        props.SlipWidth1 = 0;
        props.SlipWidth2 = 0;
        return 0;
    };
    m_registers[25] = [this] {
        device().props().Count = kInputBufferBytes;
        return 0;
    };
    m_registers[26] = [this] {
        PropertyStore &props = device().props();
        props.Count = fiscal::kMaxActivations - int(records().storages.size());
        props.Value = double(records().storages.size());
        return 0;
    };
    m_registers[27] = [this] {
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        if (!r.fiscalised())
            return device().fail(Code::NotFiscal, QStringLiteral("регистр 27: ИНН и РНМ задаются фискализацией (Fiscalization)"));
        const Registration &registration = r.registrations.last();
        props.INN = registration.inn;
        props.RNM = registration.rnm;
        props.Session = registration.session + 1;
        props.Date = registration.time.date();
        return 0;
    };
    m_registers[28] = [this] {
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        if (r.storages.isEmpty())
            return device().fail(Code::StorageNotActive, QStringLiteral("регистр 28: ЭКЛЗ/ФН еще не активизировался (Activate)"));
        const StorageUnit &unit = r.storages.last();
        props.SerialNumber = unit.number;
        props.Session = unit.session;
        props.Date = unit.activated.date();
        return 0;
    };
    m_registers[29] = [this] {
        const Services &services = device().services();
        device().props().FiscalStation = services.value ? int(services.value(kValueFiscalStation)) : 0;
        return 0;
    };
    m_registers[30] = [this] {
        const FiscalRecords &r = records();
        if (r.closedShifts.isEmpty())
            return failNoShift(30);
        device().props().Summ = rubles(r.closedShifts.last().counters.of(fiscal::Sale).receipts.sum);
        return 0;
    };
    m_registers[31] = sumOf([this](Money *amount) {
        int type = 0, tax = 0;
        const Counters *c = nullptr;
        if (!receiptType(&type) || !taxNumber(&tax) || !counters(&c))
            return false;
        const ReceiptTypeTotals &t = c->of(type);
        *amount = tax == 0 ? t.taxTotal() : t.taxSums[size_t(tax)];
        return true;
    });
    // The adjustments' effect on the receipts: charges less discounts.
    m_registers[32] = sumOf([this](Money *amount) {
        int type = 0, number = 0;
        const Counters *c = nullptr;
        if (!receiptType(&type) || !discountNumber(&number) || !counters(&c))
            return false;
        const ReceiptTypeTotals &t = c->of(type);
        *amount = number == 0 ? t.chargesTotal().sum - t.discountsTotal().sum
                              : t.charges[size_t(number)].sum - t.discounts[size_t(number)].sum;
        return true;
    });

    // ---- the printer mechanism
    m_registers[33] = [this] {
        const Services &services = device().services();
        return dimensioned(services.cutCount ? services.cutCount() : 0, &device().props().Count) ? 0 : -1;
    };
    m_registers[34] = [this] {
        PropertyStore &props = device().props();
        if (!selector("StepCounterType", props.StepCounterType, 0, 1, QStringLiteral("0 все шаги, 1 шаги вперед")))
            return -1;
        const Services &services = device().services();
        const qint64 lines = services.printedLineCount ? services.printedLineCount() : 0;
        const qint64 cuts = services.cutCount ? services.cutCount() : 0;
        const qint64 forward = lines * kDotRowsPerLine * kStepsPerDotRow + cuts * kFeedStepsPerCut;
        const qint64 steps = props.StepCounterType == 1 ? forward : forward + cuts * kBackStepsPerCut;
        return dimensioned(steps, &props.Count) ? 0 : -1;
    };
    m_registers[35] = [this] {
        const Services &services = device().services();
        const qint64 lines = services.printedLineCount ? services.printedLineCount() : 0;
        return dimensioned(lines * kDotRowsPerLine, &device().props().Count) ? 0 : -1;
    };
    m_registers[36] = [this] {
        // The fiscal storage module, "VIRTUAL FN 1.1".
        PropertyStore &props = device().props();
        props.Version = QStringLiteral("1");
        props.SubVersion = QStringLiteral("1");
        return 0;
    };
    m_registers[38] = [this] {
        PropertyStore &props = device().props();
        if (!selector("PowerSupplyType", props.PowerSupplyType, 0, 2,
                      QStringLiteral("0 внешний блок питания, 1 батарея часов, 2 аккумуляторы")))
            return -1;
        // The virtual register works from the mains with full accumulators.
        static const double voltages[] = {24.0, 3.0, 8.2};
        props.PowerSupplyState = 0;
        props.PowerSupplyVoltage = voltages[props.PowerSupplyType];
        props.BatteryCharge = 100;
        return 0;
    };
    m_registers[39] = [this] {
        device().props().Value = 25.0; // the head stays at room temperature
        return 0;
    };

    // ---- permanent sums, taxes, discounts
    m_registers[40] = sumOf([this](Money *amount) {
        int type = 0;
        if (!operationReceiptType(&type))
            return false;
        *amount = records().grand.of(type).receipts.sum;
        return true;
    });
    m_registers[41] = [this] {
        int type = 0, tax = 0, section = 0;
        if (!receiptType(&type) || !department(&section) || !taxNumber(&tax))
            return -1;
        Money turnover = 0;
        Money taxes = 0;
        for (const FiscalDocument &document : shiftReceipts()) {
            const Receipt &receipt = document.receipt;
            if (receipt.type != type)
                continue;
            for (const Position &position : receipt.positions) {
                if ((section == 0 || position.department == section) && (tax == 0 || position.taxNumber == tax)) {
                    turnover += position.final;
                    taxes += position.tax;
                }
            }
            // Taxes on the receipt as a whole belong to no department.
            if (section == 0) {
                for (const ReceiptTax &receiptTax : receipt.taxes) {
                    if (tax == 0 || receiptTax.taxNumber == tax)
                        taxes += receiptTax.amount;
                }
            }
        }
        device().props().Value = rubles(turnover);
        device().props().Summ = rubles(taxes);
        return 0;
    };
    m_registers[42] = [this] {
        int type = 0, number = 0;
        if (!receiptType(&type) || !discountNumber(&number))
            return -1;
        const ReceiptTypeTotals &t = records().shift.counters.of(type);
        PropertyStore &props = device().props();
        props.DiscountSumm = rubles(number == 0 ? t.discountsTotal().sum : t.discounts[size_t(number)].sum);
        props.ChargeSumm = rubles(number == 0 ? t.chargesTotal().sum : t.charges[size_t(number)].sum);
        return 0;
    };

    // ---- the fiscal storage and the fiscal data operator
    m_registers[43] = [this] {
        // Nothing is exchanged, so nothing fails.
        PropertyStore &props = device().props();
        props.NetworkError = 0;
        props.OFDError = 0;
        props.FNError = 0;
        return 0;
    };
    m_registers[44] = [this] {
        device().props().Count = int(m_core->documentCount(m_core->unsentDocuments()));
        return 0;
    };
    m_registers[45] = [this] {
        const std::optional<FiscalDocument> first = m_core->firstDocument(m_core->unsentDocuments());
        if (!first)
            return device().fail(Code::NoRegisterData, QStringLiteral("регистр 45: неотправленных документов нет"));
        PropertyStore &props = device().props();
        setDateTime(first->time, &props.Date, &props.Time);
        return 0;
    };
    m_registers[46] = sumOf(ofType([](const ReceiptTypeTotals &t) { return t.cancelled.sum; }));
    m_registers[47] = [this] {
        // Bits: 0 the storage is active, 1 its archive is closed, 2 a shift
        // is open, 3 a receipt is open, 4 documents wait to be sent.
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        int flags = 0;
        if (r.storageActive())
            flags |= 0x01;
        if (r.archiveClosed())
            flags |= 0x02;
        if (r.shiftOpen)
            flags |= 0x04;
        if (r.receiptOpen)
            flags |= 0x08;
        if (m_core->documentCount(m_core->unsentDocuments()) > 0)
            flags |= 0x10;
        props.SerialNumber = r.storageNumber();
        props.FNFlags = flags;
        return 0;
    };
    m_registers[48] = [this] {
        const FiscalRecords &r = records();
        if (!r.fiscalised())
            return device().fail(Code::NotFiscal, QStringLiteral("регистр 48: регистраций еще не было (Fiscalization)"));
        PropertyStore &props = device().props();
        const Registration &registration = r.registrations.last();
        setDateTime(registration.time, &props.Date, &props.Time);
        props.DocNumber = int(registration.fiscalNumber);
        return 0;
    };
    m_registers[51] = [this] {
        const FiscalDocument *receipt = records().lastReceiptDocument();
        if (!receipt || receipt->fiscalNumber <= 0)
            return device().fail(Code::DocumentNotFound, QStringLiteral("регистр 51: закрытых чеков еще не было"));
        PropertyStore &props = device().props();
        props.DocNumber = int(receipt->fiscalNumber);
        props.ChequeType = receipt->receiptType;
        props.Summ = rubles(receipt->total);
        setDateTime(receipt->time, &props.Date, &props.Time);
        props.Value = double(receipt->fiscalSign);
        return 0;
    };
    m_registers[52] = [this] {
        const FiscalDocument *document = records().lastFiscalDocument();
        if (!document)
            return device().fail(Code::DocumentNotFound, QStringLiteral("регистр 52: фискальных документов еще не было"));
        PropertyStore &props = device().props();
        props.DocNumber = int(document->fiscalNumber);
        setDateTime(document->time, &props.Date, &props.Time);
        props.Value = double(document->fiscalSign);
        return 0;
    };
    m_registers[53] = [this] {
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        props.Session = currentShift();
        props.ChequeNumber = r.shiftOpen ? r.shift.receipts : (r.closedShifts.isEmpty() ? 0 : r.closedShifts.last().receipts);
        return 0;
    };
    m_registers[54] = [this] {
        const FiscalRecords &r = records();
        if (!r.fiscalised())
            return device().fail(Code::NotFiscal, QStringLiteral("регистр 54: версия ФФД закрепляется регистрацией (Fiscalization)"));
        PropertyStore &props = device().props();
        const Services &services = device().services();
        props.DeviceFfdVersion = kDeviceFfdVersion;
        props.FNFfdVersion = kStorageFfdVersion;
        props.FfdVersion = services.value ? int(services.value(kValueFfdVersion)) : 2;
        props.Date = r.registrations.last().time.date();
        return 0;
    };
    m_registers[55] = [this] {
        // Every failure is told in full by the result of the call itself:
        // there is no extended error to report.
        PropertyStore &props = device().props();
        props.CommandCode = 0;
        props.ErrorCode = 0;
        props.ErrorData.clear();
        return 0;
    };
    m_registers[56] = sumOf([this](Money *amount) {
        int type = 0, payment = 0;
        if (!operationReceiptType(&type) || !paymentType(&payment))
            return false;
        *amount = records().grand.of(type).payments[size_t(payment)];
        return true;
    });
    m_registers[57] = [this] {
        return device().fail(Code::NoRegisterData,
                             QStringLiteral("регистр 57: виртуальная ККТ не подключена к ОФД и документов не отправляла"));
    };
    m_registers[58] = [this] {
        PropertyStore &props = device().props();
        const FiscalRecords &r = records();
        props.Count = int(r.grand.receiptCount());
        qint64 shiftDocuments = 0;
        if (r.shiftOpen) {
            DocumentQuery query;
            query.fiscal = true;
            query.session = r.shift.number;
            shiftDocuments = m_core->documentCount(query);
        }
        props.DocNumber = int(shiftDocuments);
        return 0;
    };
    m_registers[59] = [this] {
        PropertyStore &props = device().props();
        const Services &services = device().services();
        const auto value = [&](int number) { return services.value ? services.value(number) : 0.0; };
        props.EnvdEnabled = value(kValueEnvd) != 0 ? 1 : 0;
        props.EnvdAllowed = 1;
        props.TaxRateMode = int(value(kValueTaxType));
        return 0;
    };
    m_registers[60] = sumOf([this](Money *amount) {
        int type = 0, tax = 0;
        if (!receiptType(&type) || !taxNumber(&tax))
            return false;
        const ReceiptTypeTotals &t = records().shift.counters.of(type);
        *amount = tax == 0 ? t.taxTotal() : t.taxSums[size_t(tax)];
        return true;
    });
    m_registers[61] = sumOf([this](Money *amount) {
        int tax = 0;
        if (!taxNumber(&tax))
            return false;
        const FiscalRecords &r = records();
        const FiscalDocument *last = r.lastReceiptDocument();
        const Receipt *receipt = r.receiptOpen ? &r.receipt : (last ? &last->receipt : nullptr);
        *amount = 0;
        if (receipt) {
            const auto taxes = receipt->taxTotals();
            for (int n = 1; n < fiscal::kTaxNumbers; ++n) {
                if (tax == 0 || tax == n)
                    *amount += taxes[size_t(n)];
            }
        }
        return true;
    });
    m_registers[63] = [this] {
        DocumentQuery shifts = m_core->unsentDocuments();
        shifts.kinds = {DocumentKind::ShiftOpen, DocumentKind::ZReport};
        device().props().Count = int(m_core->documentCount(shifts));
        return 0;
    };
    m_registers[65] = [this] {
        const Counters *c = nullptr;
        if (!counters(&c))
            return -1;
        qint64 cancelled = 0;
        for (const ReceiptTypeTotals &t : c->types)
            cancelled += t.cancelled.count;
        device().props().Count = int(c->receiptCount());
        device().props().Value = double(cancelled);
        return 0;
    };
    m_registers[66] = [this] {
        const FiscalRecords &r = records();
        qint64 bytes = 0;
        if (r.receiptOpen) {
            for (const QString &line : r.receipt.lines)
                bytes += line.toUtf8().size() + 1;
        }
        device().props().Count = int(bytes);
        return 0;
    };
    m_registers[67] = [this] {
        device().props().Value = m_poweredOn.isValid() ? double(m_poweredOn.elapsed() / 1000) : 0.0;
        return 0;
    };
    m_registers[70] = [this] {
        const FiscalRecords &r = records();
        if (r.closedShifts.isEmpty())
            return failNoShift(70);
        const ShiftRecord &shift = r.closedShifts.last();
        PropertyStore &props = device().props();
        setDateTime(shift.opened, &props.Date, &props.Time);
        setDateTime(shift.closed, &props.DateEnd, &props.TimeEnd);
        return 0;
    };
}

void RegistersModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::GetRegister, Subject::Registers, [this] { return getRegister(); });
}

int RegistersModule::connected()
{
    m_poweredOn.start();
    return 0;
}

void RegistersModule::disconnected()
{
    m_poweredOn.invalidate();
}

int RegistersModule::getRegister()
{
    const int number = device().props().RegisterNumber;
    const auto found = m_registers.find(number);
    if (found == m_registers.end()) {
        return device().fail(Code::UnknownRegister,
                             QStringLiteral("RegisterNumber = %1; регистры 1..70, кроме 37, 49, 50, 62, 64, 68, 69").arg(number));
    }
    return found->second();
}

// ---- selectors

bool RegistersModule::selector(const char *property, int value, int min, int max, const QString &meaning)
{
    if (value >= min && value <= max)
        return true;
    device().fail(Code::InvalidRegisterParameter,
                  QStringLiteral("регистр %1: %2 = %3; допустимо от %4 до %5 (%6)")
                      .arg(device().props().RegisterNumber)
                      .arg(QLatin1String(property))
                      .arg(value)
                      .arg(min)
                      .arg(max)
                      .arg(meaning));
    return false;
}

bool RegistersModule::receiptType(int *type)
{
    *type = device().props().ChequeType;
    return selector("ChequeType", *type, 1, fiscal::kReceiptTypes, QStringLiteral("тип чека"));
}

bool RegistersModule::operationReceiptType(int *type)
{
    const int operation = device().props().OperationType;
    if (!selector("OperationType", operation, 0, 7, QStringLiteral("тип операции")))
        return false;
    *type = fiscal::receiptTypeOfOperation(operation);
    return true;
}

bool RegistersModule::paymentType(int *type)
{
    *type = device().props().PaymentType;
    return selector("PaymentType", *type, 0, fiscal::kPaymentTypes - 1, QStringLiteral("тип оплаты"));
}

bool RegistersModule::taxNumber(int *number)
{
    *number = device().props().TaxNumber;
    return selector("TaxNumber", *number, 0, fiscal::kTaxNumbers - 1, QStringLiteral("номер налога, 0 — все"));
}

bool RegistersModule::discountNumber(int *number)
{
    *number = device().props().DiscountNumber;
    return selector("DiscountNumber", *number, 0, fiscal::kDiscountNumbers - 1, QStringLiteral("номер скидки, 0 — все"));
}

bool RegistersModule::department(int *number)
{
    *number = device().props().Department;
    return selector("Department", *number, 0, fiscal::kDepartments - 1, QStringLiteral("номер секции, 0 — все"));
}

bool RegistersModule::counters(const Counters **counters)
{
    const int type = device().props().CounterType;
    if (!selector("CounterType", type, 1, 2, QStringLiteral("1 постоянный, 2 сбрасываемый")))
        return false;
    *counters = type == 1 ? &records().grand : &records().shift.counters;
    return true;
}

bool RegistersModule::dimensioned(qint64 value, int *count)
{
    const int dimension = device().props().CounterDimension;
    if (!selector("CounterDimension", dimension, 0, 1, QStringLiteral("0 — 7 разрядов, 1 — 9 разрядов")))
        return false;
    const qint64 modulus = dimension == 0 ? 10000000LL : 1000000000LL;
    *count = int(value % modulus);
    return true;
}

// ---- shared

QList<FiscalDocument> RegistersModule::shiftReceipts() const
{
    const FiscalRecords &r = records();
    if (!r.shiftOpen)
        return QList<FiscalDocument>();
    DocumentQuery query;
    query.session = r.shift.number;
    query.kinds = {DocumentKind::Receipt};
    return m_core->documents(query);
}

int RegistersModule::currentShift() const
{
    const FiscalRecords &r = records();
    return r.shiftOpen ? r.shift.number : r.lastClosedShift();
}

void RegistersModule::setDateTime(const QDateTime &value, QDate *date, QTime *time)
{
    *date = value.date();
    *time = QTime(value.time().hour(), value.time().minute(), value.time().second());
}

int RegistersModule::failNoShift(int registerNumber)
{
    return device().fail(Code::NoShiftRecords,
                         QStringLiteral("регистр %1: ни одна смена еще не закрыта").arg(registerNumber));
}

} // namespace vreg
