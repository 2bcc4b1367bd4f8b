// The virtual register in a program without widgets (QCoreApplication only):
// the settings dialog cannot open there, and asking for it must fail with a
// clear code instead of taking the process down; everything else works.

#include "driver/ifptr.h"
#include "testmain.h"

#include <QCoreApplication>
#include <QLibrary>

#include <string>

class TestVregHeadless : public QObject
{
    Q_OBJECT

private slots:
    void showPropertiesFailsWithoutWidgets_data();
    void showPropertiesFailsWithoutWidgets();
};

void TestVregHeadless::showPropertiesFailsWithoutWidgets_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("wideModel");
    QTest::newRow("fiscal register") << QStringLiteral("/fptr") << QStringLiteral("2");
    QTest::newRow("receipt printer") << QStringLiteral("/rcpprn") << QStringLiteral("52");
}

void TestVregHeadless::showPropertiesFailsWithoutWidgets()
{
    QFETCH(QString, library);
    QFETCH(QString, wideModel);
    QVERIFY(!qobject_cast<QApplication *>(QCoreApplication::instance()));
    QLibrary lib(QCoreApplication::applicationDirPath() + library);
    QVERIFY2(lib.load(), qPrintable(lib.errorString()));
    auto create = reinterpret_cast<CreateFptrInterfaceFunction>(lib.resolve("CreateFptrInterface"));
    auto release = reinterpret_cast<ReleaseFptrInterfaceFunction>(lib.resolve("ReleaseFptrInterface"));
    QVERIFY(create && release);
    VOR::Fptr::IFptr *device = create(VOR_FPTR_INTERFACE_VERSION);
    QVERIFY(device);

    QCOMPARE(device->WriteSetting(L"Model", wideModel.toStdWString().c_str()), 0);
    QCOMPARE(device->ApplySettings(), 0);
    int width = 0;
    device->CharLineLength(&width);
    QCOMPARE(width, 48);
    QVERIFY(device->ShowProperties() < 0);
    int code = 0;
    device->ResultCode(&code);
    QCOMPARE(code, -7);
    wchar_t text[128] = {};
    device->ResultDescription(text, 128);
    QCOMPARE(QString::fromWCharArray(text), QStringLiteral("Окно настроек недоступно"));
    int detail = 0;
    device->ResultDetail(&detail);
    QVERIFY(detail != 0);
    device->ResultDetailDescription(text, 128);
    QVERIFY2(QString::fromWCharArray(text).contains(QStringLiteral("QApplication")),
             qPrintable(QString::fromWCharArray(text)));

    release(&device);
    QCOMPARE(device, nullptr);
}

int main(int argc, char *argv[])
{
    QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QCoreApplication app(argc, argv);
    TestVregHeadless tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_vreg_headless.moc"
