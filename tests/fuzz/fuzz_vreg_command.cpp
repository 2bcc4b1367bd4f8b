// Raw protocol commands (RunCommand) and port data (WriteData) in the
// driver's byte notation, any text, to a connected register. Input: a flag
// byte (bit 0: WriteData instead; bit 1: no answer awaited; bit 2: in the
// cashier's mode), then CommandBuffer (UTF-8).

#include "vregfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static fuzz::Folders folders;
    static vregtest::DayTill *till = [] {
        auto *created = new vregtest::DayTill(fuzz::vregLibrary(false));
        if (!created->open({QStringLiteral("DataDir"), folders.fresh()}))
            qFatal("the register does not connect: %s", qPrintable(created->result()));
        return created;
    }();
    if (size < 1)
        return 0;
    const uint8_t flags = data[0];
    till->mode(flags & 4 ? 1 : 0);
    (*till)->NeedResultFlag(flags & 2 ? 0 : 1);
    (*till)->TimeoutACK(100);
    (*till)->TimeoutENQ(100);
    (*till)->PortNumber(1 + (flags >> 4) % 4);
    till->setText(&vregtest::Driver::CommandBuffer, fuzz::utf8(data + 1, size - 1));
    const int result = flags & 1 ? (*till)->WriteData() : (*till)->RunCommand();
    // A failure always says why.
    if (result < 0)
        FUZZ_EXPECT(till->code() < 0 && !till->resultDescription().isEmpty());
    till->text(&vregtest::Driver::AnswerBuffer);
    return 0;
}
