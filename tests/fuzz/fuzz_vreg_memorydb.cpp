// Any bytes as the register's memory file (memory.db). Input: a kind byte
// (bit 0: receipt printer), then the file.

#include "vregfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static fuzz::Folders folders;
    if (size < 1)
        return 0;
    const QString folder = folders.fresh();
    fuzz::writeFile(folder + QStringLiteral("/memory.db"), fuzz::bytes(data + 1, size - 1));
    fuzz::connectAndLook(data[0] & 1, folder);
    return 0;
}
