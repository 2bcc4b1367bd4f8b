#pragma once

// Barcodes: PrintBarcode (printed at once, or kept with deferred printing),
// the barcode memory (PrintBarcodeByNumber, GetBarcode, DeleteBarcode,
// ClearBarcodeArray, GetBarcodeArrayStatus) and the barcode mark of printed
// texts (0x0B n 0x0B; 0 is the last barcode given to PrintBarcode). Every
// barcode is checked whole (text, check digit, options, room on the paper)
// before anything is printed or stored. Provides barcodeLines.

#include "core/barcodememory.h"
#include "core/module.h"

#include <optional>

namespace vreg {

class BarcodesModule : public Module
{
public:
    explicit BarcodesModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("barcodes"); }
    void resetState() override;
    const char *schema() const override;
    bool load(Database &db, QString *error) override;
    bool store(Database &db) override;

private:
    int printBarcode();
    int printByNumber();
    int getBarcode();
    int deleteBarcode();
    int clearBarcodes();
    int arrayStatus();

    // The barcode the properties describe (options of other types left out).
    Barcode fromProperties() const;
    // The tape lines of a barcode; false after recording the failure.
    bool linesOf(const Barcode &barcode, QStringList *lines);
    int lines(int number, QStringList *out);

    BarcodeMemory m_memory;
    QList<Barcode> m_stored; // as the database holds them
    std::optional<Barcode> m_dynamic;
};

} // namespace vreg
