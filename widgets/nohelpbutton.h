#pragma once

// Dialogs without the context-help ("?") button. The program has no
// "What's This" help, so a help button in a title bar would only be a dead
// control; every dialog the window opens goes through these wrappers.

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

// Base class of the program's own dialogs.
class NoHelpButtonDialog : public QDialog
{
    Q_OBJECT
public:
    explicit NoHelpButtonDialog(QWidget *parent = nullptr);

    // Clears the context-help hint from the widget's window flags; to be
    // called after construction and before the widget is shown.
    static void removeHelpButton(QWidget *widget);
};

// Text input. Only the static function is meant to be used; deriving from
// the stock class keeps its enums at hand and hides its own getText.
class NoHelpButtonInputDialog : public QInputDialog
{
public:
    NoHelpButtonInputDialog() = delete;

    // Returns the entered text after OK, an empty text otherwise; *ok (when
    // given) tells which of the two happened.
    static QString getText(QWidget *parent, const QString &title, const QString &label,
                           QLineEdit::EchoMode mode = QLineEdit::Normal,
                           const QString &text = QString(), bool *ok = nullptr);
};

// Message boxes; each returns the button the user pressed.
class NoHelpButtonMessageBox : public QMessageBox
{
public:
    NoHelpButtonMessageBox() = delete;

    static StandardButton information(QWidget *parent, const QString &title, const QString &text,
                                      StandardButtons buttons = Ok,
                                      StandardButton defaultButton = NoButton);
    static StandardButton warning(QWidget *parent, const QString &title, const QString &text,
                                  StandardButtons buttons = Ok,
                                  StandardButton defaultButton = NoButton);
    static StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                   StandardButtons buttons = Ok,
                                   StandardButton defaultButton = NoButton);
    // An error is only ever acknowledged: OK is the one button.
    static StandardButton critical(QWidget *parent, const QString &title, const QString &text);
};

// File choice; each returns the first selected path, or an empty text when
// the dialog was cancelled. A non-empty *selectedFilter is preselected, and
// after OK it receives the filter in use.
class NoHelpButtonFileDialog : public QFileDialog
{
public:
    NoHelpButtonFileDialog() = delete;

    static QString getOpenFileName(QWidget *parent = nullptr, const QString &caption = QString(),
                                   const QString &dir = QString(), const QString &filter = QString(),
                                   QString *selectedFilter = nullptr, Options options = Options());
    // The file name part of dir is proposed as the name to save under.
    static QString getSaveFileName(QWidget *parent = nullptr, const QString &caption = QString(),
                                   const QString &dir = QString(), const QString &filter = QString(),
                                   QString *selectedFilter = nullptr, Options options = Options());
};
