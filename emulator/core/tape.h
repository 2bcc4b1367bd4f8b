#pragma once

// The virtual tape: everything the device prints, as a UTF-8 text file in
// its data folder, one printed line a line, so that a user can follow it with
// `tail -f` and the settings dialog can show it.

#include <QString>

namespace vreg {

class VirtualTape
{
public:
    static QString fileName() { return QStringLiteral("tape.txt"); }

    explicit VirtualTape(const QString &folder);

    QString path() const { return m_path; }
    // The tape's text; only its last `maxBytes` when longer (then *cut is true
    // and the text starts at a line start).
    QString read(qint64 maxBytes, bool *cut = nullptr) const;
    // Empties the tape; a missing tape is already empty.
    bool clear(QString *error);

private:
    QString m_path;
};

} // namespace vreg
