#include "extendedchars.h"

#include "barcodeinmemorydialog.h"
#include "pictureinmemorydialog.h"
#include "tables.h"

#include <QAction>
#include <QCoreApplication>

namespace ExtendedChars {

QAction *createAction(Flag flag, QObject *parent)
{
    QString text;
    switch (flag) {
    case DoubleWidth:
        text = QCoreApplication::translate("ExtendedChars", "Символ двойной ширины");
        break;
    case PictureInMemory:
        text = QCoreApplication::translate("ExtendedChars", "Изображение из памяти");
        break;
    case BarcodeInMemory:
        text = QCoreApplication::translate("ExtendedChars", "ШК из памяти");
        break;
    case All:
        return nullptr;
    }
    auto *action = new QAction(text, parent);
    action->setData(int(flag));
    return action;
}

Flag actionFlag(const QAction *action)
{
    return Flag(action->data().toInt());
}

QString askPictureReference(QWidget *parent)
{
    const QString number = PictureInMemoryDialog::show(
        parent, QCoreApplication::translate("ExtendedChars", "Изображение из памяти"));
    if (number.isEmpty())
        return QString();
    return PictureNumChar + number + PictureNumChar;
}

QString askBarcodeReference(QWidget *parent)
{
    const QString number = BarcodeInMemoryDialog::show(
        parent, QCoreApplication::translate("ExtendedChars", "ШК из памяти"));
    if (number.isEmpty())
        return QString();
    return BarcodeNumChar + number + BarcodeNumChar;
}

} // namespace ExtendedChars
