#pragma once

// How the register's peripherals show raw bytes as text: the modem, the pin
// pad and the pin pad's fixed answer exchange bytes, while the bench types
// and shows texts. A text is its UTF-8 bytes, with escapes for what a line
// edit cannot hold: "\r", "\n", "\t", "\\" and "\xNN" (two hexadecimal
// digits, any byte). Received bytes come back the same way, so any answer
// can be typed back as a command.

#include <QByteArray>
#include <QString>

namespace vreg {

// The bytes a text stands for; false with the reason (the position of the
// faulty escape) when the text holds an escape that is not one of the above.
bool bytesFromText(const QString &text, QByteArray *bytes, QString *error);

// The text of some bytes: valid UTF-8 characters as they are, CR, LF, TAB and
// the backslash as their escapes, every other byte (control characters,
// bytes that are not UTF-8) as "\xNN".
QString textFromBytes(const QByteArray &bytes);

} // namespace vreg
