#pragma once

// Shifts, receipts and cash: OpenSession, OpenCheque, the ten position
// actions, Storno, discounts and charges, taxes, payments, CloseCheque,
// CancelCheque, CashIncome, CashOutcome, GetSumm. Keeps the shift part of
// the fiscal memory (shifts, counters, cash, the open receipt) in the state
// section "receipts".

#include "core/module.h"
#include "modules/fiscalcore.h"

#include <memory>

namespace vreg {

class ReceiptsModule : public Module
{
public:
    ReceiptsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("receipts"); }
    void resetState() override;
    bool load(Database &db, QString *error) override;
    bool store(Database &db) override;
    bool loadState(const QJsonObject &section, QString *error) override;
    void reloaded() override;
    int connected() override;

private:
    // Which position properties the bench writes before the action.
    enum class PositionSet {
        Full,       // Sell, SellReturn, Buy, BuyReturn
        Annulment,  // SellAnnulate, BuyAnnulate: TestMode, CheckSumm, TextWrap, Name, Quantity, Price, Department
        Correction, // the four corrections: Full without PrintCheck, Piece, UseOnlyTaxNumber
    };
    struct Chunk
    {
        QStringList lines;
        bool cut = false;
    };

    int openSession();
    int openCheque();
    int registerPosition(int receiptType, PositionSet set, const char *action);
    int storno();
    int adjust(bool charge, const char *action);
    int resetChargeDiscount();
    int tax();
    int stornoTax();
    int payment();
    int stornoPayment();
    int closeCheque();
    int cancelCheque();
    int cash(bool income, const char *action);
    int getSumm();

    // A receipt of the type can be continued or opened now.
    int checkReceiptOfType(int receiptType, const char *action);
    // A new shift could be opened, or the open one is still usable.
    int checkShiftUsable(const char *action);
    // Opens the shift when closed and a receipt of the type; queues what to print.
    void openReceipt(int receiptType, bool printed, QList<Chunk> *chunks);
    int checkPositionsMayChange(const char *action);
    int departmentTax(int department) const;
    QStringList positionLines(const Position &position, int wrap) const;
    QStringList adjustmentLines(const Adjustment &adjustment, bool cancel) const;
    QStringList closingLines(const Receipt &receipt) const;
    void countReceipt(const Receipt &receipt, Money change);
    // Commits the memory, refreshes the status properties and prints.
    int finish(const QList<Chunk> &chunks);
    int commitDraft(Receipt draft, const QStringList &lines);

    std::shared_ptr<FiscalCore> m_core;
};

} // namespace vreg
