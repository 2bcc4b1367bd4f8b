// Every refusal of the virtual register's code table, made from a state where
// it applies, through the library's entry points: the call answers the code
// with a detail, and nothing of the register changed. Its registers (in
// several selector sets), the receipt, the last document, the settings, the
// clock, the database files byte for byte (a refused action writes nothing,
// and checkpoints happen only at commits) and the tapes are compared before
// and after the call.
//
// Not here: -7 needs a settings dialog that a GUI application could open;
// -8 for a commit that fails is the failed-commit suite's (the other device
// kind's folder is here); -300 to -399 and below -399 belong to the memories
// and peripherals that bring them.

#include "testmain.h"
#include "sqlitefile.h"
#include "vregday.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

using namespace vregtest;

namespace {

// The states a refusal starts from; each is built anew for every row.
enum class Start {
    Off,           // connected once, now disconnected
    Fresh,         // connected, mode 0, nothing done yet
    ShiftOpen,     // fiscalised, shift open, 1000.00 deposited, one receipt closed; mode 1
    Receipt,       // ShiftOpen and a sale open: milk, bread with 10 % off
    Paying,        // Receipt with 100.00 paid by card
    Interrupted,   // fiscalised, shift closed, paper out, a text waiting for ContinuePrint; mode 1
    Closed,        // a whole day of a new register, ended by the Z-report; mode 3
    Registered,    // fiscalised, no storage activated; mode 5
    ArchiveClosed, // Closed and the storage's archive closed; mode 6
    Expired,       // not fiscalised, the shift opened 25 hours ago; mode 1
    MemoryFull,    // not fiscalised, 2500 closed shifts in the fiscal memory; mode 1
    Foreign,       // not connected, its folder holds a receipt printer's memory
};

// What a call answered. A call of the register itself returns its result and
// the register tells the rest; a call of another driver object brings it.
struct Outcome
{
    Outcome(int result) : result(result) {}
    Outcome(int result, int code, const QString &detail) : result(result), code(code), detail(detail), own(false) {}
    int result;
    int code = 0;
    QString detail;
    bool own = true;
};

using Step = std::function<Outcome(DayTill &)>;
using Inputs = std::function<void(DayTill &)>;

struct Refusal
{
    Start start;
    Step prepare; // after the state, before the first picture; may be empty
    Step call;
    int code;
};

Library *g_fptr = nullptr;

const Item kMilk{QStringLiteral("Молоко"), 2, 89.90, 1, 2};
const Item kBread{QStringLiteral("Хлеб"), 1, 45.50, 2, 4};

Item with(Item item, double quantity, double price)
{
    item.quantity = quantity;
    item.price = price;
    return item;
}

// An action with the inputs its caller writes first.
Step act(int (Driver::*action)(), Inputs inputs = {})
{
    return [=](DayTill &t) {
        if (inputs)
            inputs(t);
        return (t.get()->*action)();
    };
}

Step mode(int number)
{
    return [number](DayTill &t) { return t.mode(number); };
}

int paperOut(DayTill &t)
{
    return t.write(QStringLiteral("PaperPresent"), QStringLiteral("0")) < 0 ? -1 : t->ApplySettings();
}

Step steps(QList<Step> list)
{
    return [list](DayTill &t) {
        for (const Step &step : list) {
            const Outcome outcome = step(t);
            if (outcome.result < 0)
                return outcome;
        }
        return Outcome(0);
    };
}

// A position with the bench's full set of fields, some of them changed.
Step position(int (Driver::*action)(), const Item &item, std::function<void(Driver *)> change = {})
{
    return act(action, [=](DayTill &t) {
        t.position(item);
        if (change)
            change(t.get()); });
}

Step sell(const Item &item, std::function<void(Driver *)> change = {})
{
    return position(&Driver::Sell, item, std::move(change));
}

Step raw(int (Driver::*action)(), const QString &command)
{
    return act(action, [=](DayTill &t) {
        t->NeedResultFlag(1);
        t->TimeoutACK(100);
        t->TimeoutENQ(100);
        t.setText(&Driver::CommandBuffer, command); });
}

Step report(int type, std::function<void(Driver *)> inputs = {})
{
    return act(&Driver::Report, [=](DayTill &t) {
        t->ReportType(type);
        if (inputs)
            inputs(t.get()); });
}

Step dataReport(int type, int unit = 1)
{
    return act(&Driver::BeginReport, [=](DayTill &t) {
        t->ReportType(type);
        t->UnitType(unit); });
}

Step tag(int (Driver::*action)(), int number, int type, const QString &value)
{
    return act(action, [=](DayTill &t) {
        t->FiscalPropertyNumber(number);
        t->FiscalPropertyType(type);
        t->FiscalPropertyPrint(0);
        t->FiscalPropertyUser(0);
        t.setText(&Driver::FiscalPropertyValue, value); });
}

Step fiscalisation(const QString &inn, const QString &rnm, const QString &taxPassword = QString())
{
    return act(&Driver::Fiscalization, [=](DayTill &t) {
        t.setText(&Driver::INN, inn);
        t.setText(&Driver::RNM, rnm);
        t.setText(&Driver::TaxPassword, taxPassword); });
}

Step tableValue(int purpose, double value)
{
    return act(&Driver::SetValue, [=](DayTill &t) {
        t->ValuePurpose(purpose);
        t->Value(value); });
}

Step tableField(int table, int row, int field, int type, const QString &text)
{
    return act(&Driver::SetField, [=](DayTill &t) {
        t->Table(table);
        t->Row(row);
        t->Field(field);
        t->FieldType(type);
        t.setText(&Driver::Caption, text); });
}

Step printText(const QString &text, int alignment = 0)
{
    return act(&Driver::PrintText, [=](DayTill &t) {
        t.setText(&Driver::Caption, text);
        t->TextWrap(0);
        t->Alignment(alignment); });
}

Step clock(const QDateTime &time)
{
    return [=](DayTill &t) { return t.setClock(time); };
}

// The serial number entered, ready for fiscalisation in mode 5.
const Step kSerialEntered = [](DayTill &t) {
    if (t.setClock(kMorning) < 0 || t.mode(5) < 0)
        return -1;
    t.setText(&Driver::SerialNumber, kSerial);
    return t->SetSerialNumber();
};

// The formatted-text buffer full: 64 fields wait for PrintFormattedText.
const Step kFieldsFull = [](DayTill &t) {
    t->TestMode(0);
    t.setText(&Driver::Caption, QStringLiteral("Поле"));
    for (int i = 0; i < 64; ++i) {
        if (t->AddField() < 0)
            return -1;
    }
    return 0;
};

const Step kNewDocument = act(&Driver::NewDocument, [](DayTill &t) {
    t->Mode(2);
    t.setText(&Driver::Password, QStringLiteral("1")); });

bool build(Start start, DayTill &t, const QString &folder)
{
    const auto ok = [&](int result, const char *step) {
        if (result < 0)
            qWarning("%s: %s", step, qPrintable(t.result()));
        return result >= 0;
    };
    const QStringList settings{QStringLiteral("DataDir"), folder};
    if (start == Start::Foreign) {
        Library printers(QStringLiteral("/rcpprn"));
        Device printer(printers);
        if (!ok(printers.ok() && printer.connect(settings) ? 0 : -1, "receipt printer"))
            return false;
        printer.release();
        return ok(t.write(QStringLiteral("DataDir"), folder), "DataDir")
            && ok(t.write(QStringLiteral("PrintSpeed"), QStringLiteral("0")), "PrintSpeed")
            && ok(t->ApplySettings(), "ApplySettings");
    }
    if (!ok(t.open(settings) ? 0 : -1, "connecting"))
        return false;
    // A memory changed from outside, as a tester with the sqlite3 tool would.
    const auto edit = [&](const QString &sql) {
        if (!ok(t->DeviceEnabled(0), "disconnecting"))
            return false;
        SqliteFile memory(folder + QStringLiteral("/memory.db"));
        if (!memory.exec(sql)) {
            qWarning("%s", qPrintable(memory.error()));
            return false;
        }
        return ok(t->DeviceEnabled(1), "reconnecting");
    };
    switch (start) {
    case Start::Off:
        return ok(t->DeviceEnabled(0), "disconnecting");
    case Start::Fresh:
    case Start::Foreign:
        return true;
    case Start::ShiftOpen:
    case Start::Receipt:
    case Start::Paying:
        if (!ok(t.fiscalise() ? 0 : -1, "fiscalisation") || !ok(t.mode(1), "mode 1") || !ok(t->OpenSession(), "OpenSession")
            || !ok(t.cash(true, 1000), "CashIncome") || !ok(t.sell(kBread), "Sell") || !ok(t.close(0), "CloseCheque"))
            return false;
        if (start == Start::ShiftOpen)
            return true;
        if (!ok(t.sell(kMilk), "Sell milk") || !ok(t.sell(kBread), "Sell bread") || !ok(t.discount(false, 10, 1, 1), "Discount"))
            return false;
        return start == Start::Receipt || ok(t.pay(1, 100), "Payment");
    case Start::Interrupted:
        return ok(t.fiscalise() ? 0 : -1, "fiscalisation") && ok(t.mode(1), "mode 1") && ok(paperOut(t), "paper out")
            && printText(QStringLiteral("Прерванный документ"))(t).result < 0 && t.code() == -30;
    case Start::Closed:
    case Start::ArchiveClosed:
        if (!runDay(t))
            return false;
        return start == Start::Closed || (ok(t.mode(6), "mode 6") && ok(t->CloseArchive(), "CloseArchive"));
    case Start::Registered:
        return ok(kSerialEntered(t).result, "serial number")
            && ok(fiscalisation(kInn, kRnm)(t).result, "Fiscalization");
    case Start::Expired:
        return ok(t.mode(1), "mode 1") && ok(t.cash(true, 100), "CashIncome")
            && edit(QStringLiteral("UPDATE shifts SET opened = '%1' WHERE closed IS NULL")
                        .arg(QDateTime::currentDateTime().addSecs(-25 * 3600).toString(Qt::ISODate)))
            && ok(t.mode(1), "mode 1");
    case Start::MemoryFull:
        return edit(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
                                   "INSERT INTO shifts (number, opened, closed, opened_by, closed_by, open_document, "
                                   "close_document, receipts, cash_at_open) "
                                   "SELECT i, '2025-01-01T09:00:00', '2025-01-01T21:00:00', 1, 1, 0, 0, 0, 0 FROM n"))
            && ok(t.mode(1), "mode 1");
    }
    return false;
}

