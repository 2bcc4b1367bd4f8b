#pragma once

// A register's day as the conformance tests drive it: the bench's register
// selectors and reads, a fiscalisation, and one full trading day (a sale with
// storno and discounts, a return, cash in and out, the X- and Z-reports).

#include "vregtill.h"

#include <QHash>
#include <QMap>

#include <climits>
#include <cmath>
#include <functional>

namespace vregtest {

inline const QDateTime kMorning(QDate(2026, 6, 15), QTime(9, 0, 0));
inline const QString kSerial = QStringLiteral("00106201");
inline const QString kInn = QStringLiteral("7700000009");
inline const QString kRnm = QStringLiteral("1234567890");

// The selectors of the registers page, as the bench writes them.
struct Selectors
{
    int counterValue = 0;
    int payment = 0;
    int cheque = 1;
    int operation = 0;
    int discount = 0;
    int tax = 0;
    int counterType = 2;
    int step = 0;
    int power = 0;
    int dimension = 1;
    int department = 0;
};

inline Selectors of(int cheque, int counterType = 2)
{
    Selectors s;
    s.cheque = cheque;
    s.counterType = counterType;
    return s;
}

// What each register answers in, as the bench reads it.
inline QStringList propertiesOf(int number)
{
    switch (number) {
    case 6: case 7: case 8: case 9: case 15: case 16: case 25: case 33: case 34: case 35: case 44: case 63: case 66:
        return {"Count"};
    case 17: case 45: case 57: return {"Date", "Time"};
    case 18: return {"Date", "Time", "SessionOpened"};
    case 19: return {"Mode", "SubMode", "DocNumber", "ChequeState", "ChequeNumber"};
    case 20: return {"Summ", "Remainder", "Change"};
    case 21: return {"Session"};
    case 22: return {"SerialNumber"};
    case 23: return {"Model", "Version", "SubVersion"};
    case 24: return {"ChequeTapeWidth1", "ChequeTapeWidth2", "ControlTapeWidth1", "ControlTapeWidth2", "SlipWidth1", "SlipWidth2"};
    case 26: return {"Count", "Value"};
    case 27: return {"INN", "RNM", "Session", "Date"};
    case 28: return {"SerialNumber", "Session", "Date"};
    case 29: return {"FiscalStation"};
    case 36: return {"Version", "SubVersion"};
    case 38: return {"PowerSupplyState", "PowerSupplyVoltage", "BatteryCharge"};
    case 39: case 67: return {"Value"};
    case 41: return {"Summ", "Value"};
    case 42: return {"DiscountSumm", "ChargeSumm"};
    case 43: return {"NetworkError", "OFDError", "FNError"};
    case 47: return {"SerialNumber", "FNFlags"};
    case 48: return {"Date", "Time", "DocNumber"};
    case 51: return {"DocNumber", "ChequeType", "Summ", "Date", "Time", "Value"};
    case 52: return {"DocNumber", "Date", "Time", "Value"};
    case 53: return {"Session", "ChequeNumber"};
    case 54: return {"DeviceFfdVersion", "FNFfdVersion", "FfdVersion", "Date"};
    case 55: return {"CommandCode", "ErrorCode", "ErrorData"};
    case 58: return {"Count", "DocNumber"};
    case 59: return {"EnvdEnabled", "EnvdAllowed", "TaxRateMode"};
    case 65: return {"Count", "Value"};
    case 70: return {"Date", "Time", "DateEnd", "TimeEnd"};
    default: return {"Summ"};
    }
}

// The bench's register list.
inline QList<int> registerNumbers()
{
    QList<int> numbers;
    for (int n = 1; n <= 70; ++n) {
        if (n != 37 && n != 49 && n != 50 && n != 62 && n != 64 && n != 68 && n != 69)
            numbers.append(n);
    }
    return numbers;
}

// The register the way a cashier and the bench drive it, with the bench's
// register reads and fiscalisation.
class DayTill : public Till
{
public:
    using Till::Till;

