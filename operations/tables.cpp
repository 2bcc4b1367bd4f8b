// Programming tables and the clock.

#include "fptrmainwindow.h"
#include "ui_fptrmainwindow.h"

#include <QDateTime>

void FptrMainWindow::on_pbtnGetSystemDateTime_clicked()
{
    const QDateTime now = QDateTime::currentDateTime();
    ui->dateEdit->setDate(now.date());
    ui->timeEdit->setTime(now.time());
}