// ---- what the register shows and holds

// Everything a caller can read of the register's state, as text.
QMap<QString, QString> status(const DayTill &t)
{
    QMap<QString, QString> shown;
    Selectors returns = of(2, 1);
    returns.payment = 1;
    returns.tax = 2;
    returns.department = 2;
    returns.discount = 1;
    returns.operation = 2;
    returns.counterValue = 1;
    returns.dimension = 0;
    Selectors taxes = of(1, 1);
    taxes.tax = 3;
    taxes.department = 1;
    taxes.step = 1;
    taxes.power = 1;
    const QList<Selectors> sets{Selectors(), returns, taxes};
    for (int set = 0; set < sets.size(); ++set) {
        const QMap<int, QString> answers = t.snapshot(sets[set]);
        // A register that fails fills nothing: its code is its whole answer.
        for (auto it = answers.begin(); it != answers.end(); ++it) {
            const QString code = it.value().section(QLatin1Char(' '), 0, 0);
            shown.insert(QStringLiteral("register %1 (selectors %2)").arg(it.key(), 2).arg(set),
                         code == QLatin1String("0") ? it.value() : code);
        }
    }
    const QList<std::pair<const char *, int (Driver::*)(int *)>> live{
        {"DeviceEnabled", &Driver::DeviceEnabled}, {"Mode", &Driver::Mode}, {"ChequeState", &Driver::ChequeState},
        {"Operator", &Driver::Operator}, {"SessionOpened", &Driver::SessionOpened}, {"Fiscal", &Driver::Fiscal},
        {"FNFiscal", &Driver::FNFiscal}, {"PointPosition", &Driver::PointPosition},
        {"DrawerOpened", &Driver::DrawerOpened}, {"CharLineLength", &Driver::CharLineLength}};
    for (const auto &[name, getter] : live)
        shown.insert(QLatin1String(name), QString::number(t.intValue(getter)));
    shown.insert(QStringLiteral("DeviceSettings"), t.text(&Driver::DeviceSettings));
    // Whether the formatted-text buffer is full: a field added in test mode
    // is checked and not kept.
    t->TestMode(1);
    t.setText(&Driver::Caption, QStringLiteral("?"));
    shown.insert(QStringLiteral("AddField in test mode"), QString::number(t->AddField() < 0 ? t.code() : 0));
    return shown;
}

