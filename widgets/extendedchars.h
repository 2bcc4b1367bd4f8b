#pragma once

// The special marks that texts for the printer may carry, as offered by the
// context menus of ExtendedLineEdit and TextEditDialog. On screen a mark is
// one of the characters DoubleWidthChar, PictureNumChar, BarcodeNumChar; the
// window turns them into the device's control codes only when sending.

#include <QString>

class QAction;
class QObject;
class QWidget;

namespace ExtendedChars {

// Bits of the extended-character flags; the menu entries follow this order.
enum Flag {
    DoubleWidth = 0x1,
    PictureInMemory = 0x2,
    BarcodeInMemory = 0x4,
    All = DoubleWidth | PictureInMemory | BarcodeInMemory
};

// The three bits in menu order.
constexpr Flag Flags[] = {DoubleWidth, PictureInMemory, BarcodeInMemory};

// A menu action for one bit, owned by parent; its data is the bit.
QAction *createAction(Flag flag, QObject *parent);

// Which bit an action created by createAction stands for.
Flag actionFlag(const QAction *action);

// Asks for a picture stored in the device and returns the complete marked
// reference, or an empty text when the user cancelled.
QString askPictureReference(QWidget *parent);

// Asks for a barcode stored in the device (0 for the dynamic one) and returns
// the complete marked reference, or an empty text when the user cancelled.
QString askBarcodeReference(QWidget *parent);

} // namespace ExtendedChars
