#include "mappings.h"
#include "testmain.h"

#include <QComboBox>
#include <QListWidget>

namespace {

QStringList displays(const QComboBox &combo)
{
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i);
    return out;
}

QStringList keys(const QComboBox &combo)
{
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemData(i).toString();
    return out;
}

} // namespace

class TestMappings : public QObject
{
    Q_OBJECT

private slots:
    void strToComboBox_data();
    void strToComboBox();
    void strToComboBoxRefillsAndIgnoresNull();

    void getValueFromMappingKey_data();
    void getValueFromMappingKey();
    void lookupsByIntKeyAndMissingKey();
    void mappingKeyFindsFirstText();

    void getKeyFromMappingValue_data();
    void getKeyFromMappingValue();

    void parseMappingKeepsExistingAndLaterWins();

    void selectByKey();
    void selectWithoutMatchLeavesNoCurrentEntry();
    void selectIfCanAndByText();
    void nullComboReadsAsNothing();

    void wstrToQCombo_data();
    void wstrToQCombo();

    void wstrToQListWidget();
};

void TestMappings::strToComboBox_data()
{
    QTest::addColumn<QString>("mapping");
    QTest::addColumn<bool>("showKey");
    QTest::addColumn<QStringList>("displays");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("with keys") << "0:Приход;1:Расход;" << true
                               << QStringList{"0 - Приход", "1 - Расход"} << QStringList{"0", "1"};
    QTest::newRow("text only") << "0:Приход;1:Расход;" << false
                               << QStringList{"Приход", "Расход"} << QStringList{"0", "1"};
    QTest::newRow("empty item dropped") << "1:A;;2:B;" << true
                                        << QStringList{"1 - A", "2 - B"} << QStringList{"1", "2"};
    QTest::newRow("item without colon") << "7;8:B;" << false
                                        << QStringList{"", "B"} << QStringList{"7", "8"};
    QTest::newRow("colon in text") << "3:Время: чч:мм;" << false
                                   << QStringList{"Время: чч:мм"} << QStringList{"3"};
    QTest::newRow("last item unterminated") << "1:A;2:B" << true
                                            << QStringList{"1 - A", "2 - B"} << QStringList{"1", "2"};
    QTest::newRow("percent and placeholder-like text") << "5:%1 %2;" << true
                                                       << QStringList{"5 - %1 %2"} << QStringList{"5"};
    QTest::newRow("empty") << "" << true << QStringList{} << QStringList{};
}

void TestMappings::strToComboBox()
{
    QFETCH(QString, mapping);
    QFETCH(bool, showKey);
    QFETCH(QStringList, displays);
    QFETCH(QStringList, keys);

    QComboBox combo;
    ::strToComboBox(&combo, mapping, showKey);
    QCOMPARE(::displays(combo), displays);
    QCOMPARE(::keys(combo), keys);
    QCOMPARE(combo.currentIndex(), keys.isEmpty() ? -1 : 0);
}

void TestMappings::strToComboBoxRefillsAndIgnoresNull()
{
    QComboBox combo;
    ::strToComboBox(&combo, "1:A;2:B;3:C;", true);
    combo.setCurrentIndex(2);
    ::strToComboBox(&combo, "9:Z;", true);
    QCOMPARE(displays(combo), QStringList{"9 - Z"});
    QCOMPARE(combo.currentIndex(), 0);

    ::strToComboBox(nullptr, "1:A;", true); // must not crash
}

void TestMappings::getValueFromMappingKey_data()
{
    QTest::addColumn<QString>("mapping");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole key, not prefix") << "10:A;1:B;" << "1" << true << "B";
    QTest::newRow("first of duplicates") << "1:A;1:B;" << "1" << true << "A";
    QTest::newRow("missing") << "0:A;1:B;" << "2" << false << "untouched";
    QTest::newRow("case-sensitive") << "ab:A;" << "AB" << false << "untouched";
    QTest::newRow("colon in text") << "3:a:b:c;" << "3" << true << "a:b:c";
    QTest::newRow("item without colon") << "0:A;5;" << "5" << true << "";
    QTest::newRow("empty key after final ;") << "0:A;" << "" << true << "";
    QTest::newRow("empty key, no empty item") << "0:A" << "" << false << "untouched";
    QTest::newRow("last item unterminated") << "0:A;1:B" << "1" << true << "B";
}

void TestMappings::getValueFromMappingKey()
{
    QFETCH(QString, mapping);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, text);

    QString result = "untouched";
    QCOMPARE(::GetValueFromMappingKey(mapping, key, result), found);
    QCOMPARE(result, text);
    QCOMPARE(mappingValue(mapping, key), found ? text : QString());
}