// How far the device clock runs ahead of the computer's, in seconds.
qint64 clockOffset(const DayTill &t)
{
    if (t.getRegister(17) < 0)
        return 0;
    const QDateTime device(t.date(&Driver::Date), t.time(&Driver::Time));
    return QDateTime::currentDateTime().secsTo(device);
}

// Every file of the data folder with its bytes, folders as names; the
// database's shared-memory index changes with every reader and is left out.
QMap<QString, QByteArray> files(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String("-shm")))
            continue;
        QFile file(path);
        const QString name = QDir(folder).relativeFilePath(path);
        found.insert(name, it.fileInfo().isDir() ? QByteArray("<folder>")
                                                  : (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>")));
    }
    return found;
}

template <typename Value>
QStringList differences(const QMap<QString, Value> &before, const QMap<QString, Value> &after,
                        const std::function<QString(const Value &)> &show)
{
    QStringList changed;
    QStringList keys = before.keys() + after.keys();
    keys.removeDuplicates();
    for (const QString &key : keys) {
        if (before.value(key, Value()) != after.value(key, Value()) || before.contains(key) != after.contains(key)) {
            changed << QStringLiteral("%1: %2 -> %3")
                           .arg(key, before.contains(key) ? show(before.value(key)) : QStringLiteral("(none)"),
                                after.contains(key) ? show(after.value(key)) : QStringLiteral("(none)"));
        }
    }
    return changed;
}

} // namespace

Q_DECLARE_METATYPE(Refusal)

class TestVregRefusals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusalChangesNothing_data();
    void refusalChangesNothing();

private:
    std::unique_ptr<Library> m_fptr;
};

void TestVregRefusals::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
    g_fptr = m_fptr.get();
}

