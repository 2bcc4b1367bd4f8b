// Commands to the fiscal storage (RunFNCommand) in the driver's byte
// notation, any text, to a register after a whole day (so documents can be
// asked for by number). Input: CommandBuffer (UTF-8).

#include "vregfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static fuzz::Folders folders;
    static vregtest::DayTill *till = [] {
        auto *created = new vregtest::DayTill(fuzz::vregLibrary(false));
        if (!created->open({QStringLiteral("DataDir"), folders.fresh()}) || !vregtest::runDay(*created))
            qFatal("the day did not run: %s", qPrintable(created->result()));
        return created;
    }();
    till->setText(&vregtest::Driver::CommandBuffer, fuzz::utf8(data, size));
    if ((*till)->RunFNCommand() < 0)
        FUZZ_EXPECT(till->code() < 0 && !till->resultDescription().isEmpty());
    else
        FUZZ_EXPECT(!till->text(&vregtest::Driver::AnswerBuffer).isEmpty());
    return 0;
}
