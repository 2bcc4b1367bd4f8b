// Any bytes as the JSON memory of an earlier version (state.json) in an
// otherwise empty data folder, imported when a register connects. Input: a
// kind byte (bit 0: receipt printer), then the file.

#include "vregfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static fuzz::Folders folders;
    const QString folder = fuzz::folderWithFile(folders, QStringLiteral("state.json"), data, size);
    // Once connected, read once: imported or set aside, never left to be
    // read again.
    if (!folder.isEmpty() && fuzz::connectAndLook(data[0] & 1, folder))
        FUZZ_EXPECT(!QFile::exists(folder + QStringLiteral("/state.json")));
    return 0;
}