void TestVregRefusals::refusalChangesNothing_data()
{
    QTest::addColumn<Refusal>("refusal");
    const auto row = [](const char *name, Start start, Step prepare, Step call, int code) {
        QTest::newRow(name) << Refusal{start, std::move(prepare), std::move(call), code};
    };
    const Step none;
    const QString longName(129, QLatin1Char('x'));
    const Item juice{QStringLiteral("Сок\x01"), 1, 7};
    const auto cash = [](bool income, double sum) { return [=](DayTill &t) { return t.cash(income, sum); }; };
    const auto pay = [](int type, double sum) { return [=](DayTill &t) { return t.pay(type, sum); }; };
    const auto discount = [](bool charge, double value, int type) {
        return [=](DayTill &t) { return t.discount(charge, value, type, 0); };
    };
    const auto enter = [](int mode, const char *password) { return [=](DayTill &t) { return t.enterMode(mode, password); }; };
    const auto tax = [](bool add, int number, double sum) {
        return act(add ? &Driver::Tax : &Driver::StornoTax, [=](DayTill &t) {
            t->TestMode(0);
            t->TaxNumber(number);
            t->Destination(0);
            t->Summ(sum); });
    };

    // ---- the driver: connection, arguments, settings, memory
    row("-1 action while disconnected", Start::Off, none, cash(true, 10), -1);
    row("-2 report type nobody added", Start::ShiftOpen, mode(2), report(99), -2);
    row("-2 data report type nobody added", Start::Fresh, none, dataReport(99), -2);
    row("-3 null text for a property", Start::Fresh, none, [](DayTill &t) { return t->Name(nullptr); }, -3);
    row("-3 null setting name", Start::Fresh, none, [](DayTill &t) { return t->WriteSetting(nullptr, L"1"); }, -3);
    row("-4 unknown setting", Start::Fresh, none, [](DayTill &t) { return t.write("Speed", "0"); }, -4);
    row("-5 setting value out of range", Start::Fresh, none, [](DayTill &t) { return t.write("PrintSpeed", "1001"); }, -5);
    row("-6 settings string not ours", Start::Fresh, none,
        [](DayTill &t) { return t.setText(&Driver::DeviceSettings, QStringLiteral("{\"Model\":")); }, -6);
    row("-6 one bad value rejects the whole string", Start::Fresh, none, [](DayTill &t) {
        QJsonObject settings = QJsonDocument::fromJson(t.text(&Driver::DeviceSettings).toUtf8()).object();
        settings.insert(QStringLiteral("Model"), QStringLiteral("2"));
        settings.insert(QStringLiteral("PaperPresent"), QStringLiteral("0"));
        settings.insert(QStringLiteral("BaudRate"), QStringLiteral("1234"));
        return t.setText(&Driver::DeviceSettings, QString::fromUtf8(QJsonDocument(settings).toJson()));
    }, -6);
    row("-8 folder of a receipt printer", Start::Foreign, none, [](DayTill &t) { return t->DeviceEnabled(1); }, -8);
    row("-9 folder in use by another driver object", Start::Fresh, none, [](DayTill &t) {
        Device second(*g_fptr);
        const bool connected = second.connect({QStringLiteral("DataDir"), t.dataFolder()});
        return Outcome(connected ? 0 : -1, second.code(), second.detail());
    }, -9);
    row("-17 past the last record", Start::Fresh, [](DayTill &t) {
        const int begun = dataReport(19)(t).result;
        for (int i = 0; i < 5 && begun >= 0; ++i)
            t->GetRecord();
        return begun;
    }, act(&Driver::GetRecord), -17);

    // ---- modes, tables, clock, printing, service
    row("-20 password nobody has", Start::Fresh, mode(4), enter(1, "777"), -20);
    row("-21 cashier into the Z-report mode", Start::ShiftOpen, none, enter(3, "1"), -21);
    row("-22 table write outside programming", Start::ShiftOpen, none, tableValue(0, 2), -22);
    row("-22 password read outside programming", Start::Fresh, none,
        act(&Driver::GetCaption, [](DayTill &t) { t->CaptionPurpose(6); }), -22);
    row("-22 cash deposit outside registration", Start::ShiftOpen, mode(2), cash(true, 10), -22);
    row("-22 Z-report outside its mode", Start::ShiftOpen, none, report(1), -22);
    row("-23 mode change with a receipt open", Start::Receipt, none, enter(2, "1"), -23);
    row("-23 leaving the mode with a receipt open", Start::Receipt, none, act(&Driver::ResetMode), -23);
    row("-23 new document with a receipt open", Start::Receipt, none, kNewDocument, -23);
    row("-24 mode 8", Start::Fresh, mode(4), enter(8, "29"), -24);
    row("-24 table value out of range", Start::Fresh, mode(4), tableValue(0, 100), -24);
    row("-24 caption with a control character", Start::Fresh, mode(4), act(&Driver::SetCaption, [](DayTill &t) {
        t->CaptionPurpose(0);
        t.setText(&Driver::Caption, QStringLiteral("ООО \x01")); }), -24);
    row("-24 table field not a number", Start::Fresh, mode(4), tableField(8, 1, 1, 3, "12a"), -24);
    row("-24 clock in 2100", Start::Closed, none, clock(QDateTime(QDate(2100, 1, 1), QTime(9, 0))), -24);
    row("-24 alignment 3", Start::Fresh, none, printText(QStringLiteral("Текст"), 3), -24);
    row("-24 65th formatted field", Start::Fresh, kFieldsFull, act(&Driver::AddField), -24);
    row("-24 decimal point 4", Start::Fresh, none, act(&Driver::SetPointPosition, [](DayTill &t) { t->PointPosition(4); }), -24);
    row("-24 drawer pulse of 5 ms", Start::Fresh, none,
        act(&Driver::AdvancedOpenDrawer, [](DayTill &t) { t->DrawerOnTimeout(5); t->DrawerOffTimeout(10); t->DrawerOnQuantity(1); }), -24);
    row("-24 raw command for unit 7", Start::Fresh, none, raw(&Driver::RunCommand, "9D 07"), -24);
    row("-25 text field written as a number", Start::Fresh, mode(4), tableField(2, 1, 1, 0, "1"), -25);
    row("-26 table 9", Start::Fresh, mode(4), tableField(9, 1, 1, 1, "1"), -26);
    row("-27 tape width", Start::Fresh, mode(4), tableValue(200, 80), -27);
    row("-28 clock with the shift open", Start::ShiftOpen, none, clock(kMorning.addDays(1)), -28);
    row("-28 table initialisation with the shift open", Start::ShiftOpen, mode(4), act(&Driver::InitTables), -28);
    row("-28 decimal point with the shift open", Start::ShiftOpen, none,
        act(&Driver::SetPointPosition, [](DayTill &t) { t->PointPosition(3); }), -28);
    row("-28 registration with the shift open", Start::ShiftOpen, mode(5), fiscalisation(kInn, kRnm), -28);
    row("-28 archive closing with the shift open", Start::ShiftOpen, mode(6), act(&Driver::CloseArchive), -28);
    row("-30 ContinuePrint with the paper still out", Start::Interrupted, none, act(&Driver::ContinuePrint), -30);
    row("-30 cash deposit without paper", Start::ShiftOpen, paperOut, cash(true, 10), -30);
    row("-30 position without paper", Start::Receipt, paperOut, sell(kBread), -30);
    row("-30 shift opened by a sale without paper", Start::Closed, steps({mode(1), paperOut}), sell(kBread), -30);
    row("-30 X-report without paper", Start::ShiftOpen, steps({mode(2), paperOut}), report(2), -30);
    row("-30 new document without paper", Start::ShiftOpen, paperOut, kNewDocument, -30);
    row("-30 table initialisation without paper", Start::Fresh, steps({mode(4), paperOut}), act(&Driver::InitTables), -30);
    row("-31 text while a document waits", Start::Interrupted, none, printText(QStringLiteral("Текст")), -31);
    row("-31 formatted text while a document waits", Start::Interrupted, kFieldsFull,
        act(&Driver::PrintFormattedText, [](DayTill &t) { t->TestMode(0); t.setText(&Driver::Caption, QString()); }), -31);
    row("-31 sale while a document waits", Start::Interrupted, none, sell(kBread), -31);
    row("-31 new document while a document waits", Start::Interrupted, none, kNewDocument, -31);
    row("-31 table initialisation while a document waits", Start::Interrupted, mode(4), act(&Driver::InitTables), -31);
    row("-32 control character in printed text", Start::Fresh, none, printText(QStringLiteral("a\x01")), -32);
    row("-32 control character in a name, no receipt open", Start::ShiftOpen, none, sell(juice), -32);
    row("-32 control character in a name, receipt open", Start::Receipt, none, sell(juice), -32);
    row("-32 picture mark not closed in a field", Start::Fresh, none,
        act(&Driver::AddField, [](DayTill &t) { t->TestMode(0); t.setText(&Driver::Caption, QStringLiteral("\x0A" "1,0")); }), -32);
    row("-33 raw command not hexadecimal", Start::Fresh, none, raw(&Driver::RunCommand, "ZZ"), -33);
    row("-33 raw command of the wrong length", Start::Fresh, none, raw(&Driver::RunCommand, "3F 00"), -33);
    row("-33 port data not hexadecimal", Start::Fresh, none,
        act(&Driver::WriteData, [](DayTill &t) {
            t->PortNumber(2);
            t.setText(&Driver::CommandBuffer, QStringLiteral("1B4")); }), -33);
    row("-34 raw command unknown", Start::Fresh, none, raw(&Driver::RunCommand, "01"), -34);

    // ---- shifts, receipts, cash
    const Step emptyReceipt = act(&Driver::OpenCheque, [](DayTill &t) {
        t->TestMode(0);
        t->PrintCheck(1);
        t->ChequeType(1); });
    row("-100 Z-report with the shift closed", Start::Closed, none, report(1), -100);
    row("-101 shift opened twice", Start::ShiftOpen, none, act(&Driver::OpenSession), -101);
    row("-102 sale in a shift open 25 hours", Start::Expired, none, sell(kBread), -102);
    row("-104 payment without a receipt", Start::ShiftOpen, none, pay(0, 10), -104);
    row("-104 cancel without a receipt", Start::Closed, none, act(&Driver::CancelCheque), -104);
    row("-105 return into a sale", Start::Receipt, none, position(&Driver::SellReturn, kBread), -105);
    row("-106 receipt opened twice", Start::Receipt, none, emptyReceipt, -106);
    row("-106 cash deposit with a receipt open", Start::Receipt, none, cash(true, 10), -106);
    row("-106 report with a receipt open", Start::Receipt, none, report(43), -106);
    row("-106 receipt copy with a receipt open", Start::Receipt, none, act(&Driver::PrintLastCheckCopy), -106);
    row("-107 position after a payment", Start::Paying, none, sell(kBread), -107);
    row("-107 discount after a payment", Start::Paying, none, discount(false, 1, 0), -107);
    row("-108 closing an empty receipt", Start::ShiftOpen, emptyReceipt, [](DayTill &t) { return t.close(0); }, -108);
    row("-108 paying an empty receipt", Start::ShiftOpen, emptyReceipt, pay(0, 10), -108);
    row("-110 receipt type 11", Start::ShiftOpen, none, act(&Driver::OpenCheque, [](DayTill &t) { t->ChequeType(11); }), -110);
    row("-111 quantity 0", Start::ShiftOpen, none, sell(with(kBread, 0, 45.50)), -111);
    row("-111 a fraction of a piece", Start::Receipt, none, sell(with(kBread, 1.5, 45.50), [](Driver *d) { d->Piece(1); }), -111);
    row("-111 storno of part of a discounted position", Start::Receipt, none,
        position(&Driver::Storno, with(kBread, 0.5, 45.50)), -111);
    row("-112 negative price", Start::ShiftOpen, none, sell(with(kBread, 1, -1)), -112);
    row("-113 negative position sum", Start::Receipt, none, sell(kBread, [](Driver *d) { d->PositionSum(-5); }), -113);
    row("-113 payment of nothing", Start::Receipt, none, pay(0, 0), -113);
    row("-113 cash deposit of nothing", Start::ShiftOpen, none, cash(true, 0), -113);
    row("-113 discount of nothing", Start::Receipt, none, discount(false, 0, 0), -113);
    row("-113 tax amount at 0 %", Start::Receipt, none, tax(true, 1, 5), -113);
    row("-114 department 17", Start::ShiftOpen, none, sell({QStringLiteral("Хлеб"), 1, 45.50, 17, 4}), -114);
    row("-115 tax rate 7", Start::ShiftOpen, none, sell({QStringLiteral("Хлеб"), 1, 45.50, 2, 7}), -115);
    row("-115 receipt tax rate 0", Start::Receipt, none, tax(true, 0, 0), -115);
    row("-116 payment type 10", Start::Receipt, none, pay(10, 10), -116);
    row("-116 closing with payment type 10", Start::Paying, none, [](DayTill &t) { return t.close(10); }, -116);
    row("-117 name of 129 characters", Start::ShiftOpen, none, sell({longName, 1, 7}), -117);
    row("-117 tax mode 2", Start::Receipt, none, sell(kMilk, [](Driver *d) { d->TaxSum(1); d->TaxMode(2); }), -117);
    row("-118 discount type 2", Start::Receipt, none, discount(false, 5, 2), -118);
    row("-118 charge of 101 %", Start::Receipt, none, discount(true, 101, 1), -118);
    row("-119 position sum beyond 9999999999.99", Start::ShiftOpen, none,
        sell(kBread, [](Driver *d) { d->PositionSum(10000000000.00); }), -119);
    row("-119 quantity times price beyond", Start::ShiftOpen, none, sell(with(kBread, 2, 9999999999.99)), -119);
    row("-119 receipt total beyond", Start::Receipt, none, sell(with(kBread, 1, 9999999999.99)), -119);
    row("-119 drawer beyond", Start::ShiftOpen, none, cash(true, 9999999999.99), -119);
    row("-120 withdrawal beyond the drawer", Start::ShiftOpen, none, cash(false, 1045.51), -120);
    row("-120 return closed beyond the drawer", Start::ShiftOpen, position(&Driver::SellReturn, with(kBread, 1, 5000)),
        [](DayTill &t) { return t.close(0); }, -120);
    row("-120 return checked against the drawer", Start::ShiftOpen, position(&Driver::SellReturn, kBread),
        position(&Driver::SellReturn, with(kBread, 1, 5000), [](Driver *d) { d->CheckSumm(1); }), -120);
    row("-121 storno of a position not in the receipt", Start::Receipt, none,
        position(&Driver::Storno, {QStringLiteral("Сок"), 1, 80}), -121);
    row("-122 discount above the receipt", Start::Receipt, none, discount(false, 1000, 0), -122);
    row("-122 storno leaving a discount above the receipt", Start::Receipt, discount(false, 100, 0),
        position(&Driver::Storno, kMilk), -122);
    row("-123 reset without a discount", Start::ShiftOpen, sell(kMilk), act(&Driver::ResetChargeDiscount), -123);
    row("-124 storno of a tax not registered", Start::Receipt, none, tax(false, 2, 0), -124);
    row("-125 card beyond what is due", Start::Receipt, none, pay(1, 1000), -125);
    row("-126 payment storno beyond what was paid", Start::Paying, none,
        act(&Driver::StornoPayment, [](DayTill &t) { t->TestMode(0); t->PaymentType(1); t->Summ(100.01); }), -126);

    // ---- fiscal properties, fiscalisation, fiscal storage
    row("-127 tag 999", Start::Receipt, none, tag(&Driver::AddFiscalProperty, 999, 5, "x"), -127);
    row("-128 type 6", Start::Receipt, none, tag(&Driver::WriteFiscalProperty, 1192, 6, "x"), -128);
    row("-129 buyer address neither e-mail nor phone", Start::Receipt, none,
        tag(&Driver::AddFiscalProperty, 1008, 5, "покупатель"), -129);
    row("-130 tag the last document lacks", Start::Closed, none, tag(&Driver::ReadFiscalProperty, 1008, 5, ""), -130);
    row("-131 serial number after fiscalisation", Start::Closed, mode(5),
        act(&Driver::SetSerialNumber, [](DayTill &t) { t.setText(&Driver::SerialNumber, QStringLiteral("1")); }), -131);
    row("-131 general reset after fiscalisation", Start::Closed, none, act(&Driver::ResetSummary), -131);
    row("-131 technological zeroing after fiscalisation", Start::Closed, mode(0), act(&Driver::TechZero), -131);
    row("-132 activation before fiscalisation", Start::Fresh, mode(6), act(&Driver::Activate), -132);
    row("-132 registration report before fiscalisation", Start::Fresh, none, report(22), -132);
    row("-133 ИНН with a wrong check digit", Start::Fresh, kSerialEntered, fiscalisation("7700000008", kRnm), -133);
    row("-134 РНМ of zeros", Start::Fresh, kSerialEntered, fiscalisation(kInn, "0000"), -134);
    row("-135 tax password of 9 digits", Start::Fresh, kSerialEntered, fiscalisation(kInn, kRnm, "123456789"), -135);
    row("-136 serial number with letters", Start::Fresh, mode(5),
        act(&Driver::SetSerialNumber, [](DayTill &t) { t.setText(&Driver::SerialNumber, QStringLiteral("12AB")); }), -136);
    row("-137 registration without a serial number", Start::Fresh, mode(5), fiscalisation(kInn, kRnm), -137);
    row("-138 sale before activation", Start::Registered, mode(1), sell(kBread), -138);
    row("-138 storage counters before activation", Start::Registered, none, report(48), -138);
    row("-139 second activation", Start::Closed, mode(6), act(&Driver::Activate), -139);
    row("-140 sale after the archive closed", Start::ArchiveClosed, mode(1), sell(kBread), -140);
    row("-140 archive closed twice", Start::ArchiveClosed, none, act(&Driver::CloseArchive), -140);
    row("-141 17th registration", Start::Closed, [](DayTill &t) {
        int result = t.mode(5);
        for (int i = 0; i < 15 && result >= 0; ++i)
            result = fiscalisation(kInn, kRnm)(t).result;
        return result;
    }, fiscalisation(kInn, kRnm), -141);
    row("-142 21st activation", Start::Closed, [](DayTill &t) {
        int result = t.mode(6);
        for (int i = 0; i < 19 && result >= 0; ++i)
            result = t->CloseArchive() < 0 ? -1 : t->Activate();
        return result < 0 ? result : t->CloseArchive();
    }, act(&Driver::Activate), -142);
    row("-143 fiscal sign of a document that does not exist", Start::Closed, none,
        act(&Driver::EKLZGetKPK, [](DayTill &t) { t->KPKNumber(999); }), -143);
    row("-143 storage command for a document that does not exist", Start::Closed, none,
        raw(&Driver::RunFNCommand, "40 E7 03 00 00"), -143);
    row("-143 receipt copy without a receipt", Start::Fresh, none, act(&Driver::PrintLastCheckCopy), -143);
    row("-143 printing a document that does not exist", Start::Closed, mode(2),
        report(34, [](Driver *d) { d->DocNumber(999); }), -143);
    row("-143 last receipt's records without a receipt", Start::Fresh, none, dataReport(46), -143);
    row("-143 tag without a fiscal document", Start::Fresh, none, tag(&Driver::ReadFiscalProperty, 1018, 5, ""), -143);
    row("-144 storage command not bytes", Start::Closed, none, raw(&Driver::RunFNCommand, "XY"), -144);
    row("-144 storage command of the wrong length", Start::Closed, none, raw(&Driver::RunFNCommand, "30 00"), -144);
    row("-145 storage command unknown", Start::Closed, none, raw(&Driver::RunFNCommand, "99"), -145);
    row("-146 range before the first Z-report", Start::Fresh, none, act(&Driver::GetRange), -146);
    row("-146 shift counters before the first shift", Start::Fresh, none, report(47), -146);
    row("-147 shift 2501 opened by a sale", Start::MemoryFull, none, sell(kBread), -147);

    // ---- registers and reports
    Selectors shift99;
    shift99.counterValue = 99;
    row("-200 register 37", Start::Fresh, none, [](DayTill &t) { return t.getRegister(37); }, -200);
    row("-201 register 1 of receipt type 11", Start::Fresh, none, [](DayTill &t) { return t.getRegister(1, of(11)); }, -201);
    row("-202 register 45 with nothing to send", Start::Fresh, none, [](DayTill &t) { return t.getRegister(45); }, -202);
    row("-203 register 18 of shift 99", Start::Closed, none, [=](DayTill &t) { return t.getRegister(18, shift99); }, -203);
    row("-203 journal report of shift 99", Start::Closed, mode(6), report(23, [](Driver *d) { d->Session(99); }), -203);
    row("-210 dates reversed", Start::Closed, mode(6), report(26, [](Driver *d) { d->Date(16, 6, 2026); d->DateEnd(15, 6, 2026); }), -210);
    row("-210 shift 0", Start::Closed, mode(2), report(51, [](Driver *d) { d->Session(0); d->SessionEnd(1); }), -210);
    row("-210 documents reversed", Start::Closed, mode(2), report(50, [](Driver *d) { d->DocNumber(5); d->DocNumberEnd(2); }), -210);
    row("-211 empty electronic journal", Start::Fresh, mode(2), report(36, [](Driver *d) { d->ClearFlag(0); }), -211);
    row("-211 dates holding no shift", Start::Closed, mode(5), report(3, [](Driver *d) { d->Date(1, 1, 2025); d->DateEnd(2, 1, 2025); }), -211);
    row("-212 clear flag 2", Start::Closed, mode(2), report(35, [](Driver *d) { d->ClearFlag(2); }), -212);
    row("-212 software of unit 9", Start::Fresh, none, dataReport(19, 9), -212);
    row("-213 record without a report", Start::Fresh, none, act(&Driver::GetRecord), -213);
    row("-214 SD card not writable", Start::Closed, [](DayTill &t) {
        // A file where the card's folder should be.
        QFile card(t.dataFolder() + QStringLiteral("/sd"));
        return card.open(QIODevice::WriteOnly) ? t.mode(2) : -1;
    }, report(39, [](Driver *d) { d->Session(1); d->SessionEnd(1); }), -214);

    // ---- the connector test and the clock's confirmation
    row("-3801 Ethernet of a register on USB", Start::Fresh, none,
        act(&Driver::TestConnector, [](DayTill &t) { t->PortNumber(1); }), -3801);
    row("-3802 display port", Start::Fresh, none, act(&Driver::TestConnector, [](DayTill &t) { t->PortNumber(2); }), -3802);
    row("-3893 clock behind the last fiscal document", Start::Closed, none, clock(kMorning.addDays(-1)), -3893);
}

