#include "mappings.h"
#include "tables.h"
#include "testmain.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QSet>

namespace {

QList<int> range(int from, int to, const QList<int> &without = {})
{
    QList<int> out;
    for (int k = from; k <= to; ++k) {
        if (!without.contains(k))
            out << k;
    }
    return out;
}

struct NamedTable
{
    const char *name;
    const QString *table;
};

const NamedTable allTables[] = {
    {"operationTypes", &operationTypes}, {"modes", &modes}, {"chequeTypes", &chequeTypes},
    {"paymentTypes", &paymentTypes}, {"discountTypes", &discountTypes},
    {"destinations", &destinations}, {"textWraps", &textWraps}, {"alignments", &alignments},
    {"registrationReports", &registrationReports}, {"fiscalEklzReports", &fiscalEklzReports},
    {"dataReports", &dataReports}, {"unitTypes", &unitTypes}, {"barcodeTypes", &barcodeTypes},
    {"barcodeQRCorrections", &barcodeQRCorrections}, {"barcodeQREncodings", &barcodeQREncodings},
    {"barcodeQREncodingModes", &barcodeQREncodingModes},
    {"barcodePDFPackingMode", &barcodePDFPackingMode}, {"printPurpose", &printPurpose},
    {"fontHeights", &fontHeights}, {"fieldFormat", &fieldFormat},
    {"connectorTypes", &connectorTypes}, {"values", &values}, {"captions", &captions},
    {"registers", &registers}, {"fileOpenModes", &fileOpenModes},
    {"fileOpenTypes", &fileOpenTypes}, {"counterTypes", &counterTypes},
    {"stepCounterTypes", &stepCounterTypes}, {"powerSupplyTypes", &powerSupplyTypes},
    {"externalPortModes", &externalPortModes}, {"modemConnectionTypes", &modemConnectionTypes},
    {"fiscalPropertyTypes", &fiscalPropertyTypes}, {"counterDimensions", &counterDimensions},
    {"fnReportTypes", &fnReportTypes}, {"taxModes", &taxModes},
    {"taxNumbersFull", &taxNumbersFull}, {"taxNumbers", &taxNumbers},
};

} // namespace

Q_DECLARE_METATYPE(const QString *)

class TestTables : public QObject
{
    Q_OBJECT

private slots:
    void wellFormed_data();
    void wellFormed();
    void keys_data();
    void keys();
    void texts_data();
    void texts();
    void taxNumbersLackOnlyBySection();
    void specialCharacters();
    void comboTablesCoverEveryList();
    void listShowsKeyAndText();
};

void TestTables::wellFormed_data()
{
    QTest::addColumn<const QString *>("table");
    for (const NamedTable &t : allTables)
        QTest::newRow(t.name) << t.table;
}

// Every table: items closed by ';', decimal keys without sign or leading
// zeros, ascending, no placeholder left over from building, non-empty texts.
void TestTables::wellFormed()
{
    QFETCH(const QString *, table);
    QVERIFY(table->endsWith(';'));
    QVERIFY(!table->contains(QRegularExpression("%\\d")));
    static const QRegularExpression item("^(0|[1-9][0-9]*):(.+)$");
    int previous = -1;
    const QStringList items = table->split(';', Qt::SkipEmptyParts);
    QCOMPARE(items.size(), table->count(';'));
    for (const QString &s : items) {
        const QRegularExpressionMatch m = item.match(s);
        QVERIFY2(m.hasMatch(), qPrintable(s));
        const int key = m.captured(1).toInt();
        QVERIFY2(key > previous, qPrintable(s));
        previous = key;
    }
}