    int getRegister(int number, const Selectors &s = Selectors()) const
    {
        Driver *d = get();
        d->RegisterNumber(number);
        d->CounterValue(s.counterValue);
        d->PaymentType(s.payment);
        d->ChequeType(s.cheque);
        d->OperationType(s.operation);
        d->DiscountNumber(s.discount);
        d->TaxNumber(s.tax);
        d->CounterType(s.counterType);
        d->StepCounterType(s.step);
        d->PowerSupplyType(s.power);
        d->CounterDimension(s.dimension);
        d->Department(s.department);
        return d->GetRegister();
    }
    // A money register; NaN when it fails.
    double sum(int number, const Selectors &s = Selectors()) const
    {
        if (getRegister(number, s) < 0) {
            qWarning("register %d: %s", number, qPrintable(result()));
            return std::nan("");
        }
        return doubleValue(&Driver::Summ);
    }
    int count(int number, const Selectors &s = Selectors()) const
    {
        if (getRegister(number, s) < 0) {
            qWarning("register %d: %s", number, qPrintable(result()));
            return INT_MIN;
        }
        return intValue(&Driver::Count);
    }
    // A property as text, for comparing whole answers.
    QString property(const QString &name) const
    {
        Driver *d = get();
        const auto number = [](double value) { return QString::number(value, 'f', 2); };
        if (name == "Summ") return number(doubleValue(&Driver::Summ));
        if (name == "Value") return number(doubleValue(&Driver::Value));
        if (name == "Remainder") return number(doubleValue(&Driver::Remainder));
        if (name == "Change") return number(doubleValue(&Driver::Change));
        if (name == "DiscountSumm") return number(doubleValue(&Driver::DiscountSumm));
        if (name == "ChargeSumm") return number(doubleValue(&Driver::ChargeSumm));
        if (name == "PowerSupplyVoltage") return number(doubleValue(&Driver::PowerSupplyVoltage));
        if (name == "Date") return date(&Driver::Date).toString(Qt::ISODate);
        if (name == "DateEnd") return date(&Driver::DateEnd).toString(Qt::ISODate);
        if (name == "Time") return time(&Driver::Time).toString(Qt::ISODate);
        if (name == "TimeEnd") return time(&Driver::TimeEnd).toString(Qt::ISODate);
        if (name == "SerialNumber") return text(&Driver::SerialNumber);
        if (name == "Version") return text(&Driver::Version);
        if (name == "SubVersion") return text(&Driver::SubVersion);
        if (name == "INN") return text(&Driver::INN);
        if (name == "RNM") return text(&Driver::RNM);
        if (name == "ErrorData") return text(&Driver::ErrorData);
        static const QHash<QString, int (Driver::*)(int *)> ints = {
            {"Count", &Driver::Count}, {"Mode", &Driver::Mode}, {"SubMode", &Driver::SubMode},
            {"DocNumber", &Driver::DocNumber}, {"ChequeState", &Driver::ChequeState},
            {"ChequeNumber", &Driver::ChequeNumber}, {"ChequeType", &Driver::ChequeType},
            {"SessionOpened", &Driver::SessionOpened}, {"Session", &Driver::Session}, {"Model", &Driver::Model},
            {"FiscalStation", &Driver::FiscalStation}, {"ChequeTapeWidth1", &Driver::ChequeTapeWidth1},
            {"ChequeTapeWidth2", &Driver::ChequeTapeWidth2}, {"ControlTapeWidth1", &Driver::ControlTapeWidth1},
            {"ControlTapeWidth2", &Driver::ControlTapeWidth2}, {"SlipWidth1", &Driver::SlipWidth1},
            {"SlipWidth2", &Driver::SlipWidth2}, {"PowerSupplyState", &Driver::PowerSupplyState},
            {"BatteryCharge", &Driver::BatteryCharge}, {"NetworkError", &Driver::NetworkError},
            {"OFDError", &Driver::OFDError}, {"FNError", &Driver::FNError}, {"FNFlags", &Driver::FNFlags},
            {"FfdVersion", &Driver::FfdVersion}, {"DeviceFfdVersion", &Driver::DeviceFfdVersion},
            {"FNFfdVersion", &Driver::FNFfdVersion}, {"CommandCode", &Driver::CommandCode},
            {"ErrorCode", &Driver::ErrorCode}, {"EnvdEnabled", &Driver::EnvdEnabled},
            {"EnvdAllowed", &Driver::EnvdAllowed}, {"TaxRateMode", &Driver::TaxRateMode}};
        Q_UNUSED(d);
        return QString::number(intValue(ints.value(name)));
    }
    // A register's whole answer: its result code and what it answers in.
    QString answer(int number, const Selectors &s = Selectors()) const
    {
        QString text = QString::number(getRegister(number, s) < 0 ? code() : 0);
        for (const QString &name : propertiesOf(number))
            text += QLatin1Char(' ') + name + QLatin1Char('=') + property(name);
        return text;
    }
    // Every register of the list but the running clock and uptime.
    QMap<int, QString> snapshot(const Selectors &s = Selectors()) const
    {
        QMap<int, QString> answers;
        for (int number : registerNumbers()) {
            if (number != 17 && number != 67)
                answers.insert(number, answer(number, s));
        }
        return answers;
    }

