// The virtual register's fiscal side through the library's entry points:
// fiscalisation and its checks, the fiscal storage's life (activation,
// archive closing), fiscal signs, fiscal properties, the fiscal-memory
// range, resets before fiscalisation, copies and the report dispatch.

#include "testmain.h"
#include "vregclient.h"

#include <QRegularExpression>

#include <algorithm>

using namespace vregtest;

namespace {

class Register : public Device
{
public:
    using Device::Device;

    bool open() { return connect({QStringLiteral("PrintSpeed"), QStringLiteral("0")}); }
    int mode(int mode) const { return enterMode(mode, mode >= 3 ? QStringLiteral("29") : QStringLiteral("1")); }
    double summ() const { return doubleValue(&Driver::Summ); }
    int sale(const QString &name, double price) const
    {
        Driver *d = get();
        d->TestMode(0);
        d->PrintCheck(1);
        d->CheckSumm(0);
        d->TextWrap(1);
        setText(&Driver::Name, name);
        d->Quantity(1);
        d->Price(price);
        d->Department(1);
        d->TaxNumber(3);
        d->PositionSum(0);
        d->Summ(0.0);
        return d->Sell();
    }
    int closeReceipt() const
    {
        get()->PaymentType(0);
        get()->TestMode(0);
        return get()->CloseCheque();
    }
    int zReport() const
    {
        if (mode(3) < 0)
            return -1;
        get()->ReportType(1);
        return get()->Report();
    }
    int property(int (Driver::*action)(), int number, int type, const QString &value, int user = 0) const
    {
        get()->FiscalPropertyNumber(number);
        get()->FiscalPropertyPrint(1);
        get()->FiscalPropertyType(type);
        setText(&Driver::FiscalPropertyValue, value);
        get()->FiscalPropertyUser(user);
        return (get()->*action)();
    }
    // ReadFiscalProperty: the value, or "error <code>".
    QString read(int number, int type) const
    {
        get()->FiscalPropertyType(type);
        get()->FiscalPropertyNumber(number);
        if (get()->ReadFiscalProperty() < 0)
            return QStringLiteral("error %1").arg(code());
        return text(&Driver::FiscalPropertyValue);
    }
    int fiscalise(const QString &inn, const QString &rnm, const QString &password) const
    {
        setText(&Driver::RNM, rnm);
        setText(&Driver::INN, inn);
        setText(&Driver::TaxPassword, password);
        return get()->Fiscalization();
    }
    QString fnCommand(const QString &command) const
    {
        setText(&Driver::CommandBuffer, command);
        if (get()->RunFNCommand() < 0)
            return QStringLiteral("error %1").arg(code());
        return text(&Driver::AnswerBuffer);
    }
};

} // namespace

class TestVregFiscal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void innCheckDigits_data();
    void innCheckDigits();
    void fiscalisationAndStorage();
    void fiscalPropertyValues_data();
    void fiscalPropertyValues();
    void fiscalPropertiesOfTheLastDocument();
    void rangeOfShifts();
    void resetsBeforeFiscalisation();
    void copyAndReportTypes();

private:
    std::unique_ptr<Library> m_fptr;
};

void TestVregFiscal::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

void TestVregFiscal::innCheckDigits_data()
{
    QTest::addColumn<QString>("inn");
    QTest::addColumn<bool>("valid");
    QTest::newRow("organisation") << "7707083893" << true;
    QTest::newRow("person") << "500100732259" << true;
    QTest::newRow("organisation, wrong check digit") << "7707083894" << false;
    QTest::newRow("person, wrong 11th digit") << "500100732269" << false;
    QTest::newRow("person, wrong 12th digit") << "500100732250" << false;
    QTest::newRow("11 digits") << "77070838931" << false;
    QTest::newRow("letters") << "77O7083893" << false;
    QTest::newRow("zeros") << "0000000000" << false;
    QTest::newRow("empty") << "" << false;
}

