#include "fptrfactory.h"

#include "appcore.h"
#include "journalingdriver.h"
#include "zeruzuva.h"

#include <QDir>
#include <QCoreApplication>

namespace {

const char *const InterfaceName = "Fptr";

} // namespace

FptrFactory::FptrFactory()
{
    // Without an application object there is no application directory to
    // look in (and no event loop a driver could rely on).
    if (!QCoreApplication::instance())
        return;
    m_fiscalPrinter.reset(new Library(QDir::cleanPath(appDir() + QStringLiteral("/fptr")), QLatin1String(InterfaceName)));
    m_fiscalPrinter->load();
    m_receiptPrinter.reset(new Library(QDir::cleanPath(appDir() + QStringLiteral("/rcpprn")), QLatin1String(InterfaceName)));
    m_receiptPrinter->load();
}

FptrFactory::~FptrFactory()
{
    m_receiptPrinter.reset();
    m_fiscalPrinter.reset();
}

std::unique_ptr<FptrFactory::Library> &FptrFactory::library(PrinterDevice kind)
{
    return kind == ReceiptPrinter ? m_receiptPrinter : m_fiscalPrinter;
}

const FptrFactory::Library *FptrFactory::library(PrinterDevice kind) const
{
    switch (kind) {
    case FiscalPrinter:
        return m_fiscalPrinter.get();
    case ReceiptPrinter:
        return m_receiptPrinter.get();
    }
    return nullptr;
}

bool FptrFactory::isReady(PrinterDevice kind) const
{
    const Library *lib = library(kind);
    return lib && lib->isReady();
}

QString FptrFactory::lastError(PrinterDevice kind) const
{
    const Library *lib = library(kind);
    return lib ? lib->errorString() : QString();
}

ZEruZuva *FptrFactory::create(PrinterDevice kind)
{
    if (!isReady(kind))
        return nullptr;
    const Library *lib = static_cast<const FptrFactory *>(this)->library(kind);
    VOR::Fptr::IFptr *driver = lib->createEntry()(VOR_FPTR_INTERFACE_VERSION);
    if (!driver)
        return new ZEruZuva(nullptr);
    // Every object the bench uses is journaled: the journal stands between
    // the bench and the driver from the first call on.
    CallJournal &journal = CallJournal::global();
    return new ZEruZuva(new JournalingDriver(driver, journal, journal.addDevice(kind, lib->fileName())));
}

void FptrFactory::release(PrinterDevice kind, ZEruZuva **wrapper)
{
    if (!wrapper || !*wrapper)
        return;
    VOR::Fptr::IFptr *driver = (*wrapper)->ted();
    if (!driver)
        throw DeviceNotFoundException();
    // The library gets back the object it made; the journaling one is ours.
    JournalingDriver *journaling = JournalingDriver::find(driver);
    if (journaling)
        driver = journaling->inner();
    if (isReady(kind))
        library(kind)->releaseEntry()(&driver);
    delete journaling;
    delete *wrapper;
    *wrapper = nullptr;
}

bool FptrFactory::load(PrinterDevice kind, const QString &fileName)
{
    if (kind != FiscalPrinter && kind != ReceiptPrinter)
        return false;
    std::unique_ptr<Library> &slot = library(kind);
    slot.reset(new Library(fileName, QLatin1String(InterfaceName)));
    return slot->load();
}
