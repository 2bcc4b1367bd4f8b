#pragma once

// Asks for a barcode stored in the device's memory: the dynamic barcode or
// one by its number.

#include <QDialog>

namespace Ui {
class BarcodeInMemoryDialog;
}

class BarcodeInMemoryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BarcodeInMemoryDialog(QWidget *parent = nullptr);
    ~BarcodeInMemoryDialog() override;

    // The chosen number in decimal; the dynamic barcode is number 0.
    QString text() const;

    // Runs the dialog modally; text() after OK, an empty text after Cancel.
    static QString show(QWidget *parent, const QString &title);

private slots:
    void on_rbBarcodeByNum_toggled(bool checked);

private:
    Ui::BarcodeInMemoryDialog *ui;
};
