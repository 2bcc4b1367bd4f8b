#pragma once

// Test entry point shared by every test program: the tests run against a
// temporary home directory (settings, driver data) and the offscreen
// platform, so no test ever touches the real user's files or display.

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

namespace fptrtest {

// Points HOME and the XDG folders into a fresh temporary directory that
// lives as long as the returned object.
inline QTemporaryDir *isolateHome()
{
    auto *dir = new QTemporaryDir();
    const QByteArray home = dir->path().toUtf8();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return dir;
}

} // namespace fptrtest

#define FPTR_TEST_MAIN(TestObject)                                  \
    int main(int argc, char *argv[])                                \
    {                                                               \
        QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome()); \
        QApplication app(argc, argv);                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                    \
        TestObject tc;                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                  \
        return QTest::qExec(&tc, argc, argv);                       \
    }