void TestTables::keys_data()
{
    QTest::addColumn<const QString *>("table");
    QTest::addColumn<QList<int>>("keys");

    QTest::newRow("chequeTypes") << &chequeTypes << range(1, 10);
    QTest::newRow("registers") << &registers << range(1, 70, {37, 49, 50, 62, 64, 68, 69});
    QTest::newRow("values") << &values << range(0, 394);
    QTest::newRow("captions") << &captions << range(0, 298);
    QTest::newRow("modes") << &modes << range(0, 7);
    QTest::newRow("registrationReports") << &registrationReports
                                         << QList<int>{0, 1, 2, 7, 8, 10, 11, 34, 35, 36, 38, 39, 50, 51};
    QTest::newRow("fiscalEklzReports") << &fiscalEklzReports
                                       << (QList<int>{3, 4, 5, 6} + range(22, 33));
    QTest::newRow("dataReports") << &dataReports << QList<int>{19, 20, 41, 46};
    QTest::newRow("fnReportTypes") << &fnReportTypes << QList<int>{22, 25, 42, 45, 47, 48, 49};
    QTest::newRow("barcodeTypes") << &barcodeTypes << range(0, 11);
    QTest::newRow("unitTypes") << &unitTypes << range(1, 5);
    QTest::newRow("counterTypes") << &counterTypes << range(1, 2);
    QTest::newRow("modemConnectionTypes") << &modemConnectionTypes << range(1, 2);
    QTest::newRow("fiscalPropertyTypes") << &fiscalPropertyTypes << range(0, 5);
    QTest::newRow("paymentTypes") << &paymentTypes << range(0, 9);
    QTest::newRow("taxNumbersFull") << &taxNumbersFull << range(0, 6);
    QTest::newRow("taxNumbers") << &taxNumbers << range(1, 6);
}

void TestTables::keys()
{
    QFETCH(const QString *, table);
    QFETCH(QList<int>, keys);
    QList<int> actual;
    for (const QString &s : table->split(';', Qt::SkipEmptyParts))
        actual << s.section(':', 0, 0).toInt();
    QCOMPARE(actual, keys);
}

void TestTables::texts_data()
{
    QTest::addColumn<const QString *>("table");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("operation 7") << &operationTypes << 7 << "Коррекция возврата расхода";
    QTest::newRow("mode 5") << &modes << 5 << "Доступа к ФП/Ввода ЗН";
    QTest::newRow("mode 7") << &modes << 7 << "Дополнительный";
    QTest::newRow("cheque 3 misspelt") << &chequeTypes << 3 << "Анулирование продажи";
    QTest::newRow("cheque 6") << &chequeTypes << 6 << "Аннулирование покупки";
    QTest::newRow("cheque 10") << &chequeTypes << 10 << "Коррекция возврата расхода";
    QTest::newRow("report 51") << &registrationReports << 51 << "ЭЖ по диапазону смен";
    QTest::newRow("eklz 33") << &fiscalEklzReports << 33 << "ЭКЛЗ по сменам полный по итогам смен";
    QTest::newRow("unit 3") << &unitTypes << 3 << "Bootblock процессора в внутренним ПО";
    QTest::newRow("barcode 11") << &barcodeTypes << 11 << "Code128";
    QTest::newRow("QR percent") << &barcodeQRCorrections << 1 << "~20% (L)";
    QTest::newRow("tax with percents") << &taxNumbersFull << 3 << "НДС 18% (20%)";
    QTest::newRow("tax 6") << &taxNumbers << 6 << "НДС 18/118 (20/120)";
    QTest::newRow("connector 2") << &connectorTypes << 2 << "RS232 (дисплейный порт)";
    QTest::newRow("property 3") << &fiscalPropertyTypes << 3 << "Беззнаковое целое (0..4294967295)";
    QTest::newRow("fn 49") << &fnReportTypes << 49 << "Счетчики по непереданным ФД";
    QTest::newRow("register 36") << &registers << 36 << "Версия и сборка электронного модуля";
    QTest::newRow("register 38") << &registers << 38 << "Состояние источника питания";
    QTest::newRow("register 70") << &registers << 70 << "Информация о предыдущей смене";
    QTest::newRow("value 0") << &values << 0 << "Номер ККТ в магазине";
    QTest::newRow("value 76") << &values << 76 << "Зарезервировано";
    QTest::newRow("value 77") << &values << 77 << "Зарезервировано";
    QTest::newRow("value quotes") << &values << 83 << "Команда \"Печать строки\" и \"Формирование реквизита\"";
    QTest::newRow("value guillemets") << &values << 331 << "Автоматический вход в режим «РЕГИСТРАЦИЯ»";
    QTest::newRow("value latin C") << &values << 338 << "Cбрасывать дисплей в «0.00» по завершении чека";
    QTest::newRow("value 394") << &values << 394 << "Работа в режиме ФР";
    QTest::newRow("caption 0") << &captions << 0 << "1 строка клише";
    QTest::newRow("section 1") << &captions << 36 << "Наименование 1 секции";
    QTest::newRow("section 30") << &captions << 65 << "Наименование 30 секции";
    QTest::newRow("section 31") << &captions << 122 << "Наименование 31 секции";
    QTest::newRow("section 99") << &captions << 190 << "Наименование 99 секции";
    QTest::newRow("caption 298") << &captions << 298 << "Время снятия отчета с гашением";
}

