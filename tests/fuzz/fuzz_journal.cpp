// Any bytes as a saved call journal, as the journal panel and the replay
// tool open it. What parses must survive being shown, written as code and
// written back: the written file parses to the same calls.

#include "fuzzsupport.h"
#include "journalformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    JournalFormat::Parsed parsed;
    JournalFormat::ParseError error;
    if (!JournalFormat::parse(content, &parsed, &error)) {
        FUZZ_EXPECT(error.line >= 1 && !error.message.isEmpty());
        (void)error.toString();
        return 0;
    }
    FUZZ_EXPECT(parsed.callLines.size() == parsed.calls.size());
    for (const Journal::Call &call : parsed.calls) {
        (void)JournalFormat::valueText(call);
        (void)JournalFormat::timeText(call);
        (void)JournalFormat::operationText(call);
    }
    (void)JournalFormat::codeFragment(parsed.calls);

    const QByteArray written = JournalFormat::document(parsed.devices, parsed.calls);
    JournalFormat::Parsed again;
    FUZZ_EXPECT(JournalFormat::parse(written, &again, &error));
    FUZZ_EXPECT(again.ended && again.calls.size() == parsed.calls.size());
    for (size_t i = 0; i < again.calls.size(); ++i) {
        const Journal::Call &a = parsed.calls[i];
        const Journal::Call &b = again.calls[i];
        FUZZ_EXPECT(a.op == b.op && a.result == b.result && a.deviceId == b.deviceId);
        FUZZ_EXPECT(JournalFormat::valueText(a) == JournalFormat::valueText(b));
    }
    return 0;
}
