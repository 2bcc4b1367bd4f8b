// Devices attached to the register: scanner, pin pad, modem, Wi-Fi.

#include "fptrmainwindow.h"
#include "ui_fptrmainwindow.h"

#include <QListWidgetItem>

void FptrMainWindow::onScannerDataEvent(const QString &text)
{
    auto *item = new QListWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    ui->lwScannerData->addItem(item);
    ui->lwScannerData->scrollToBottom();
}