void TestMappings::lookupsByIntKeyAndMissingKey()
{
    QString text;
    QVERIFY(GetValueFromMappingKey("10:A;1:B;", 10, text));
    QCOMPARE(text, QString("A"));
    QCOMPARE(valueFromMapping("0:EAN8;1:EAN13;", 1), QString("EAN13"));
    QCOMPARE(valueFromMapping("0:EAN8;1:EAN13;", 7), QString());
    QVERIFY(valueFromMapping("0:EAN8;", 7).isEmpty());
}

void TestMappings::mappingKeyFindsFirstText()
{
    QCOMPARE(mappingKey("1:A;2:B;3:B;", "B"), QString("2"));
    QCOMPARE(mappingKey("1:A;2:B;", "C"), QString());
    QCOMPARE(mappingKey("1:A;2:x:B;", "x:B"), QString("2"));
    // An item without ':' has an empty text.
    QCOMPARE(mappingKey("1:A;7;", ""), QString("7"));
}

void TestMappings::getKeyFromMappingValue_data()
{
    QTest::addColumn<QString>("mapping");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");

    QTest::newRow("second") << "0:A;1:B;" << "B" << 1;
    QTest::newRow("first") << "0:A;1:B;" << "A" << 0;
    QTest::newRow("missing") << "0:A;1:B;" << "C" << -1;
    QTest::newRow("last item without ;") << "0:A;1:B" << "B" << -1;
    QTest::newRow("suffix of a text is no match") << "0:AB;" << "B" << -1;
    QTest::newRow("multi-digit key") << "7:A;34:Печать;" << "Печать" << 34;
    QTest::newRow("case-sensitive") << "0:a;1:A;" << "A" << 1;
    QTest::newRow("no key before text") << ":A;" << "A" << -1;
    QTest::newRow("non-numeric key") << "x:A;" << "A" << 0;
}

void TestMappings::getKeyFromMappingValue()
{
    QFETCH(QString, mapping);
    QFETCH(QString, text);
    QFETCH(int, key);
    QCOMPARE(GetKeyFromMappingValue(mapping, text), key);
}

void TestMappings::parseMappingKeepsExistingAndLaterWins()
{
    QMap<QString, QString> map;
    map.insert("old", "stays");
    parseMapping("1:A;;2:B;1:C;3;", map);
    const QMap<QString, QString> expected{{"old", "stays"}, {"1", "C"}, {"2", "B"}, {"3", ""}};
    QCOMPARE(map, expected);
}

void TestMappings::selectByKey()
{
    QComboBox combo;
    ::strToComboBox(&combo, "1:A;10:B;2:C;", true);

    QComboSelect(&combo, 10);
    QCOMPARE(combo.currentIndex(), 1);
    QCOMPARE(cmbData(&combo), 10);
    QCOMPARE(cmbDataStr(&combo), QString("10"));
    QCOMPARE(QComboGetSelection(&combo), QString("10"));
    QCOMPARE(cmbDataStr(&combo, Qt::DisplayRole), QString("10 - B"));

    QComboSelect(&combo, QString("2"));
    QCOMPARE(combo.currentIndex(), 2);
    QComboSelect(&combo, L"1");
    QCOMPARE(combo.currentIndex(), 0);
    QComboSelect(&combo, QVariant(QString("10")));
    QCOMPARE(combo.currentIndex(), 1);

    QCOMPARE(QComboCanSelect(&combo, "2"), 2);
    QCOMPARE(QComboCanSelect(&combo, 1), 0);
    QCOMPARE(QComboCanSelect(&combo, "0"), -1);
    QCOMPARE(QComboCanSelect(nullptr, "1"), -1);
}

void TestMappings::selectWithoutMatchLeavesNoCurrentEntry()
{
    QComboBox combo;
    ::strToComboBox(&combo, "1:A;2:B;", true);
    QComboSelect(&combo, 3);
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(cmbData(&combo), -1);
    QCOMPARE(cmbDataStr(&combo), QString());
    QCOMPARE(QComboGetSelection(&combo), QString());

    QComboSelect(&combo, 2);
    QComboSelect(&combo, QVariant(7));
    QCOMPARE(combo.currentIndex(), -1);
}

void TestMappings::selectIfCanAndByText()
{
    QComboBox combo;
    ::strToComboBox(&combo, "1:A;2:B;3:C;", true);
    QComboSelectIfCan(&combo, "3", "1");
    QCOMPARE(cmbData(&combo), 3);
    QComboSelectIfCan(&combo, "9", "2");
    QCOMPARE(cmbData(&combo), 2);

    QComboSelectWithText(&combo, "1 - A");
    QCOMPARE(combo.currentIndex(), 0);
    QComboSelectWithText(&combo, "A");
    QCOMPARE(combo.currentIndex(), -1);
}

