// The register's settings as the bench hands them back from its settings
// file (DeviceSettings, any text) and one by one (WriteSetting, any name
// and value). Input: a kind byte (bit 0: receipt printer; bit 1: write the
// text as one setting, named by what precedes a zero byte), then the text.
// Nothing is connected, so no folder a hostile DataDir names is touched.

#include "vregfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    if (size < 1)
        return 0;
    const bool receiptPrinter = data[0] & 1;
    vregtest::Device device(fuzz::vregLibrary(receiptPrinter));
    if (!device.get())
        qFatal("no driver object");
    const QByteArray input = fuzz::bytes(data + 1, size - 1);
    if (data[0] & 2) {
        const auto parts = fuzz::splitAtZero(input);
        device.write(QString::fromUtf8(parts.first), QString::fromUtf8(parts.second));
        device.description(QString::fromUtf8(parts.first));
        device.setting(QString::fromUtf8(parts.first));
        device->ApplySettings();
        return 0;
    }
    const QString before = device.text(&vregtest::Driver::DeviceSettings);
    if (device.setText(&vregtest::Driver::DeviceSettings, QString::fromUtf8(input)) < 0) {
        // All or nothing: a refused string changes no setting.
        FUZZ_EXPECT(device.text(&vregtest::Driver::DeviceSettings) == before);
        return 0;
    }
    // What was taken reads back as a string that is taken again unchanged.
    const QString taken = device.text(&vregtest::Driver::DeviceSettings);
    vregtest::Device again(fuzz::vregLibrary(receiptPrinter));
    FUZZ_EXPECT(again.setText(&vregtest::Driver::DeviceSettings, taken) >= 0);
    FUZZ_EXPECT(again.text(&vregtest::Driver::DeviceSettings) == taken);
    return 0;
}