void TestVregRefusals::refusalChangesNothing()
{
    QFETCH(Refusal, refusal);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DayTill till(*m_fptr);
    QVERIFY(build(refusal.start, till, folder.path()));
    if (refusal.prepare) {
        const Outcome prepared = refusal.prepare(till);
        QVERIFY2(prepared.result >= 0, qPrintable(till.result()));
    }

    // The paper of the preparation comes out on the register's own thread:
    // GetStatus waits for it, so that the files below are all there is.
    till->GetStatus();
    const QMap<QString, QString> shownBefore = status(till);
    const qint64 offsetBefore = clockOffset(till);
    const QMap<QString, QByteArray> filesBefore = files(folder.path());

    const Outcome outcome = refusal.call(till);
    const int code = outcome.own ? till.code() : outcome.code;
    const QString detail = outcome.own ? till.detail() : outcome.detail;
    const QString description = outcome.own ? till.resultDescription() : QStringLiteral("(another object)");

    const QMap<QString, QByteArray> filesAfter = files(folder.path());
    const QMap<QString, QString> shownAfter = status(till);
    const qint64 offsetAfter = clockOffset(till);

    QVERIFY2(outcome.result < 0, qPrintable(QStringLiteral("answered %1").arg(outcome.result)));
    QVERIFY2(code == refusal.code, qPrintable(QStringLiteral("%1 %2: %3").arg(code).arg(description, detail)));
    QVERIFY2(!detail.isEmpty(), "no detail says what was refused");
    QVERIFY(!description.isEmpty());

    const QStringList shown = differences<QString>(shownBefore, shownAfter, [](const QString &text) { return text; });
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char('\n'))));
    const QStringList written = differences<QByteArray>(filesBefore, filesAfter, [](const QByteArray &bytes) {
        return QStringLiteral("%1 bytes").arg(bytes.size()); });
    QVERIFY2(written.isEmpty(), qPrintable(written.join(QLatin1Char('\n'))));
    QVERIFY2(qAbs(offsetAfter - offsetBefore) <= 2,
             qPrintable(QStringLiteral("the clock moved by %1 s").arg(offsetAfter - offsetBefore)));
}

FPTR_TEST_MAIN(TestVregRefusals)
#include "tst_vreg_refusals.moc"
