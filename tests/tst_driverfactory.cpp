#include "appcore.h"
#include "fptrfactory.h"
#include "journalingdriver.h"
#include "recordingdriver.h"
#include "testmain.h"
#include "zeruzuva.h"

#include <QLibrary>
#include <QRegularExpression>

#include <memory>

using VOR::Fptr::IFptr;

namespace {

QString fakePath(const char *variant)
{
    return appDir() + QStringLiteral("fakedriver_") + QLatin1String(variant);
}

// The controls of one stand-in library, reached like its entry points. The
// file is opened under its full name, not the base path the factory uses, so
// it gets a handle of its own that stays open whatever the factory unloads.
struct FakeControls
{
    QLibrary library;
    void (*setNextObject)(IFptr *) = nullptr;
    int (*createCalls)() = nullptr;
    int (*lastVersion)() = nullptr;
    int (*releaseCalls)() = nullptr;
    IFptr *(*lastReleased)() = nullptr;
    void (*reset)() = nullptr;

    explicit FakeControls(const char *variant)
        : library(appDir() + QStringLiteral("libfakedriver_") + QLatin1String(variant) + QStringLiteral(".so"))
    {
    }

    template <class F>
    void get(F &function, const char *name)
    {
        function = reinterpret_cast<F>(library.resolve(name));
    }

    bool open()
    {
        if (!library.load())
            return false;
        get(setNextObject, "fakeDriverSetNextObject");
        get(createCalls, "fakeDriverCreateCalls");
        get(lastVersion, "fakeDriverLastVersion");
        get(releaseCalls, "fakeDriverReleaseCalls");
        get(lastReleased, "fakeDriverLastReleased");
        get(reset, "fakeDriverReset");
        return setNextObject && createCalls && lastVersion && releaseCalls && lastReleased && reset;
    }
};

const auto Fiscal = FptrFactory::FiscalPrinter;
const auto Receipt = FptrFactory::ReceiptPrinter;

} // namespace

class TestDriverFactory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void createAndRelease();
    void createReturningNull();
    void createOnlyLibraryIsNotReady();
    void missingLibrary();
    void unknownKind();
    void twoFactoriesShareOneFile();

private:
    FakeControls m_full{"full"};
    FakeControls m_createOnly{"createonly"};
};

void TestDriverFactory::initTestCase()
{
    QVERIFY2(m_full.open(), qPrintable(m_full.library.errorString()));
    QVERIFY2(m_createOnly.open(), qPrintable(m_createOnly.library.errorString()));
}

void TestDriverFactory::init()
{
    m_full.reset();
    m_createOnly.reset();
}

void TestDriverFactory::createAndRelease()
{
    RecordingDriver driver;
    FptrFactory factory;
    QVERIFY(factory.load(Receipt, fakePath("full")));
    QVERIFY(factory.isReady(Receipt));

    m_full.setNextObject(&driver);
    ZEruZuva *wrapper = factory.create(Receipt);
    QVERIFY(wrapper);
    // The bench gets the driver's object behind a journaling one.
    JournalingDriver *journaling = JournalingDriver::find(wrapper->ted());
    QVERIFY(journaling);
    QCOMPARE(journaling->inner(), &driver);
    QCOMPARE(m_full.lastVersion(), 15);

    factory.release(Receipt, &wrapper);
    QVERIFY(!wrapper);
    QCOMPARE(m_full.releaseCalls(), 1);
    QCOMPARE(m_full.lastReleased(), &driver);
}

void TestDriverFactory::createReturningNull()
{
    FptrFactory factory;
    QVERIFY(factory.load(Fiscal, fakePath("full")));
    ZEruZuva *wrapper = factory.create(Fiscal);
    QVERIFY(wrapper);
    QCOMPARE(m_full.createCalls(), 1);
    QVERIFY(!wrapper->ted());
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, wrapper->getInt(&IFptr::DeviceEnabled));
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, wrapper->raiseError(-1));

    // Nothing to hand back: the wrapper stays with the caller.
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, factory.release(Fiscal, &wrapper));
    QVERIFY(wrapper);
    QCOMPARE(m_full.releaseCalls(), 0);
    delete wrapper;
}

void TestDriverFactory::createOnlyLibraryIsNotReady()
{
    FptrFactory factory;
    QVERIFY(!factory.load(Fiscal, fakePath("createonly")));
    QVERIFY(!factory.isReady(Fiscal));
    QVERIFY(!factory.create(Fiscal));
    QCOMPARE(m_createOnly.createCalls(), 0);
}

void TestDriverFactory::missingLibrary()
{
    FptrFactory factory;
    QVERIFY(factory.load(Fiscal, fakePath("full")));
    const QString missing = appDir() + QStringLiteral("nosuchdriver");
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(QStringLiteral("^<%1> load error \\[.+\\]$")
                                                .arg(QRegularExpression::escape(missing))));
    QVERIFY(!factory.load(Receipt, missing));
    QVERIFY(!factory.isReady(Receipt));
    QVERIFY(!factory.lastError(Receipt).isEmpty());
    QVERIFY(!factory.create(Receipt));
    // The other kind is not affected.
    QVERIFY(factory.isReady(Fiscal));
}

void TestDriverFactory::unknownKind()
{
    RecordingDriver driver;
    FptrFactory factory;
    QVERIFY(factory.load(Fiscal, fakePath("full")));
    QVERIFY(factory.load(Receipt, fakePath("full")));
    for (int value : {2, -1, 1000}) {
        const auto kind = static_cast<FptrFactory::PrinterDevice>(value);
        QVERIFY(!factory.isReady(kind));
        QCOMPARE(factory.lastError(kind), QString());
        QVERIFY(!factory.create(kind));
        QVERIFY(!factory.load(kind, fakePath("createonly")));

        // The object cannot go back to an unknown library: abandoned.
        auto *wrapper = new ZEruZuva(&driver);
        factory.release(kind, &wrapper);
        QVERIFY(!wrapper);
    }
    QCOMPARE(m_full.createCalls(), 0);
    QCOMPARE(m_full.releaseCalls(), 0);
    QVERIFY(factory.isReady(Fiscal));
    QVERIFY(factory.isReady(Receipt));
}

void TestDriverFactory::twoFactoriesShareOneFile()
{
    RecordingDriver driver;
    auto first = std::make_unique<FptrFactory>();
    FptrFactory second;
    QVERIFY(first->load(Fiscal, fakePath("full")));
    QVERIFY(second.load(Fiscal, fakePath("full")));
    // The same file for both kinds of one factory, too.
    QVERIFY(second.load(Receipt, fakePath("full")));

    first.reset();
    QVERIFY(second.isReady(Fiscal));
    second.load(Receipt, fakePath("createonly"));
    QVERIFY(second.isReady(Fiscal));

    m_full.setNextObject(&driver);
    ZEruZuva *wrapper = second.create(Fiscal);
    QVERIFY(wrapper && JournalingDriver::find(wrapper->ted())->inner() == &driver);
    second.release(Fiscal, &wrapper);
    QCOMPARE(m_full.releaseCalls(), 1);
}

FPTR_TEST_MAIN(TestDriverFactory)
#include "tst_driverfactory.moc"
