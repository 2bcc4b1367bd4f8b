#pragma once

// Mapping strings give the driver's numeric constants their texts:
// "key:text;key:text;". An item's key is everything before its first ':'
// (the whole item when there is none), its text everything after it. Keys are
// compared as whole strings. Selection lists show the text (optionally after
// the key) and keep the key as user data.

#include <QMap>
#include <QString>
#include <QVariant>

class QComboBox;
class QListWidget;

// Refills the list from the mapping, one entry per non-empty item.
void strToComboBox(QComboBox *combo, const QString &mapping, bool showKey);

// Text of the first item with the key; false (text untouched) when none.
bool GetValueFromMappingKey(const QString &mapping, const QString &key, QString &text);
bool GetValueFromMappingKey(const QString &mapping, int key, QString &text);
// Text of the key, empty when the key is missing.
QString valueFromMapping(const QString &mapping, int key);

// Selection by key: no matching entry leaves the list without current entry.
void QComboSelect(QComboBox *combo, int key);
void QComboSelect(QComboBox *combo, const QString &key);
void QComboSelect(QComboBox *combo, const QVariant &value);
void QComboSelect(QComboBox *combo, const wchar_t *key);
// Index of the entry with the key, -1 when none.
int QComboCanSelect(QComboBox *combo, const QString &key);
int QComboCanSelect(QComboBox *combo, int key);
void QComboSelectIfCan(QComboBox *combo, const QString &key, const QString &fallback);
void QComboSelectWithText(QComboBox *combo, const QString &text);

// User data of the current entry; empty when there is none.
QString QComboGetSelection(QComboBox *combo);
// Data of the current entry: empty / -1 for a null list or no current entry.
QString cmbDataStr(QComboBox *combo, int role = Qt::UserRole);
int cmbData(QComboBox *combo, int role = Qt::UserRole);

QString mappingValue(QString mapping, const QString &key);
QString mappingKey(QString mapping, const QString &text);
// Key of the item whose text is `text` as a number; -1 when not found. Only
// items closed by ';' are found.
int GetKeyFromMappingValue(const QString &mapping, const QString &text);
// Adds every item to the map; later items win over earlier ones with the same key.
void parseMapping(const QString &mapping, QMap<QString, QString> &map);

// Fills the list from a mapping written by the driver. A prefix "key@" names
// the entry to select, `selectedKey` (when not null) overrides it, and an
// item with the key "FIXED" is always selected.
void WStrToQCombo(QComboBox *combo, const wchar_t *mapping, const wchar_t *selectedKey);
// Appends checked, checkable entries. A key "TTY$name" keeps "TTY" as user
// data and the name in the next role.
void WStrToQListWidget(QListWidget *list, const QString &mapping);
