#pragma once

// Loads the two driver libraries (one per device kind) and creates and
// releases driver objects through their entry points. The device list derives
// from it, so the libraries live exactly as long as the devices made by them.

#include "dtolibrary.h"
#include "ifptr.h"

#include <QString>

#include <memory>

class ZEruZuva;

class FptrFactory
{
public:
    // Stored as a number in the settings file, so any int may come back: the
    // fixed underlying type keeps out-of-range values well defined (they are
    // simply unknown kinds).
    enum PrinterDevice : int {
        FiscalPrinter = 0,
        ReceiptPrinter = 1
    };

    typedef DTOLibrary<VOR::Fptr::IFptr> Library;

    // Loads both libraries from the application directory (only when an
    // application object exists). A failing library does not stop anything:
    // isReady() and lastError() tell about it later.
    FptrFactory();
    virtual ~FptrFactory();

    FptrFactory(const FptrFactory &) = delete;
    FptrFactory &operator=(const FptrFactory &) = delete;

    // The kind's library is loaded and exports both entry points.
    bool isReady(PrinterDevice kind) const;
    // The toolkit's error text for the kind's library; empty for an unknown kind.
    QString lastError(PrinterDevice kind) const;

    // A new wrapper owned by the caller, or null when the kind is unknown or
    // its library is not ready. The driver object is wrapped in a journaling
    // one (journalingdriver.h) writing into CallJournal::global(). A driver
    // refusing to create an object still gives a wrapper: it holds no object
    // and raises DeviceNotFoundException on use.
    ZEruZuva *create(PrinterDevice kind);
    // Hands the wrapper's driver object back to the kind's library, deletes
    // the wrapper and nulls the pointer. A wrapper without driver object
    // raises DeviceNotFoundException and stays. With an unknown kind or a
    // library that is not ready the object cannot be handed back and is
    // abandoned. A null pointer (or one to null) does nothing.
    void release(PrinterDevice kind, ZEruZuva **wrapper);

    // Replaces the kind's library by the given file (unloading the old one,
    // so every object made by it must have been released). False for an
    // unknown kind or a library that is not usable.
    bool load(PrinterDevice kind, const QString &fileName);

private:
    std::unique_ptr<Library> &library(PrinterDevice kind);
    const Library *library(PrinterDevice kind) const;

    std::unique_ptr<Library> m_fiscalPrinter;
    std::unique_ptr<Library> m_receiptPrinter;
};
