#pragma once

// The real main window driving its real default device, the virtual
// register, for the end-to-end tests: the register keeps its memory and its
// tape in a fresh folder of its own, prints at once, and is switched on
// through the window's "enable" check box, as a user would. Widgets are found
// by object name; what the register printed is read back from its tape file.

#include "appcore.h"
#include "extendedlineedit.h"
#include "dialoganswerer.h"
#include "fptrmainwindow.h"
#include "vregclient.h"
#include "windowfixture.h"
#include "zeruzuva.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimeEdit>
#include <QtTest>

#include <functional>
#include <memory>

class VregWindow : public DialogAnswerer, public WindowUser
{
public:
    using IFptr = FptrMainWindow::IFptr;

    // `printSpeed` in lines a second; 0 prints at once.
    explicit VregWindow(int printSpeed = 0)
    {
        // A settings file left by an earlier window would bring back that
        // window's device (and its memory): every test starts from a new one.
        QFile::remove(configDir() + QLatin1String("fptr.cfg"));
        startWindow();
        QComboBox *devices = widget<QComboBox>("cmbDeviceList");
        if (devices->count() < 1)
            qFatal("the window has no default device");
        devices->setCurrentIndex(0);
        // What a user sets in the device's settings dialog.
        writeSetting(QStringLiteral("DataDir"), dataDir.path());
        writeSetting(QStringLiteral("PrintSpeed"), QString::number(printSpeed));
        if (driver()->ApplySettings() < 0)
            qFatal("the virtual register refused its settings");
        check("cbEnable", true);
        if (!error().isEmpty())
            qFatal("the virtual register did not connect: %s", qPrintable(error()));
    }

    ~VregWindow() { window.reset(); }

    // ---- widgets (and those of WindowUser)

    // Types into a line edit of either kind.
    void type(const char *name, const QString &text) const
    {
        QWidget *found = widget(name);
        if (auto *extended = qobject_cast<ExtendedLineEdit *>(found))
            extended->setText(text);
        else if (auto *line = qobject_cast<QLineEdit *>(found))
            line->setText(text);
        else
            qFatal("%s is not a line edit", name);
    }

    QString text(const char *name) const
    {
        QWidget *found = widget(name);
        if (auto *extended = qobject_cast<ExtendedLineEdit *>(found))
            return extended->text();
        if (auto *line = qobject_cast<QLineEdit *>(found))
            return line->text();
        if (auto *edit = qobject_cast<QTextEdit *>(found))
            return edit->toPlainText();
        if (auto *label = qobject_cast<QLabel *>(found))
            return label->text();
        qFatal("%s shows no text", name);
        return QString();
    }

    void setValue(const char *name, double value) const
    {
        QWidget *found = widget(name);
        if (auto *real = qobject_cast<QDoubleSpinBox *>(found))
            real->setValue(value);
        else if (auto *whole = qobject_cast<QSpinBox *>(found))
            whole->setValue(int(value));
        else
            qFatal("%s is not a spin box", name);
    }

    double value(const char *name) const
    {
        QWidget *found = widget(name);
        if (auto *real = qobject_cast<QDoubleSpinBox *>(found))
            return real->value();
        if (auto *whole = qobject_cast<QSpinBox *>(found))
            return whole->value();
        qFatal("%s is not a spin box", name);
        return 0;
    }


    // ---- modes, through the mode frame of the window

    // Enters a mode with a password; the error line afterwards.
    QString enterMode(int mode, const QString &password) const
    {
        select("cmbMode", mode);
        type("lePassword", password);
        click("pbtnSetMode");
        return error();
    }

    // The lines of the status query ("Состояние" on the queries page).
    QStringList statusLines() const
    {
        click("pbtnQueryGetStatus");
        return text("teQueryResult").split(QLatin1Char('\n'));
    }

    // The line of the status query that starts with `prefix`, or an empty text.
    QString statusLine(const QString &prefix) const
    {
        for (const QString &line : statusLines()) {
            if (line.startsWith(prefix))
                return line;
        }
        return QString();
    }

    // ---- the register itself (for what a user does in its settings dialog
    // and for reading its tape)

    IFptr *driver() const { return window->device()->ted(); }

    void writeSetting(const QString &name, const QString &value) const
    {
        const std::wstring key = name.toStdWString();
        const std::wstring text = value.toStdWString();
        if (driver()->WriteSetting(key.c_str(), text.c_str()) < 0)
            qFatal("setting %s refused", qPrintable(name));
    }

    // Switches the paper sensor as the settings dialog does.
    void setPaper(bool present) const
    {
        writeSetting(QStringLiteral("PaperPresent"), present ? QStringLiteral("1") : QStringLiteral("0"));
        if (driver()->ApplySettings() < 0)
            qFatal("the virtual register refused the paper setting");
    }

    // The whole tape, one printed line a line.
    QStringList tape(const QString &file = QStringLiteral("tape.txt")) const
    {
        return vregtest::readTapeFile(dataDir.path() + QLatin1Char('/') + file);
    }

    // The lines printed since the last call (since the connection at first).
    QStringList printed()
    {
        const QStringList all = tape();
        const QStringList fresh = all.mid(m_tapeSeen);
        m_tapeSeen = int(all.size());
        return fresh;
    }

    // Forgets what is on the tape so far: printed() then starts from here.
    void markTape() { m_tapeSeen = int(tape().size()); }

    QTemporaryDir dataDir;

private:
    int m_tapeSeen = 0;
};

// The first line of `lines` that matches the pattern, or an empty text.
inline QString lineMatching(const QStringList &lines, const QString &pattern)
{
    const QRegularExpression expression(pattern);
    for (const QString &line : lines) {
        if (expression.match(line).hasMatch())
            return line;
    }
    return QString();
}

inline bool printedLine(const QStringList &lines, const QString &pattern)
{
    return !lineMatching(lines, pattern).isEmpty();
}

// A failure message showing the lines, for QVERIFY2.
inline QByteArray showLines(const QString &what, const QStringList &lines)
{
    return (what + QLatin1String(" in:\n") + lines.join(QLatin1Char('\n'))).toUtf8();
}
