#pragma once

// The real main window with a recording driver as its current device, for
// handler tests: widgets are found and buttons clicked by object name, and
// every driver call the handler makes lands in `driver`'s log.

#include "fptrdevicelist.h"
#include "dialoganswerer.h"
#include "fptrmainwindow.h"
#include "recordingdriver.h"
#include "squeezedlabel.h"
#include "zeruzuva.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// Answers any message box that opens while the window is being built (the
// default device could not be created, the settings file is broken), so a
// broken build fails the test instead of hanging it.
class StartupDialogGuard
{
public:
    StartupDialogGuard()
    {
        QObject::connect(&timer, &QTimer::timeout, [this]() {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer.start(20);
    }

    QTimer timer;
    QStringList seen;
};

// The real window, found and worked by its widgets' object names as a user
// reads their captions.
class WindowUser
{
public:
    WindowUser() = default;
    WindowUser(const WindowUser &) = delete;
    WindowUser &operator=(const WindowUser &) = delete;

    // Builds the window; any message it shows while starting is answered and
    // kept, and with `warn` reported as unexpected.
    void startWindow(bool warn = true)
    {
        StartupDialogGuard guard;
        window.reset(new FptrMainWindow());
        guard.timer.stop();
        startupMessages = guard.seen;
        if (warn && !startupMessages.isEmpty())
            qWarning("unexpected message at start-up: %s", qPrintable(startupMessages.join(QLatin1String(" | "))));
    }

    template <class T = QWidget>
    T *widget(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s of the requested class", name);
        return found;
    }

    void click(const char *name) const { widget<QAbstractButton>(name)->click(); }
    void check(const char *name, bool on) const { widget<QAbstractButton>(name)->setChecked(on); }

    // Selects the item with the given key in a selection list.
    void select(const char *comboName, int key) const
    {
        QComboBox *box = widget<QComboBox>(comboName);
        const int index = box->findData(QString::number(key));
        if (index < 0)
            qFatal("list %s has no key %d", comboName, key);
        box->setCurrentIndex(index);
    }

    QString error() const { return window->errorText(); }

    QStringList startupMessages;
    std::unique_ptr<FptrMainWindow> window;
};

class WindowFixture : public DialogAnswerer, public WindowUser
{
public:
    // A kind no library serves: removing the device then only deletes the
    // wrapper and never hands our in-process driver to a library.
    static constexpr int RecordingKind = 99;

    WindowFixture()
    {
        startWindow();
        attach(driver, QStringLiteral("Recording driver"));
        driver.clearLog();
    }

    ~WindowFixture()
    {
        // The window goes first: its destructor still reads the devices.
        window.reset();
    }

    // Adds a driver object as a device of the window and makes it current.
    int attach(RecordingDriver &target, const QString &name)
    {
        const int number = window->deviceList()->addDevice(
            static_cast<FptrFactory::PrinterDevice>(RecordingKind), new ZEruZuva(&target));
        QComboBox *devices = combo("cmbDeviceList");
        devices->addItem(name, number);
        devices->setCurrentIndex(devices->count() - 1);
        return number;
    }

    QComboBox *combo(const char *name) const { return widget<QComboBox>(name); }
    QString errorLine() const { return error(); }

    RecordingDriver driver;
};
