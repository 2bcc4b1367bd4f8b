#include "pictureinmemorydialog.h"
#include "ui_pictureinmemorydialog.h"

PictureInMemoryDialog::PictureInMemoryDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::PictureInMemoryDialog)
{
    ui->setupUi(this);
}

PictureInMemoryDialog::~PictureInMemoryDialog()
{
    delete ui;
}

QString PictureInMemoryDialog::text() const
{
    return tr("%1,%2")
        .arg(QString::number(ui->spinPictureNumber->value()),
             QString::number(ui->spinLeftMargin->value()));
}

QString PictureInMemoryDialog::show(QWidget *parent, const QString &title)
{
    PictureInMemoryDialog dialog(parent);
    dialog.setWindowTitle(title);
    if (dialog.exec() == QDialog::Accepted)
        return dialog.text();
    return QString();
}
