#pragma once

// Action dispatch. Each subject module registers the handlers of the actions
// it models, under the subject they belong to; the device runs an action
// through this table. An action nobody registered is not supported, and a
// subject the device kind lacks (a receipt printer has no fiscal storage) is
// refused the same way, so nothing ever succeeds without being modelled.

#include "core/properties.h"

#include <QString>

#include <functional>
#include <vector>

namespace vreg {

enum class DeviceKind {
    FiscalRegister, // the fiscal-register library
    ReceiptPrinter, // the receipt-printer library
};

// What an action is about.
enum class Subject {
    Settings,      // settings and the settings dialog: available while disconnected
    Status,        // device status
    Printing,      // text, formatted text, documents, paper cuts
    Barcodes,      // barcode printing and barcode memory
    Pictures,      // picture printing and picture memory
    Drawer,        // the cash drawer
    Sound,         // the buzzer
    Modes,         // modes and passwords
    Receipts,      // shifts, receipts, positions, payments, discounts, cash
    FiscalData,    // fiscal properties (tagged values)
    Registers,     // counters and registers
    Reports,       // printed reports and data reports
    Tables,        // values, captions, table fields
    Clock,         // the device clock
    FiscalStorage, // fiscal storage, fiscalisation, journal module
    LowLevel,      // raw commands and data
    Service,       // resets, versions, power, decimal point, connector test
    Modem,
    WiFi,
    PinPad,
    Scanner,
    SdCard,
};

// Whether a device of the kind has the subject at all.
bool kindOffers(DeviceKind kind, Subject subject);
// Whether the subject's actions need the connection (DeviceEnabled 1).
bool needsConnection(Subject subject);

// A handler runs with the result already reset to success; it returns the
// action's result (negative after recording a failure).
using ActionHandler = std::function<int()>;

class ActionRegistry
{
public:
    struct Entry
    {
        Subject subject = Subject::Settings;
        ActionHandler handler;
    };

    ActionRegistry();

    // Registers the handler of an action; a later registration of the same
    // action replaces the earlier one.
    void add(Action action, Subject subject, ActionHandler handler);
    // The registered entry, or null.
    const Entry *find(Action action) const;

private:
    std::vector<Entry> m_entries; // indexed by Action; an empty handler = none
};

} // namespace vreg
