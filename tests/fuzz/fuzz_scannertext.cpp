// A scanner's bytes as the driver hands them over: any bytes, any length.

#include "callbacks.h"
#include "fuzzsupport.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    const QString text = ScannerEventHandler::scannerText(data, int(size));
    // Shown as printable ASCII only: every other byte becomes " #xx".
    for (const QChar c : text)
        FUZZ_EXPECT(c.unicode() >= 0x20 && c.unicode() <= 0x7f);
    // The handler reads only the bytes it is given.
    std::vector<unsigned char> exact(data, data + size);
    ScannerEventHandler handler;
    handler.on_data_event(exact.data(), int(exact.size()));
    return 0;
}
