// Paths on the register's SD card (DirectoryPath, FileName), any text, with
// links on the card that lead out of it. Whatever the path, nothing outside
// the card is created, read or changed.
//
// Input: an operation byte (list a folder, open a file for reading, create
// and write one, remove one), then the path (UTF-8).

#include "vregfuzz.h"

#include <unistd.h>

namespace {

const QByteArray kSecret = "outside the card\n";

struct Card
{
    fuzz::Folders folders;
    QString data = folders.fresh();
    QString outside = folders.path(QStringLiteral("outside"));
    vregtest::DayTill till{fuzz::vregLibrary(false)};

    Card()
    {
        QDir().mkpath(outside);
        fuzz::writeFile(outside + QStringLiteral("/secret.txt"), kSecret);
        if (!till.open({QStringLiteral("DataDir"), data}))
            qFatal("the register does not connect: %s", qPrintable(till.result()));
    }

    // The card as a careless user might have left it: files, folders, and
    // links to the outside, to the data folder and to the card itself.
    void lay()
    {
        const QString sd = data + QStringLiteral("/sd");
        QDir(sd).removeRecursively();
        QDir().mkpath(sd + QStringLiteral("/docs/old"));
        fuzz::writeFile(sd + QStringLiteral("/readme.txt"), "card\n");
        fuzz::writeFile(sd + QStringLiteral("/docs/a.txt"), "a\n");
        const auto link = [](const QString &target, const QString &at) {
            if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()) != 0)
                qFatal("cannot link %s", qPrintable(at));
        };
        link(outside, sd + QStringLiteral("/out"));
        link(outside + QStringLiteral("/secret.txt"), sd + QStringLiteral("/docs/secret.txt"));
        link(QStringLiteral("../.."), sd + QStringLiteral("/docs/up"));
        link(QStringLiteral("."), sd + QStringLiteral("/docs/old/self"));
        link(outside + QStringLiteral("/missing.txt"), sd + QStringLiteral("/dangling.txt"));
    }

    void checkOutside() const
    {
        QDir dir(outside);
        FUZZ_EXPECT(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
                    == QStringList{QStringLiteral("secret.txt")});
        QFile secret(outside + QStringLiteral("/secret.txt"));
        FUZZ_EXPECT(secret.open(QIODevice::ReadOnly) && secret.readAll() == kSecret);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static Card *card = new Card;
    if (size < 1)
        return 0;
    card->lay();
    vregtest::DayTill &till = card->till;
    const QString path = fuzz::utf8(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        till.setText(&vregtest::Driver::DirectoryPath, path);
        if (till->OpenDirectory() >= 0) {
            for (int i = 0; i < 64 && till->ReadDirectory() >= 0; ++i) {
                // Nothing the listing shows leads out: links are not listed.
                const QString name = till.text(&vregtest::Driver::FileName);
                FUZZ_EXPECT(name != QLatin1String("out") && name != QLatin1String("up"));
            }
            till->CloseDirectory();
        }
        break;
    case 1:
        till.setText(&vregtest::Driver::FileName, path);
        till->FileOpenType(0);
        till->FileOpenMode(0);
        if (till->OpenFile() >= 0) {
            till->FileOffset(0);
            till->FileReadSize(64);
            if (till->ReadFile() >= 0) {
                const QString read = till.text(&vregtest::Driver::Caption).toUpper().remove(QLatin1Char(' '));
                FUZZ_EXPECT(!read.contains(QLatin1String("OUTSIDE")) && !read.contains(QLatin1String("6F757473696465")));
            }
            till->CloseFile();
        }
        break;
    case 2:
        till.setText(&vregtest::Driver::FileName, path);
        till->FileOpenType(1);
        till->FileOpenMode(1);
        if (till->OpenFile() >= 0) {
            till->FileOffset(0);
            till.setText(&vregtest::Driver::Caption, QStringLiteral("78 79"));
            till->WriteFile();
            till->CloseFile();
        }
        break;
    default:
        till.setText(&vregtest::Driver::FileName, path);
        till->RemoveFile();
        break;
    }
    card->checkOutside();
    return 0;
}