void TestVregFiscal::innCheckDigits()
{
    QFETCH(QString, inn);
    QFETCH(bool, valid);
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    QCOMPARE(fr.mode(5), 0);
    fr.setText(&Driver::SerialNumber, QStringLiteral("00106305118012"));
    QCOMPARE(fr->SetSerialNumber(), 0);
    const int result = fr.fiscalise(inn, QStringLiteral("1234567890"), QStringLiteral("12345678"));
    QVERIFY2((result == 0) == valid, qPrintable(fr.result()));
    QCOMPARE(fr.intValue(&Driver::Fiscal), valid ? 1 : 0);
    if (!valid)
        QCOMPARE(fr.code(), -133);
}

void TestVregFiscal::fiscalisationAndStorage()
{
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    QCOMPARE(fr.mode(5), 0);
    QVERIFY(fr.fiscalise(QStringLiteral("7707083893"), QStringLiteral("1"), QString()) < 0);
    QCOMPARE(fr.code(), -137);
    for (const QString &bad : {QStringLiteral("12a"), QString(), QStringLiteral("123456789012345678901")}) {
        fr.setText(&Driver::SerialNumber, bad);
        QVERIFY(fr->SetSerialNumber() < 0);
        QCOMPARE(fr.code(), -136);
    }
    fr.setText(&Driver::SerialNumber, QStringLiteral("00106305118012"));
    QCOMPARE(fr->SetSerialNumber(), 0);
    QVERIFY(fr.fiscalise(QStringLiteral("7707083893"), QStringLiteral("12AB"), QString()) < 0);
    QCOMPARE(fr.code(), -134);
    QVERIFY(fr.fiscalise(QStringLiteral("7707083893"), QStringLiteral("1234567890"), QStringLiteral("abc")) < 0);
    QCOMPARE(fr.code(), -135);
    QCOMPARE(fr.intValue(&Driver::Fiscal), 0);
    QVERIFY2(fr.fiscalise(QStringLiteral("7707083893"), QStringLiteral("1234567890"), QStringLiteral("12345678")) == 0,
             qPrintable(fr.result()));
    QCOMPARE(fr.intValue(&Driver::Fiscal), 1);
    QCOMPARE(fr.intValue(&Driver::FNFiscal), 0);

    // What only a register before fiscalisation may do.
    fr.setText(&Driver::SerialNumber, QStringLiteral("1"));
    QVERIFY(fr->SetSerialNumber() < 0);
    QCOMPARE(fr.code(), -131);
    QCOMPARE(fr.mode(3), 0);
    QVERIFY(fr->ResetSummary() < 0);
    QCOMPARE(fr.code(), -131);
    QCOMPARE(fr->ResetMode(), 0);
    QVERIFY(fr->TechZero() < 0);
    QCOMPARE(fr.code(), -131);

    // Fiscal documents wait for the storage's activation.
    QCOMPARE(fr.mode(1), 0);
    QVERIFY(fr.sale(QStringLiteral("Товар"), 100) < 0);
    QCOMPARE(fr.code(), -138);
    QCOMPARE(fr.mode(6), 0);
    QVERIFY2(fr->Activate() == 0, qPrintable(fr.result()));
    QCOMPARE(fr.intValue(&Driver::FNFiscal), 1);
    QVERIFY(fr->Activate() < 0);
    QCOMPARE(fr.code(), -139);

    QCOMPARE(fr.mode(1), 0);
    QCOMPARE(fr.sale(QStringLiteral("Товар"), 100), 0);
    QCOMPARE(fr->GetEKLZStatus(), 0);
    // Archive open, activated, document open, shift open; a sale.
    QCOMPARE(fr.intValue(&Driver::EKLZFlags), 0x04 | 0x08 | 0x20 | 0x40);
    QCOMPARE(fr.intValue(&Driver::Session), 1);
    QCOMPARE(fr.summ(), 100.0);
    const QString storage = fr.text(&Driver::SerialNumber);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{16}$")).match(storage).hasMatch());
    QCOMPARE(fr.closeReceipt(), 0);

    // Every fiscal document's sign is the one printed on it.
    QCOMPARE(fr->GetEKLZStatus(), 0);
    const int lastFd = fr.intValue(&Driver::KPKNumber);
    QCOMPARE(lastFd, 4); // registration, activation, shift open, receipt
    const QStringList tape = fr.tape();
    for (int fd = 1; fd <= lastFd; ++fd) {
        fr->KPKNumber(fd);
        QCOMPARE(fr->EKLZGetKPK(), 0);
        const int sign = fr.intValue(&Driver::KPKValue);
        QVERIFY(sign > 0);
        if (!tape.isEmpty()) {
            const QRegularExpression line(QStringLiteral("^ФД %1 +ФП %2$").arg(fd).arg(sign));
            QVERIFY2(std::any_of(tape.begin(), tape.end(), [&](const QString &l) { return line.match(l).hasMatch(); }),
                     qPrintable(QStringLiteral("ФД %1 ФП %2").arg(fd).arg(sign)));
        }
    }
    fr->KPKNumber(lastFd + 1);
    QVERIFY(fr->EKLZGetKPK() < 0);
    QCOMPARE(fr.code(), -143);

    // Commands of the fiscal storage.
    QVERIFY(fr.fnCommand(QStringLiteral("30")).startsWith(QStringLiteral("03 00 00 01")));
    QCOMPARE(fr.fnCommand(QStringLiteral("31")), QString::fromLatin1(storage.toLatin1().toHex(' ').toUpper()));
    QVERIFY(fr.fnCommand(QStringLiteral("40 04 00 00 00")).startsWith(QStringLiteral("03 00 ")));
    QCOMPARE(fr.fnCommand(QStringLiteral("40 05 00 00 00")), QStringLiteral("error -143"));
    QCOMPARE(fr.fnCommand(QStringLiteral("99")), QStringLiteral("error -145"));
    QCOMPARE(fr.fnCommand(QStringLiteral("3")), QStringLiteral("error -144"));
    QCOMPARE(fr.fnCommand(QStringLiteral("30 00")), QStringLiteral("error -144"));

    // The archive closes with the shift closed; fiscal documents stop.
    QCOMPARE(fr.mode(6), 0);
    QVERIFY(fr->CloseArchive() < 0);
    QCOMPARE(fr.code(), -28);
    QCOMPARE(fr.zReport(), 0);
    QCOMPARE(fr.mode(6), 0);
    QCOMPARE(fr->CloseArchive(), 0);
    QVERIFY(fr.fnCommand(QStringLiteral("30")).startsWith(QStringLiteral("07")));
    QCOMPARE(fr->GetEKLZStatus(), 0);
    QCOMPARE(fr.intValue(&Driver::EKLZFlags) & 0x0c, 0x08);
    QCOMPARE(fr.mode(1), 0);
    QVERIFY(fr.sale(QStringLiteral("Товар"), 100) < 0);
    QCOMPARE(fr.code(), -140);
    fr->TestMode(0);
    QVERIFY(fr->OpenSession() < 0);
    QCOMPARE(fr.code(), -140);
    // A new storage brings them back.
    QCOMPARE(fr.mode(6), 0);
    QCOMPARE(fr->Activate(), 0);
    QCOMPARE(fr->GetEKLZStatus(), 0);
    QVERIFY(fr.text(&Driver::SerialNumber) != storage);
    QCOMPARE(fr.mode(1), 0);
    QCOMPARE(fr.sale(QStringLiteral("Товар"), 100), 0);

    if (!tape.isEmpty()) {
        QVERIFY(std::any_of(tape.begin(), tape.end(), [](const QString &l) { return l.trimmed() == "ОТЧЕТ О РЕГИСТРАЦИИ"; }));
        QVERIFY(std::any_of(tape.begin(), tape.end(), [](const QString &l) { return l.startsWith("ИНН") && l.endsWith("7707083893"); }));
    }
}

