#include "mappings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QStringList>

namespace {

struct MappingItem
{
    QString key;
    QString text;
};

MappingItem splitItem(const QString &item)
{
    const int colon = item.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {item, QString()};
    return {item.left(colon), item.mid(colon + 1)};
}

// Filling lists skips empty items; lookups keep them, so that an empty key is
// found in every mapping closed by ';'.
QStringList splitMapping(const QString &mapping, Qt::SplitBehavior behavior)
{
    return mapping.split(QLatin1Char(';'), behavior);
}

QString fromWide(const wchar_t *s)
{
    return s ? QString::fromWCharArray(s) : QString();
}

} // namespace

void strToComboBox(QComboBox *combo, const QString &mapping, bool showKey)
{
    if (!combo)
        return;
    combo->clear();
    const QStringList items = splitMapping(mapping, Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const MappingItem mi = splitItem(item);
        const QString display = showKey
                ? QCoreApplication::translate("Mappings", "%1 - %2").arg(mi.key, mi.text)
                : mi.text;
        combo->addItem(display, mi.key);
    }
}

bool GetValueFromMappingKey(const QString &mapping, const QString &key, QString &text)
{
    const QStringList items = splitMapping(mapping, Qt::KeepEmptyParts);
    for (const QString &item : items) {
        const MappingItem mi = splitItem(item);
        if (mi.key == key) {
            text = mi.text;
            return true;
        }
    }
    return false;
}

bool GetValueFromMappingKey(const QString &mapping, int key, QString &text)
{
    return GetValueFromMappingKey(mapping, QString::number(key), text);
}

QString valueFromMapping(const QString &mapping, int key)
{
    QString text;
    GetValueFromMappingKey(mapping, key, text);
    return text;
}

void QComboSelect(QComboBox *combo, int key)
{
    QComboSelect(combo, QString::number(key));
}

void QComboSelect(QComboBox *combo, const QString &key)
{
    if (combo)
        combo->setCurrentIndex(QComboCanSelect(combo, key));
}

void QComboSelect(QComboBox *combo, const QVariant &value)
{
    if (combo)
        combo->setCurrentIndex(combo->findData(value));
}

void QComboSelect(QComboBox *combo, const wchar_t *key)
{
    QComboSelect(combo, fromWide(key));
}

int QComboCanSelect(QComboBox *combo, const QString &key)
{
    if (!combo)
        return -1;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemData(i).toString() == key)
            return i;
    }
    return -1;
}

int QComboCanSelect(QComboBox *combo, int key)
{
    return QComboCanSelect(combo, QString::number(key));
}

void QComboSelectIfCan(QComboBox *combo, const QString &key, const QString &fallback)
{
    if (QComboCanSelect(combo, key) >= 0)
        QComboSelect(combo, key);
    else
        QComboSelect(combo, fallback);
}

void QComboSelectWithText(QComboBox *combo, const QString &text)
{
    if (combo)
        combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QString QComboGetSelection(QComboBox *combo)
{
    return cmbDataStr(combo, Qt::UserRole);
}

QString cmbDataStr(QComboBox *combo, int role)
{
    if (!combo || combo->currentIndex() < 0)
        return QString();
    return combo->itemData(combo->currentIndex(), role).toString();
}

int cmbData(QComboBox *combo, int role)
{
    if (!combo || combo->currentIndex() < 0)
        return -1;
    return combo->itemData(combo->currentIndex(), role).toInt();
}

QString mappingValue(QString mapping, const QString &key)
{
    QString text;
    GetValueFromMappingKey(mapping, key, text);
    return text;
}

QString mappingKey(QString mapping, const QString &text)
{
    const QStringList items = splitMapping(mapping, Qt::KeepEmptyParts);
    for (const QString &item : items) {
        const MappingItem mi = splitItem(item);
        if (mi.text == text)
            return mi.key;
    }
    return QString();
}

int GetKeyFromMappingValue(const QString &mapping, const QString &text)
{
    const QString needle = QLatin1Char(':') + text + QLatin1Char(';');
    const int p = mapping.indexOf(needle);
    if (p <= 0)
        return -1;
    const int start = mapping.lastIndexOf(QLatin1Char(';'), p - 1) + 1;
    return mapping.mid(start, p - start).toInt();
}

void parseMapping(const QString &mapping, QMap<QString, QString> &map)
{
    const QStringList items = splitMapping(mapping, Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const MappingItem mi = splitItem(item);
        map.insert(mi.key, mi.text);
    }
}

void WStrToQCombo(QComboBox *combo, const wchar_t *mapping, const wchar_t *selectedKey)
{
    if (!combo)
        return;
    combo->clear();

    const QString m = fromWide(mapping);
    QString keyToSelect;
    int pos = 0;
    const int at = m.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        keyToSelect = m.left(at);
        pos = at + 1;
    }
    if (selectedKey)
        keyToSelect = QString::fromWCharArray(selectedKey);

    int selected = 0;
    while (pos < m.size()) {
        const int colon = m.indexOf(QLatin1Char(':'), pos);
        const int itemEnd = m.indexOf(QLatin1Char(';'), pos);
        // An item without ':' or without its closing ';' ends the list.
        if (colon < 0 || (itemEnd >= 0 && itemEnd < colon))
            break;
        const int semicolon = m.indexOf(QLatin1Char(';'), colon + 1);
        if (semicolon < 0)
            break;
        const QString key = m.mid(pos, colon - pos);
        const QString text = m.mid(colon + 1, semicolon - colon - 1);
        pos = semicolon + 1;

        // A fixed setting offers its one value and keeps it selected.
        if (key == QLatin1String("FIXED"))
            keyToSelect = key;
        if (key == keyToSelect)
            selected = combo->count();
        combo->addItem(text, key);
    }
    combo->setCurrentIndex(selected);
}

void WStrToQListWidget(QListWidget *list, const QString &mapping)
{
    if (!list)
        return;
    const QStringList items = splitMapping(mapping, Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const MappingItem mi = splitItem(item);
        const QStringList keyParts = mi.key.split(QLatin1Char('$'), Qt::SkipEmptyParts);
        auto *entry = new QListWidgetItem(mi.text);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Checked);
        entry->setData(Qt::UserRole, keyParts.value(0));
        if (keyParts.size() == 2 && keyParts.at(0) == QLatin1String("TTY"))
            entry->setData(Qt::UserRole + 1, keyParts.at(1));
        list->addItem(entry);
    }
}