void TestMappings::nullComboReadsAsNothing()
{
    QCOMPARE(cmbData(nullptr), -1);
    QCOMPARE(cmbDataStr(nullptr), QString());
    QCOMPARE(QComboGetSelection(nullptr), QString());
    QComboSelect(static_cast<QComboBox *>(nullptr), 1);
    WStrToQCombo(nullptr, L"1:A;", nullptr);
    WStrToQListWidget(nullptr, "1:A;");
}

void TestMappings::wstrToQCombo_data()
{
    QTest::addColumn<QString>("mapping");
    QTest::addColumn<bool>("hasSelectedKey");
    QTest::addColumn<QString>("selectedKey");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("current");

    const QStringList abc{"a", "b", "c"};
    const QStringList k123{"1", "2", "3"};
    QTest::newRow("no selection rule") << "1:a;2:b;3:c;" << false << "" << abc << k123 << 0;
    QTest::newRow("at sign") << "3@1:a;2:b;3:c;" << false << "" << abc << k123 << 2;
    QTest::newRow("selectedKey") << "1:a;2:b;3:c;" << true << "2" << abc << k123 << 1;
    QTest::newRow("selectedKey beats at sign") << "3@1:a;2:b;3:c;" << true << "2" << abc << k123 << 1;
    QTest::newRow("unknown key selects first") << "9@1:a;2:b;3:c;" << false << "" << abc << k123 << 0;
    QTest::newRow("FIXED wins over earlier match")
            << "1:a;FIXED:b;3:c;" << true << "1" << abc << QStringList{"1", "FIXED", "3"} << 1;
    QTest::newRow("FIXED before the selected key")
            << "2@FIXED:a;2:b;" << false << "" << QStringList{"a", "b"} << QStringList{"FIXED", "2"} << 0;
    QTest::newRow("stop at item without colon")
            << "1:a;junk;3:c;" << false << "" << QStringList{"a"} << QStringList{"1"} << 0;
    QTest::newRow("stop at unterminated item")
            << "1:a;2:b" << false << "" << QStringList{"a"} << QStringList{"1"} << 0;
    QTest::newRow("colon in text") << "1:x:y;" << false << "" << QStringList{"x:y"} << QStringList{"1"} << 0;
    QTest::newRow("empty") << "" << false << "" << QStringList{} << QStringList{} << -1;
}

void TestMappings::wstrToQCombo()
{
    QFETCH(QString, mapping);
    QFETCH(bool, hasSelectedKey);
    QFETCH(QString, selectedKey);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, keys);
    QFETCH(int, current);

    const std::wstring wmapping = mapping.toStdWString();
    const std::wstring wselected = selectedKey.toStdWString();
    QComboBox combo;
    combo.addItem("stale", "0");
    WStrToQCombo(&combo, wmapping.c_str(), hasSelectedKey ? wselected.c_str() : nullptr);
    QCOMPARE(displays(combo), texts);
    QCOMPARE(::keys(combo), keys);
    QCOMPARE(combo.currentIndex(), current);
}

void TestMappings::wstrToQListWidget()
{
    QListWidget list;
    list.addItem("kept");
    WStrToQListWidget(&list, "USB:Порт USB;;TTY$ttyS0:COM1;COM$2:Другой;A$B$C:Три;$TTY$ttyS1:COM2;");

    QCOMPARE(list.count(), 6);
    QCOMPARE(list.item(0)->text(), QString("kept"));

    struct Expected { const char *text; const char *key; QVariant port; };
    const Expected expected[] = {
        {"Порт USB", "USB", QVariant()},
        {"COM1", "TTY", QString("ttyS0")},
        {"Другой", "COM", QVariant()},
        {"Три", "A", QVariant()},
        {"COM2", "TTY", QString("ttyS1")},
    };
    for (int i = 0; i < 5; ++i) {
        const QListWidgetItem *item = list.item(i + 1);
        QCOMPARE(item->text(), QString::fromUtf8(expected[i].text));
        QCOMPARE(item->data(Qt::UserRole).toString(), QString(expected[i].key));
        QCOMPARE(item->data(Qt::UserRole + 1), expected[i].port);
        QCOMPARE(item->checkState(), Qt::Checked);
        QVERIFY(item->flags() & Qt::ItemIsUserCheckable);
    }
}

FPTR_TEST_MAIN(TestMappings)
#include "tst_mappings.moc"
