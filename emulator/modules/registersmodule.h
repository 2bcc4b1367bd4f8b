#pragma once

// The register's registers: GetRegister answers RegisterNumber (the
// bench's list: 1 to 70 without 37, 49, 50, 62, 64, 68 and 69) from the
// fiscal memory, the printer's life counters, the tables and the clock. A
// register reads only the selectors that concern it (ChequeType,
// PaymentType, OperationType, CounterType, TaxNumber, DiscountNumber,
// Department, CounterValue, StepCounterType, PowerSupplyType,
// CounterDimension) and fills only the result properties that make its
// answer. Keeps no memory of its own.

#include "core/module.h"
#include "modules/fiscalcore.h"

#include <QElapsedTimer>

#include <functional>
#include <map>
#include <memory>

namespace vreg {

class RegistersModule : public Module
{
public:
    RegistersModule(DeviceContext &device, std::shared_ptr<FiscalCore> core);
    void registerActions(ActionRegistry &registry) override;

    int connected() override;
    void disconnected() override;

private:
    int getRegister();

    // ---- selectors: true with the value, or false after recording why not
    bool selector(const char *property, int value, int min, int max, const QString &meaning);
    bool receiptType(int *type);          // ChequeType 1..10
    bool operationReceiptType(int *type); // OperationType 0..7, as a receipt type
    bool paymentType(int *type);          // PaymentType 0..9
    bool taxNumber(int *number);          // TaxNumber 0 (all) .. 6
    bool discountNumber(int *number);     // DiscountNumber 0 (all) .. 16
    bool department(int *number);         // Department 0 (all) .. 16
    // CounterType 1: the permanent counters, 2: those of the shift.
    bool counters(const Counters **counters);
    // A printer counter in the chosen CounterDimension (7 or 9 BCD digits).
    bool dimensioned(qint64 value, int *count);

    // ---- what several registers share
    const FiscalRecords &records() const { return m_core->records(); }
    // The receipts of the open shift, from the archive.
    QList<FiscalDocument> shiftReceipts() const;
    int currentShift() const; // the open shift, else the last closed one
    void setDateTime(const QDateTime &time, QDate *date, QTime *time_);
    int failNoShift(int registerNumber);

    std::shared_ptr<FiscalCore> m_core;
    std::map<int, std::function<int()>> m_registers;
    QElapsedTimer m_poweredOn;
};

} // namespace vreg
