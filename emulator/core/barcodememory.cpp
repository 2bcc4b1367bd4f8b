#include "core/barcodememory.h"

namespace vreg {

namespace {
constexpr int kOptionBytes = 32;
}

int BarcodeMemory::sizeOf(const Barcode &barcode)
{
    return int(barcode.text.toUtf8().size()) + kOptionBytes;
}

int BarcodeMemory::freeBytes() const
{
    int used = 0;
    for (const Barcode &barcode : m_entries)
        used += sizeOf(barcode);
    return qMax(0, kCapacityBytes - used);
}

bool BarcodeMemory::canStore(const Barcode &barcode, QString *why) const
{
    if (count() >= kMaxBarcodes) {
        *why = QStringLiteral("в памяти уже %1 штрихкодов, больше не помещается").arg(kMaxBarcodes);
        return false;
    }
    const int needed = sizeOf(barcode);
    if (needed > freeBytes()) {
        *why = QStringLiteral("штрихкоду нужно %1 байт, свободно %2").arg(needed).arg(freeBytes());
        return false;
    }
    return true;
}

int BarcodeMemory::store(const Barcode &barcode)
{
    m_entries.append(barcode);
    return count();
}

const Barcode *BarcodeMemory::get(int number) const
{
    if (number < 1 || number > count())
        return nullptr;
    return &m_entries[number - 1];
}

bool BarcodeMemory::removeLast()
{
    if (m_entries.isEmpty())
        return false;
    m_entries.removeLast();
    return true;
}

} // namespace vreg