void TestVregFiscal::fiscalPropertyValues_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("code");
    QTest::newRow("byte") << 1212 << 1 << "255" << 0 << 0;
    QTest::newRow("byte too large") << 1212 << 1 << "256" << 0 << -129;
    QTest::newRow("word") << 1214 << 2 << "65535" << 0 << 0;
    QTest::newRow("word too large") << 1214 << 2 << "65536" << 0 << -129;
    QTest::newRow("dword") << 1191 << 3 << "4294967295" << 0 << 0;
    QTest::newRow("dword too large") << 1191 << 3 << "4294967296" << 0 << -129;
    QTest::newRow("not a number") << 1191 << 3 << "12a" << 0 << -129;
    QTest::newRow("unix time") << 1098 << 4 << "1700000000" << 0 << 0;
    QTest::newRow("negative time") << 1098 << 4 << "-1" << 0 << -129;
    QTest::newRow("string") << 1192 << 5 << QString(256, QLatin1Char('x')) << 0 << 0;
    QTest::newRow("string too long") << 1192 << 5 << QString(257, QLatin1Char('x')) << 0 << -129;
    QTest::newRow("bytes") << 1260 << 0 << "0A 1b ff" << 0 << 0;
    QTest::newRow("odd digits") << 1260 << 0 << "0A1" << 0 << -129;
    QTest::newRow("not hexadecimal") << 1260 << 0 << "zz" << 0 << -129;
    QTest::newRow("e-mail") << 1008 << 5 << "buyer@example.com" << 0 << 0;
    QTest::newRow("phone") << 1008 << 5 << "+7 (912) 345-67-89" << 0 << 0;
    QTest::newRow("neither") << 1008 << 5 << "Иван Петров" << 0 << -129;
    QTest::newRow("1008 as a number") << 1008 << 3 << "79123456789" << 0 << -128;
    QTest::newRow("unknown type") << 1192 << 6 << "x" << 0 << -128;
    QTest::newRow("no type chosen") << 1192 << -1 << "x" << 0 << -128;
    QTest::newRow("not a fiscal tag") << 999 << 5 << "x" << 0 << -127;
    QTest::newRow("user tag") << 999 << 5 << "x" << 1 << 0;
}

