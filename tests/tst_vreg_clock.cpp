// The virtual register's clock: it runs with the computer's clock plus an
// offset the device keeps, SetDate checks its input, refuses an open shift,
// and asks for confirmation (-3893) before going back behind the last
// fiscal document.

#include "testmain.h"
#include "vregclient.h"

#include <QTemporaryDir>

using namespace vregtest;

namespace {

int setDate(const Device &device, const QDateTime &when)
{
    device->Date(when.date().day(), when.date().month(), when.date().year());
    device->Time(when.time().hour(), when.time().minute(), when.time().second());
    return device->SetDate();
}

bool near(const QTime &a, const QTime &b)
{
    return qAbs(a.secsTo(b)) <= 2;
}

} // namespace

class TestVregClock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void clockRunsWithTheComputer();
    void setDateMovesTheClockAndSurvivesARestart();
    void invalidInput();
    void callersDateStaysUntilGetStatus();
    void goingBackBehindTheLastDocumentNeedsConfirmation();
    void openShiftRefusesTheChange();

private:
    // Issues a receipt and closes the shift with a Z-report; skips the test
    // when this build has no receipts.
    bool issueReceiptAndCloseShift(const Device &device);

    std::unique_ptr<Library> m_fptr;
};

void TestVregClock::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

bool TestVregClock::issueReceiptAndCloseShift(const Device &device)
{
    if (device.enterMode(1, "1") < 0)
        return false;
    device->TestMode(0);
    device->PrintCheck(1);
    device->TextWrap(0);
    device.setText(&Driver::Name, "Хлеб");
    device->Quantity(1);
    device->Price(40);
    device->Department(1);
    device->TaxNumber(0);
    device->PositionSum(0);
    device->Summ(0.0);
    if (device->Sell() < 0)
        return false;
    device->PaymentType(0);
    if (device->CloseCheque() < 0)
        return false;
    if (device.enterMode(3, "29") < 0)
        return false;
    device->ReportType(1);
    return device->Report() >= 0;
}

void TestVregClock::clockRunsWithTheComputer()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate());
    QVERIFY(near(device.time(&Driver::Time), QTime::currentTime()));
}

void TestVregClock::setDateMovesTheClockAndSurvivesARestart()
{
    QTemporaryDir folder;
    const QDateTime target(QDate::currentDate().addDays(3), QTime(10, 0, 0));
    {
        Device device(*m_fptr);
        QVERIFY(device.connect({"DataDir", folder.path()}));
        QVERIFY2(setDate(device, target) == 0, qPrintable(device.result()));
        QCOMPARE(device.date(&Driver::Date), target.date());
        QVERIFY(near(device.time(&Driver::Time), target.time()));
    }
    Device device(*m_fptr);
    QVERIFY(device.connect({"DataDir", folder.path()}));
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.date(&Driver::Date), target.date());
    QVERIFY(near(device.time(&Driver::Time), target.time()));
    // Another device keeps its own clock.
    Device other(*m_fptr);
    QVERIFY(other.connect());
    QCOMPARE(other.date(&Driver::Date), QDate::currentDate());
}

void TestVregClock::invalidInput()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    // 30 February, before 2000, after 2099, hour 25: as the bench writes them.
    const int cases[][4] = {{30, 2, 2024, 12}, {31, 12, 1999, 12}, {1, 1, 2100, 12}, {1, 1, 2030, 25}};
    for (const auto &c : cases) {
        device->Date(c[0], c[1], c[2]);
        device->Time(c[3], 0, 0);
        QVERIFY(device->SetDate() < 0);
        QCOMPARE(device.code(), -24);
        QVERIFY(!device.detail().isEmpty());
    }
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate());
}

void TestVregClock::callersDateStaysUntilGetStatus()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device->Date(1, 1, 2020), 0);
    QCOMPARE(device.date(&Driver::Date), QDate(2020, 1, 1));
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate());
}

void TestVregClock::goingBackBehindTheLastDocumentNeedsConfirmation()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    // Without fiscal documents the clock goes anywhere at once.
    QCOMPARE(setDate(device, QDateTime::currentDateTime().addDays(-30)), 0);
    QCOMPARE(setDate(device, QDateTime::currentDateTime()), 0);
    if (!issueReceiptAndCloseShift(device)) {
        if (device.code() == -2)
            QSKIP("Receipts are not modelled by this build");
        QFAIL(qPrintable(device.result()));
    }

    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    QVERIFY(setDate(device, yesterday) < 0);
    QCOMPARE(device.code(), -3893);
    QVERIFY(!device.detail().isEmpty());
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate()); // not changed yet

    // Another date is another question.
    QVERIFY(setDate(device, yesterday.addDays(-1)) < 0);
    QCOMPARE(device.code(), -3893);
    QVERIFY(setDate(device, yesterday) < 0);
    QCOMPARE(device.code(), -3893);
    // The same change repeated at once is the confirmation.
    QVERIFY2(setDate(device, yesterday) == 0, qPrintable(device.result()));
    QCOMPARE(device.date(&Driver::Date), yesterday.date());

    // Going forward never asks.
    QCOMPARE(setDate(device, QDateTime::currentDateTime()), 0);
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate());
}

void TestVregClock::openShiftRefusesTheChange()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    QCOMPARE(device.enterMode(1, "1"), 0);
    device.setText(&Driver::Caption, "");
    if (device->OpenSession() < 0) {
        if (device.code() == -2)
            QSKIP("Shifts are not modelled by this build");
        QFAIL(qPrintable(device.result()));
    }
    QVERIFY(setDate(device, QDateTime::currentDateTime().addDays(1)) < 0);
    QCOMPARE(device.code(), -28);
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate());
}

FPTR_TEST_MAIN(TestVregClock)
#include "tst_vreg_clock.moc"
