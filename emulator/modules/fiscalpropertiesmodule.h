#pragma once

// Fiscal properties: tagged values attached to the next position
// (AddFiscalProperty), to the open receipt or the next one
// (WriteFiscalProperty), cleared (ResetFiscalProperties), and read back from
// the last fiscal document (ReadFiscalProperty). The pending values are kept
// with the receipts' part of the fiscal memory.

#include "core/module.h"
#include "modules/fiscalcore.h"

#include <memory>

namespace vreg {

class FiscalPropertiesModule : public Module
{
public:
    FiscalPropertiesModule(DeviceContext &device, std::shared_ptr<FiscalCore> core);
    void registerActions(ActionRegistry &registry) override;

    // Checks a value against its type (0 hexadecimal bytes, 1 0..255,
    // 2 0..65535, 3 0..4294967295, 4 Unix time, 5 text up to 256
    // characters) and gives it in its stored form; false with a reason.
    static bool normalise(int type, const QString &value, QString *stored, QString *reason);
    // A stored value of one type in the form of another; false when it
    // cannot be given so.
    static bool convert(int fromType, const QString &value, int toType, QString *converted);
    // Tag 1008: an e-mail address or a phone number.
    static bool isBuyerAddress(const QString &value);

private:
    int addProperty();
    int resetProperties();
    int writeProperty();
    int readProperty();
    // The tag from the FiscalProperty* properties; 0 or the failure.
    int tagFromProperties(const char *action, bool userTagAllowed, FiscalTag *tag);

    std::shared_ptr<FiscalCore> m_core;
};

} // namespace vreg
