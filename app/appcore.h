#pragma once

// Process-wide facilities every part of the program relies on: the two
// working directories, the toolkit translation and the conversion of texts
// into the zero-terminated wide strings the driver takes.

#include <QString>
#include <QVector>

class QApplication;

// Directory of the executable, ending with a separator. The driver libraries
// lie there, so it must not depend on the current directory.
QString appDir();

// Per-user configuration directory (~/.kelm/drivers9/), ending with a
// separator; created, with any missing parents, when it does not exist.
QString configDir();

// Installs the toolkit's own translation (standard buttons, file dialogs)
// for the system locale when one can be found; silent otherwise.
void installTranslator(QApplication &app);

// Fills `out` with the characters of `s` followed by a terminating zero.
void QStringToWChar(const QString &s, QVector<wchar_t> &out);
