#include "core/module.h"

#include "core/database.h"

namespace vreg {

bool Module::load(Database &db, QString *error)
{
    QJsonObject section;
    Database::Query rows = db.query("SELECT key, value FROM state WHERE module = ?", {stateKey()});
    while (rows.next()) {
        QJsonValue value;
        if (!jsonRowValue(rows.text(1), &value)) {
            *error = QStringLiteral("значение %1 не читается").arg(rows.text(0));
            return false;
        }
        section.insert(rows.text(0), value);
    }
    if (rows.failed()) {
        *error = db.error();
        return false;
    }
    m_stored = section;
    m_storedFingerprint.clear();
    return section.isEmpty() || loadState(section, error);
}

bool Module::store(Database &db)
{
    QByteArray fingerprint = stateFingerprint();
    if (!fingerprint.isEmpty() && fingerprint == m_storedFingerprint)
        return true;
    const QJsonObject current = saveState();
    if (current == m_stored) {
        m_storedFingerprint = std::move(fingerprint);
        return true;
    }
    const QString module = stateKey();
    for (auto it = current.begin(); it != current.end(); ++it) {
        if (m_stored.value(it.key()) != it.value()
            && !db.write("INSERT OR REPLACE INTO state (module, key, value) VALUES (?, ?, ?)",
                         {module, it.key(), jsonRowText(it.value())}, stateDurability()))
            return false;
    }
    for (auto it = m_stored.begin(); it != m_stored.end(); ++it) {
        if (!current.contains(it.key())
            && !db.write("DELETE FROM state WHERE module = ? AND key = ?", {module, it.key()}, stateDurability()))
            return false;
    }
    m_stored = current;
    m_storedFingerprint = std::move(fingerprint);
    return true;
}

} // namespace vreg