    // A new register: clock set, serial number, registration, storage.
    bool fiscalise() const
    {
        if (setClock(kMorning) < 0 || mode(5) < 0)
            return false;
        setText(&Driver::SerialNumber, kSerial);
        if (get()->SetSerialNumber() < 0)
            return false;
        setText(&Driver::INN, kInn);
        setText(&Driver::RNM, kRnm);
        setText(&Driver::TaxPassword, QString());
        if (get()->Fiscalization() < 0 || mode(6) < 0)
            return false;
        return get()->Activate() >= 0;
    }
};

// Stages of the day at which the full-day test checks the registers.
struct DayChecks
{
    std::function<void(const DayTill &)> inSale;    // the sale paid, not yet closed
    std::function<void(const DayTill &)> beforeZ;   // after the X-report
};

// The day. Every step must succeed; the checks run where the day stops.
inline bool runDay(DayTill &till, const DayChecks &checks = DayChecks())
{
    const auto ok = [&](int result, const char *step) {
        if (result >= 0)
            return true;
        qWarning("%s: %s", step, qPrintable(till.result()));
        return false;
    };
    if (!ok(till.fiscalise() ? 0 : -1, "fiscalisation") || !ok(till.mode(1), "mode 1"))
        return false;
    till.setText(&Driver::Password, QStringLiteral("1"));
    till.setText(&Driver::Caption, QStringLiteral("Смена Иванова"));
    till->TestMode(0);
    if (!ok(till->OpenSession(), "OpenSession") || !ok(till.cash(true, 1000.00), "CashIncome"))
        return false;

    // Milk at 10 %, bread without VAT, juice at the department's 20 % taken
    // back, coffee at 20 %: 955.30 registered, 80.00 of it in storno.
    if (!ok(till.sell({QStringLiteral("Молоко 3,2%"), 2, 89.90, 1, 2}), "Sell milk")
        || !ok(till.sell({QStringLiteral("Хлеб"), 1, 45.50, 2, 4}), "Sell bread")
        || !ok(till.sell({QStringLiteral("Сок"), 1, 80.00, 1, 0}), "Sell juice")
        || !ok(till.sell({QStringLiteral("Кофе зерновой"), 0.5, 1299.99, 3, 3}), "Sell coffee")
        || !ok(till.storno({QStringLiteral("Сок"), 1, 80.00, 1, 0}), "Storno juice"))
        return false;
    // 10 % off the coffee (65.00, discount 1), 10.30 off the receipt
    // (discount 2): 800.00 to pay, by card 500.00 and cash 500.00.
    if (!ok(till.discount(false, 10, 1, 1, 1), "Discount on the coffee") || !ok(till.discount(false, 10.30, 0, 0, 2), "Discount on the receipt")
        || !ok(till.pay(1, 500.00), "Payment by card") || !ok(till.pay(0, 500.00), "Payment in cash"))
        return false;
    if (checks.inSale)
        checks.inSale(till);
    if (!ok(till.close(0), "CloseCheque"))
        return false;

    till.position({QStringLiteral("Хлеб"), 1, 45.50, 2, 4});
    if (!ok(till->SellReturn(), "SellReturn") || !ok(till.close(0), "CloseCheque (return)")
        || !ok(till.cash(false, 254.50), "CashOutcome"))
        return false;
    if (!ok(till.mode(2), "mode 2") || !ok(till.report(2), "X-report"))
        return false;
    if (checks.beforeZ)
        checks.beforeZ(till);
    return ok(till.mode(3), "mode 3") && ok(till.report(1), "Z-report");
}

} // namespace vregtest
