// Mapping strings come from drivers ("key:text;...", with "key@" and
// "TTY$name" forms): any text, looked up with any key, filled into lists.
// Input: key, a zero byte, the mapping (UTF-8).

#include "fuzzsupport.h"
#include "mappings.h"
#include "tables.h"

#include <QComboBox>
#include <QListWidget>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    const auto parts = fuzz::splitAtZero(fuzz::bytes(data, size));
    const QString key = QString::fromUtf8(parts.first);
    const QString mapping = QString::fromUtf8(parts.second);
    bool numeric = false;
    const int number = key.toInt(&numeric);

    QString text;
    GetValueFromMappingKey(mapping, key, text);
    GetValueFromMappingKey(mapping, number, text);
    valueFromMapping(mapping, number);
    mappingValue(mapping, key);
    mappingKey(mapping, key);
    GetKeyFromMappingValue(mapping, key);
    QMap<QString, QString> map;
    parseMapping(mapping, map);

    QComboBox combo;
    for (const bool showKey : {false, true}) {
        strToComboBox(&combo, mapping, showKey);
        QComboSelect(&combo, key);
        QComboSelect(&combo, number);
        QComboSelect(&combo, QVariant(key));
        QComboCanSelect(&combo, key);
        QComboCanSelect(&combo, number);
        QComboSelectIfCan(&combo, key, mapping.left(8));
        QComboSelectWithText(&combo, key);
        QComboGetSelection(&combo);
        cmbDataStr(&combo);
        cmbData(&combo);
    }
    const std::wstring wideMapping = mapping.toStdWString();
    const std::wstring wideKey = key.toStdWString();
    WStrToQCombo(&combo, wideMapping.c_str(), nullptr);
    WStrToQCombo(&combo, wideMapping.c_str(), wideKey.c_str());
    QComboSelect(&combo, wideKey.c_str());
    // Every entry of a filled list stands for an item of the mapping.
    FUZZ_EXPECT(combo.count() <= mapping.count(QLatin1Char(';')) + 1);

    QListWidget list;
    WStrToQListWidget(&list, mapping);

    // The built-in tables looked up with the key, as the window does with a
    // driver's value.
    for (const ComboTable &table : comboTables()) {
        valueFromMapping(*table.table, number);
        GetKeyFromMappingValue(*table.table, key);
    }
    return 0;
}
