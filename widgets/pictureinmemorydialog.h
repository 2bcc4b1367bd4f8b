#pragma once

// Asks for a picture stored in the device's memory: its number and the left
// offset at which to print it.

#include <QDialog>

namespace Ui {
class PictureInMemoryDialog;
}

class PictureInMemoryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PictureInMemoryDialog(QWidget *parent = nullptr);
    ~PictureInMemoryDialog() override;

    // "number,offset", both decimal.
    QString text() const;

    // Runs the dialog modally; text() after OK, an empty text after Cancel.
    static QString show(QWidget *parent, const QString &title);

private:
    Ui::PictureInMemoryDialog *ui;
};