void TestTables::texts()
{
    QFETCH(const QString *, table);
    QFETCH(int, key);
    QFETCH(QString, text);
    QCOMPARE(valueFromMapping(*table, key), text);
    // Rows 76 and 77 of the values share their text; the lookup finds the first.
    if (table->count(':' + text + ';') == 1)
        QCOMPARE(GetKeyFromMappingValue(*table, text), key);
}

void TestTables::taxNumbersLackOnlyBySection()
{
    QCOMPARE(QString("0:По секции;") + taxNumbers, taxNumbersFull);
}

void TestTables::specialCharacters()
{
    QCOMPARE(DoubleWidthChar.unicode(), char16_t(0x00BB));
    QCOMPARE(PictureNumChar.unicode(), char16_t(0x00B6));
    QCOMPARE(BarcodeNumChar.unicode(), char16_t(0x00A5));
}

void TestTables::comboTablesCoverEveryList()
{
    const QVector<ComboTable> &combos = comboTables();
    QCOMPARE(combos.size(), 51);

    QSet<QString> names;
    QSet<const QString *> used;
    for (const ComboTable &c : combos) {
        QVERIFY2(QByteArray(c.comboName).startsWith("cmb"), c.comboName);
        QVERIFY(c.table);
        names.insert(QString::fromLatin1(c.comboName));
        used.insert(c.table);
    }
    QCOMPARE(names.size(), 51);
    // Every table fills at least one list.
    QCOMPARE(used.size(), int(std::size(allTables)));

    const QHash<QString, const QString *> expected{
        {"cmbRegisterChequeType", &chequeTypes}, {"cmbFmtTextAlignment", &alignments},
        {"cmbFmtTextWrap", &textWraps}, {"cmbCommodityNameWrap", &textWraps},
        {"cmbDemoPrintPurpose", &printPurpose}, {"cmbWiFiMode", &externalPortModes},
        {"cmbWiFiConnectionType", &modemConnectionTypes}, {"cmbTaxNumber", &taxNumbersFull},
        {"cmbReceiptTaxNumber", &taxNumbers}, {"cmbPosFiscalPropertyType", &fiscalPropertyTypes},
        {"cmbValuePurpose", &values}, {"cmbCaptionPurpose", &captions},
        {"cmbRegisterNumber", &registers}, {"cmbCQFontHeight", &fontHeights},
    };
    for (const ComboTable &c : combos) {
        const auto it = expected.constFind(QString::fromLatin1(c.comboName));
        if (it != expected.constEnd())
            QVERIFY2(it.value() == c.table, c.comboName);
    }
}

void TestTables::listShowsKeyAndText()
{
    QComboBox combo;
    strToComboBox(&combo, chequeTypes, true);
    QCOMPARE(combo.count(), 10);
    QCOMPARE(combo.itemText(0), QString("1 - Продажа / приход"));
    QCOMPARE(cmbData(&combo), 1);

    strToComboBox(&combo, values, true);
    QCOMPARE(combo.count(), 395);
    strToComboBox(&combo, captions, true);
    QCOMPARE(combo.count(), 299);
    strToComboBox(&combo, registers, true);
    QCOMPARE(combo.count(), 63);
    QComboSelect(&combo, 37);
    QCOMPARE(cmbData(&combo), -1);
}

FPTR_TEST_MAIN(TestTables)
#include "tst_tables.moc"
