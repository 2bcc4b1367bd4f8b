// Any bytes as the register's memory file (memory.db). Input: a kind byte
// (bit 0: receipt printer), then the file.

#include "vregfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static fuzz::Folders folders;
    const QString folder = fuzz::folderWithFile(folders, QStringLiteral("memory.db"), data, size);
    if (!folder.isEmpty())
        fuzz::connectAndLook(data[0] & 1, folder);
    return 0;
}