void TestVregFiscal::fiscalPropertyValues()
{
    QFETCH(int, number);
    QFETCH(int, type);
    QFETCH(QString, value);
    QFETCH(int, user);
    QFETCH(int, code);
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    for (int (Driver::*action)() : {&Driver::AddFiscalProperty, &Driver::WriteFiscalProperty}) {
        // Only a receipt-level value may be a user's own tag.
        const int expected = user && action == &Driver::AddFiscalProperty ? -127 : code;
        const int result = fr.property(action, number, type, value, user);
        QCOMPARE(result < 0 ? fr.code() : 0, expected);
        if (expected != 0)
            QVERIFY(!fr.detail().isEmpty());
    }
}

void TestVregFiscal::fiscalPropertiesOfTheLastDocument()
{
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    QCOMPARE(fr.read(1040, 3), QStringLiteral("error -143"));
    QCOMPARE(fr.mode(5), 0);
    fr.setText(&Driver::SerialNumber, QStringLiteral("42"));
    QCOMPARE(fr->SetSerialNumber(), 0);
    QCOMPARE(fr.fiscalise(QStringLiteral("500100732259"), QStringLiteral("77"), QString()), 0);
    QCOMPARE(fr.mode(6), 0);
    QCOMPARE(fr->Activate(), 0);
    QCOMPARE(fr.mode(1), 0);

    // An item added before a position travels with it; one written in the
    // open receipt belongs to the receipt.
    QCOMPARE(fr.property(&Driver::AddFiscalProperty, 1191, 5, QStringLiteral("доп. реквизит")), 0);
    QCOMPARE(fr.sale(QStringLiteral("Товар"), 250), 0);
    QCOMPARE(fr.property(&Driver::WriteFiscalProperty, 1008, 5, QStringLiteral("buyer@example.com")), 0);
    const QDateTime closed = QDateTime::currentDateTime();
    QCOMPARE(fr.closeReceipt(), 0);

    QCOMPARE(fr.read(1008, 5), QStringLiteral("buyer@example.com"));
    QCOMPARE(fr.read(1018, 5), QStringLiteral("500100732259"));
    QCOMPARE(fr.read(1040, 3), QStringLiteral("4"));
    QCOMPARE(fr.read(1040, 0), QStringLiteral("04 00 00 00"));
    QCOMPARE(fr.read(1020, 5), QStringLiteral("250.00"));
    QCOMPARE(fr.read(1054, 1), QStringLiteral("1"));
    const qint64 unixTime = fr.read(1012, 4).toLongLong();
    QVERIFY(qAbs(unixTime - closed.toSecsSinceEpoch()) < 120);
    fr->KPKNumber(4);
    QCOMPARE(fr->EKLZGetKPK(), 0);
    QCOMPARE(fr.read(1077, 3), QString::number(fr.intValue(&Driver::KPKValue)));
    QCOMPARE(fr.read(1018, 1), QStringLiteral("error -128"));
    QCOMPARE(fr.read(1234, 5), QStringLiteral("error -130"));
    QVERIFY(fr.detail().contains(QStringLiteral("1077")));

    // The next fiscal document is the last one now: the buyer's address
    // was the receipt's only.
    QCOMPARE(fr.zReport(), 0);
    QCOMPARE(fr.read(1008, 5), QStringLiteral("error -130"));
    QCOMPARE(fr.read(1040, 3), QStringLiteral("5"));
}

