// A picture as the device describes it: its width and height and its text of
// eight hex digits a pixel, read by the window into the picture buffer.
// Input: a flag byte, width and height (16 bits each, signed), the text
// (Latin-1, so every byte is one character). With bit 0 of the flag the
// height is taken from the text's length instead, so the decoding itself is
// reached often.

#include "fuzzsupport.h"
#include "windowfixture.h"

#include <QLabel>

namespace {

qint16 int16At(const uint8_t *data)
{
    return qint16(quint16(data[0]) | quint16(data[1]) << 8);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static WindowFixture *fx = new WindowFixture;
    if (size < 5)
        return 0;
    const uint8_t flags = data[0];
    int width = int16At(data + 1);
    int height = int16At(data + 3);
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data + 5), qsizetype(size - 5));
    if ((flags & 1) && width > 0)
        height = int(text.size() / (qsizetype(width) * 8));

    fx->driver.set(QStringLiteral("Width"), width);
    fx->driver.set(QStringLiteral("Height"), height);
    fx->driver.set(QStringLiteral("Caption"), text);
    fx->click("pbtnSavePictureToBuffer");
    const QPixmap shown = fx->widget<QLabel>("lePicture")->pixmap();
    // The buffer never holds more than its side in either direction.
    FUZZ_EXPECT(shown.width() <= 150 && shown.height() <= 150);
    fx->driver.clearLog();
    return 0;
}
