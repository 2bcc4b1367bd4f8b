#pragma once

// The barcode memory: barcodes stored with every option they were given,
// numbered 1, 2, ... in the order stored; only the last one can be deleted,
// so the numbers stay without gaps. Plain state with a small interface, so
// that the memory can be kept anywhere (entries() and restore() carry all of
// it) without its callers noticing.

#include "core/barcode.h"

#include <QList>

namespace vreg {

class BarcodeMemory
{
public:
    static constexpr int kMaxBarcodes = 100;
    static constexpr int kCapacityBytes = 32768;

    // What a barcode takes: its text and a fixed record of options.
    static int sizeOf(const Barcode &barcode);

    int count() const { return int(m_entries.size()); }
    int freeBytes() const;
    // Whether the barcode would fit; the reason when not.
    bool canStore(const Barcode &barcode, QString *why) const;
    // Stores a barcode that fits; its number.
    int store(const Barcode &barcode);
    // The stored barcode, or null.
    const Barcode *get(int number) const;
    bool removeLast();
    void clear() { m_entries.clear(); }

    QList<Barcode> entries() const { return m_entries; }
    void restore(const QList<Barcode> &entries) { m_entries = entries; }

private:
    QList<Barcode> m_entries;
};

} // namespace vreg
