#include "barcodeinmemorydialog.h"
#include "ui_barcodeinmemorydialog.h"

BarcodeInMemoryDialog::BarcodeInMemoryDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::BarcodeInMemoryDialog)
{
    ui->setupUi(this);
}

BarcodeInMemoryDialog::~BarcodeInMemoryDialog()
{
    delete ui;
}

QString BarcodeInMemoryDialog::text() const
{
    if (ui->rbBarcodeByNum->isChecked())
        return QString::number(ui->spinBarcodeNum->value());
    return QStringLiteral("0");
}

QString BarcodeInMemoryDialog::show(QWidget *parent, const QString &title)
{
    BarcodeInMemoryDialog dialog(parent);
    dialog.setWindowTitle(title);
    if (dialog.exec() == QDialog::Accepted)
        return dialog.text();
    return QString();
}

void BarcodeInMemoryDialog::on_rbBarcodeByNum_toggled(bool checked)
{
    ui->spinBarcodeNum->setEnabled(checked);
}
