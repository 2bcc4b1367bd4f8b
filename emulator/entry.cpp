// The library's entry points. The same sources build both libraries; the
// build gives each its device kind (VREG_RECEIPT_PRINTER for the receipt
// printer).

#include "core/driverobject.h"

#define VREG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

#ifdef VREG_RECEIPT_PRINTER
constexpr vreg::DeviceKind kKind = vreg::DeviceKind::ReceiptPrinter;
#else
constexpr vreg::DeviceKind kKind = vreg::DeviceKind::FiscalRegister;
#endif

} // namespace

// Every interface version the bench may ask for gets the one interface this
// library has; the argument is kept for the contract's sake.
VREG_EXPORT VOR::Fptr::IFptr *CreateFptrInterface(int version)
{
    Q_UNUSED(version);
    try {
        return new vreg::DriverObject(kKind);
    } catch (...) {
        // No exception may cross the C boundary; no object is the answer.
        return nullptr;
    }
}

VREG_EXPORT int ReleaseFptrInterface(VOR::Fptr::IFptr **object)
{
    if (!object)
        return -1;
    delete *object;
    *object = nullptr;
    return 0;
}
