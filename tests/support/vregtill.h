#pragma once

// The virtual register the way a cashier drives it, for the conformance
// tests that run receipts and whole days through the driver interface.

#include "vregclient.h"

#include <QDateTime>

namespace vregtest {

// A position as the bench writes it (the full set, in its order).
struct Item
{
    QString name;
    double quantity = 1;
    double price = 0;
    int department = 0;
    int tax = 0;
    double positionSum = 0;
};

class Till : public Device
{
public:
    using Device::Device;

    bool open(const QStringList &more = QStringList())
    {
        return connect(QStringList{QStringLiteral("PrintSpeed"), QStringLiteral("0")} + more);
    }
    // Enters a mode: cashier 1, or the administrator for Z-reports and the
    // fiscal memory.
    int mode(int mode) const { return enterMode(mode, mode >= 3 ? QStringLiteral("29") : QStringLiteral("1")); }
    int setClock(const QDateTime &time) const
    {
        get()->Date(time.date().day(), time.date().month(), time.date().year());
        get()->Time(time.time().hour(), time.time().minute(), time.time().second());
        return get()->SetDate();
    }

    void position(const Item &item, int testMode = 0, int checkSumm = 0) const
    {
        Driver *d = get();
        d->TestMode(testMode);
        d->PrintCheck(1);
        d->CheckSumm(checkSumm);
        d->TextWrap(1);
        setText(&Driver::Name, item.name);
        d->Quantity(item.quantity);
        d->Price(item.price);
        d->Department(item.department);
        d->TaxNumber(item.tax);
        d->TaxSum(0);
        d->TaxMode(0);
        d->PositionType(1);
        d->PositionPaymentType(4);
        setText(&Driver::PositionClassifier, QString());
        d->PositionSum(item.positionSum);
        d->Summ(0.0);
        d->Piece(0);
        d->UseOnlyTaxNumber(0);
    }
    int sell(const Item &item, int testMode = 0) const
    {
        position(item, testMode);
        return get()->Sell();
    }
    int storno(const Item &item) const
    {
        position(item);
        return get()->Storno();
    }
    int pay(int type, double sum, int testMode = 0) const
    {
        get()->TestMode(testMode);
        get()->Summ(sum);
        get()->PaymentType(type);
        return get()->Payment();
    }
    int close(int type = 0) const
    {
        get()->PaymentType(type);
        get()->TestMode(0);
        return get()->CloseCheque();
    }
    int discount(bool charge, double value, int type, int destination, int number = 0) const
    {
        get()->TestMode(0);
        get()->Summ(value);
        get()->DiscountType(type);
        get()->Destination(destination);
        get()->DiscountNumber(number);
        return charge ? get()->Charge() : get()->Discount();
    }
    int cash(bool income, double sum, int testMode = 0) const
    {
        get()->Summ(sum);
        get()->TestMode(testMode);
        return income ? get()->CashIncome() : get()->CashOutcome();
    }
    int report(int type) const
    {
        get()->ReportType(type);
        return get()->Report();
    }
    double drawer() const
    {
        get()->GetSumm();
        return doubleValue(&Driver::Summ);
    }
    double summ() const { return doubleValue(&Driver::Summ); }
    int chequeState() const { return intValue(&Driver::ChequeState); }
};

} // namespace vregtest