void TestVregFiscal::rangeOfShifts()
{
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    QVERIFY(fr->GetRange() < 0);
    QCOMPARE(fr.code(), -146);
    for (int shift = 1; shift <= 2; ++shift) {
        QCOMPARE(fr.mode(1), 0);
        fr->TestMode(0);
        QCOMPARE(fr->OpenSession(), 0);
        QCOMPARE(fr.zReport(), 0);
    }
    QCOMPARE(fr->GetRange(), 0);
    QCOMPARE(fr.intValue(&Driver::Session), 1);
    QCOMPARE(fr.intValue(&Driver::SessionEnd), 2);
    QCOMPARE(fr.date(&Driver::Date), QDate::currentDate());
    QCOMPARE(fr.date(&Driver::DateEnd), QDate::currentDate());
}

void TestVregFiscal::resetsBeforeFiscalisation()
{
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    QCOMPARE(fr.mode(1), 0);
    QCOMPARE(fr.sale(QStringLiteral("Учебный"), 70), 0);
    QCOMPARE(fr.closeReceipt(), 0);

    // The general reset needs the shift closed and clears the sums.
    QCOMPARE(fr.mode(3), 0);
    QVERIFY(fr->ResetSummary() < 0);
    QCOMPARE(fr.code(), -28);
    QCOMPARE(fr.zReport(), 0);
    QCOMPARE(fr->ResetSummary(), 0);
    fr->GetSumm();
    QCOMPARE(fr.summ(), 0.0);
    QCOMPARE(fr->GetRange(), 0); // the shift records stay

    // The technological reset clears the whole fiscal memory.
    QCOMPARE(fr->ResetMode(), 0);
    QCOMPARE(fr->TechZero(), 0);
    QVERIFY(fr->GetRange() < 0);
    QCOMPARE(fr.code(), -146);
    QCOMPARE(fr.intValue(&Driver::Session), 0);
    QCOMPARE(fr.read(1040, 3), QStringLiteral("error -143"));
}

void TestVregFiscal::copyAndReportTypes()
{
    Register fr(*m_fptr);
    QVERIFY(fr.open());
    QCOMPARE(fr.mode(1), 0);
    QVERIFY(fr->PrintLastCheckCopy() < 0);
    QCOMPARE(fr.code(), -143);
    QCOMPARE(fr.sale(QStringLiteral("Копируемый"), 12.5), 0);
    QVERIFY(fr->PrintLastCheckCopy() < 0);
    QCOMPARE(fr.code(), -106);
    QCOMPARE(fr.closeReceipt(), 0);
    const int before = int(fr.tape().size());
    QCOMPARE(fr->PrintLastCheckCopy(), 0);
    const QStringList copy = fr.tape().mid(before);
    if (!copy.isEmpty()) {
        QCOMPARE(copy.first().trimmed(), QStringLiteral("КОПИЯ"));
        QVERIFY(copy.contains(QStringLiteral("Копируемый")));
    }

    fr->ReportType(99);
    QVERIFY(fr->Report() < 0);
    QCOMPARE(fr.code(), -2);
    QVERIFY(fr.detail().contains(QStringLiteral("99")));
}

FPTR_TEST_MAIN(TestVregFiscal)
#include "tst_vreg_fiscal.moc"
