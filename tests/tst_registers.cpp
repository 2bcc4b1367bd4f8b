// The register query and the cash sum query: the selector writes, the
// register's reads in the device's order, the texts of every register group
// and what a failure leaves in the result boxes.

#include "testmain.h"
#include "windowfixture.h"

#include "exception.h"

#include <QSpinBox>
#include <QTextEdit>

namespace {

QVariant date(int day, int month, int year)
{
    return QVariant::fromValue(QList<int>{day, month, year});
}

QVariant time(int hour, int minute, int second)
{
    return QVariant::fromValue(QList<int>{hour, minute, second});
}

// Names of the properties read after the given log entry, in order
// ("Caption?256" becomes "Caption").
QStringList readsAfter(const QStringList &log, const QString &entry)
{
    QStringList reads;
    const int start = log.indexOf(entry);
    for (int i = start + 1; start >= 0 && i < log.size(); ++i) {
        const QString &item = log.at(i);
        const int mark = item.indexOf(QLatin1Char('?'));
        if (mark > 0 && !item.contains(QLatin1Char('=')))
            reads << item.left(mark);
    }
    return reads;
}

// Makes a register number selectable even when the list does not offer it.
void selectRegister(WindowFixture &fx, int number)
{
    QComboBox *box = fx.combo("cmbRegisterNumber");
    if (box->findData(QString::number(number)) < 0)
        box->addItem(QString::number(number), QString::number(number));
    fx.select("cmbRegisterNumber", number);
}

// Every selector of the page set to a value of its own.
void fillSelectors(WindowFixture &fx, int number)
{
    selectRegister(fx, number);
    fx.widget<QSpinBox>("spinRegisterCounter")->setValue(12345);
    fx.select("cmbRegisterPaymentType", 3);
    fx.select("cmbRegisterChequeType", 2);
    fx.select("cmbOperationType", 3);
    fx.widget<QSpinBox>("spinDiscountTypeNumber")->setValue(4);
    fx.widget<QSpinBox>("spinTaxTypeNumber")->setValue(5);
    fx.select("cmbCounterType", 2);
    fx.select("cmbStepCounterType", 1);
    fx.select("cmbPowerSupplyType", 2);
    fx.select("cmbCounterDimension", 1);
    fx.widget<QSpinBox>("spinRegisterDepartment")->setValue(16);
}

QStringList selectorWrites(int number)
{
    return {QString("RegisterNumber=%1").arg(number), "CounterValue=12345", "PaymentType=3",
            "ChequeType=2", "OperationType=3", "DiscountNumber=4", "TaxNumber=5",
            "CounterType=2", "StepCounterType=1", "PowerSupplyType=2", "CounterDimension=1",
            "Department=16"};
}

void removeCurrentDevice(WindowFixture &fx)
{
    FptrDeviceList *list = fx.window->deviceList();
    list->removeDevice(list->currentDevice());
}

} // namespace

class TestRegisters : public QObject
{
    Q_OBJECT

private slots:
    void writesEverySelectorBeforeTheQuery();
    void registerText_data();
    void registerText();
    void failureStopsAndClearsTheText_data();
    void failureStopsAndClearsTheText();
    void noDeviceKeepsTheText();
    void cashSum();
    void cashSumFailure();
};

void TestRegisters::writesEverySelectorBeforeTheQuery()
{
    WindowFixture fx;
    fillSelectors(fx, 21);

    fx.click("pbtnGetRegister");

    QCOMPARE(fx.driver.log(), selectorWrites(21) + QStringList({"GetRegister()", "Session?"}));
}

void TestRegisters::registerText_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<QStringList>("reads");
    QTest::addColumn<QString>("text");

    const QStringList summ{"Summ"};
    const QStringList count{"Count"};
    const QStringList timeDate{"Time", "Date"};

    QTest::newRow("1 money") << 1 << QVariantMap{{"Summ", 1234.5}} << summ << "Сумма: 1234.50";
    QTest::newRow("40 money") << 40 << QVariantMap{{"Summ", 99999999.99}} << summ << "Сумма: 99999999.99";
    QTest::newRow("46 money, no own text") << 46 << QVariantMap{{"Summ", 0.0}} << summ << "Сумма: 0.00";
    QTest::newRow("56 money") << 56 << QVariantMap{{"Summ", 7.1}} << summ << "Необнуляемая сумма: 7.10";
    QTest::newRow("6 signed") << 6 << QVariantMap{{"Count", -1}} << count << "Количество: -1";
    QTest::newRow("33 unsigned") << 33 << QVariantMap{{"Count", -1}} << count << "Количество: 4294967295";
    QTest::newRow("35 unsigned") << 35 << QVariantMap{{"Count", int(0x80000000u)}} << count
                                 << "Количество: 2147483648";
    QTest::newRow("17 date and time") << 17 << QVariantMap{{"Date", date(1, 2, 2024)}, {"Time", time(9, 5, 3)}}
                                      << timeDate << "Дата: 01.02.2024\nВремя: 09:05:03";
    QTest::newRow("18 any non-zero is open")
        << 18 << QVariantMap{{"Date", date(31, 12, 2023)}, {"Time", time(23, 59, 0)}, {"SessionOpened", 2}}
        << QStringList{"Time", "Date", "SessionOpened"} << "Смена открыта\nДата: 31.12.2023\nВремя: 23:59:00";
    QTest::newRow("18 closed")
        << 18 << QVariantMap{{"Date", date(31, 12, 2023)}, {"Time", time(0, 0, 1)}, {"SessionOpened", 0}}
        << QStringList{"Time", "Date", "SessionOpened"} << "Смена закрыта\nДата: 31.12.2023\nВремя: 00:00:01";
    QTest::newRow("19 cheque info")
        << 19 << QVariantMap{{"Mode", 1}, {"SubMode", 2}, {"DocNumber", 15}, {"ChequeState", 2}, {"ChequeNumber", 7}}
        << QStringList{"Mode", "SubMode", "DocNumber", "ChequeState", "ChequeNumber"}
        << "Режим Регистрация / Ожидание ввода секции (1.2)\nНомер чека: 7\n"
           "Чек возврата продажи / прихода\nНомер документа: 15";
    QTest::newRow("20 cheque sums")
        << 20 << QVariantMap{{"Change", 1.0}, {"Remainder", 2.5}, {"Summ", 100.0}}
        << QStringList{"Change", "Remainder", "Summ"} << "Сумма: 100.00\nОстаток: 2.50\nСдача: 1.00";
    QTest::newRow("21 session") << 21 << QVariantMap{{"Session", 12}} << QStringList{"Session"} << "Смена: 12";
    QTest::newRow("22 serial as read") << 22 << QVariantMap{{"SerialNumber", "00106 %1"}}
                                       << QStringList{"SerialNumber"} << "Заводской номер: 00106 %1";
    QTest::newRow("23 model and version")
        << 23 << QVariantMap{{"SubVersion", "2"}, {"Version", "3"}, {"Model", 57}}
        << QStringList{"SubVersion", "Version", "Model"} << "Модель: 57\nВерсия: 3.2";
    QTest::newRow("24 widths")
        << 24
        << QVariantMap{{"ChequeTapeWidth1", 1}, {"ChequeTapeWidth2", 2}, {"ControlTapeWidth1", 3},
                       {"ControlTapeWidth2", 4}, {"SlipWidth1", 5}, {"SlipWidth2", 6}}
        << QStringList{"SlipWidth2", "SlipWidth1", "ControlTapeWidth2", "ControlTapeWidth1",
                       "ChequeTapeWidth2", "ChequeTapeWidth1"}
        << "Ширина ЧЛ: 1 / 2\nШирина КЛ: 3 / 4\nШирина ПД: 5 / 6";
    QTest::newRow("25 buffer") << 25 << QVariantMap{{"Count", 512}} << count << "Длина входного буфера ККТ: 512";
    QTest::newRow("26 activations")
        << 26 << QVariantMap{{"Value", 3.5}, {"Count", 4}} << QStringList{"Value", "Count"}
        << "Количество оставшихся активизаций ЭКЛЗ/ФН: 4\nНомер текущей активизации ЭКЛЗ/ФН: 3.5";
    QTest::newRow("27 INN, RNM")
        << 27 << QVariantMap{{"Date", date(5, 6, 2019)}, {"Session", 3}, {"RNM", "0000000001003047"}, {"INN", "7701234567"}}
        << QStringList{"Date", "Session", "RNM", "INN"}
        << "ИНН: 7701234567\nРНМ: 0000000001003047\nНомер смены: 3\nДата: 05.06.2019";
    QTest::newRow("28 journal module")
        << 28 << QVariantMap{{"Date", date(7, 8, 2015)}, {"Session", 9}, {"SerialNumber", "12345"}}
        << QStringList{"Date", "Session", "SerialNumber"} << "Номер ЭКЛЗ/ФН: 12345\nНомер смены: 9\nДата: 07.08.2015";
    QTest::newRow("29 station") << 29 << QVariantMap{{"FiscalStation", 1}} << QStringList{"FiscalStation"}
                                << "Фискальная станция: 1";
    QTest::newRow("36 module version")
        << 36 << QVariantMap{{"SubVersion", "4127"}, {"Version", "3.0"}} << QStringList{"SubVersion", "Version"}
        << "Версия: 3.0.4127";
    QTest::newRow("38 power supply")
        << 38 << QVariantMap{{"BatteryCharge", 80}, {"PowerSupplyVoltage", 12.3456789}, {"PowerSupplyState", 5}}
        << QStringList{"BatteryCharge", "PowerSupplyVoltage", "PowerSupplyState"}
        << "Состояние: работает от аккумуляторов, печать невозможна\nНапряжение: 12.3457\nЗаряд аккумулятора: 80";
    QTest::newRow("39 truncates up") << 39 << QVariantMap{{"Value", 36.9}} << QStringList{"Value"} << "Температура: 36";
    QTest::newRow("39 truncates toward zero") << 39 << QVariantMap{{"Value", -2.5}} << QStringList{"Value"}
                                              << "Температура: -2";
    QTest::newRow("41 taxes")
        << 41 << QVariantMap{{"Summ", 10.0}, {"Value", 20.0}} << QStringList{"Summ", "Value"}
        << "Сменный оборот налога по секциям: 20.00\nСумма налогов по секциям: 10.00";
    QTest::newRow("42 discounts")
        << 42 << QVariantMap{{"ChargeSumm", 3.0}, {"DiscountSumm", 4.0}} << QStringList{"ChargeSumm", "DiscountSumm"}
        << "Сумма скидок за смену: 4.00\nСумма надбавок за смену: 3.00";
    QTest::newRow("43 hex codes")
        << 43 << QVariantMap{{"FNError", 255}, {"OFDError", 10}, {"NetworkError", 0}}
        << QStringList{"FNError", "OFDError", "NetworkError"} << "Ошибка сети: 00\nОшибка ОФД: 0a\nОшибка ФН: ff";
    QTest::newRow("44 unsent") << 44 << QVariantMap{{"Count", 3}} << count
                               << "Количество не отправленных документов в ФН: 3";
    QTest::newRow("45 earliest unsent")
        << 45 << QVariantMap{{"Date", date(2, 3, 2024)}, {"Time", time(14, 7, 59)}} << timeDate
        << "Дата самого раннего не отправленного документа в ФН: 02.03.2024 14:07";
    QTest::newRow("47 flags padded")
        << 47 << QVariantMap{{"FNFlags", 5}, {"SerialNumber", "9999078900001234"}}
        << QStringList{"FNFlags", "SerialNumber"} << "Номер ФН: 9999078900001234\nФлаги состояния ФН: 00000101";
    QTest::newRow("47 flags not cut")
        << 47 << QVariantMap{{"FNFlags", 300}, {"SerialNumber", "1"}}
        << QStringList{"FNFlags", "SerialNumber"} << "Номер ФН: 1\nФлаги состояния ФН: 100101100";
    QTest::newRow("48 last registration")
        << 48 << QVariantMap{{"DocNumber", 4}, {"Date", date(1, 1, 2020)}, {"Time", time(8, 30, 15)}}
        << QStringList{"DocNumber", "Time", "Date"}
        << "Дата время последней перерегистрации: 01.01.2020 08:30\n"
           "Номер ФД последней регистрации/перерегистрации: 4";
    QTest::newRow("51 total general")
        << 51
        << QVariantMap{{"Value", 1234567890.9}, {"Date", date(1, 2, 2024)}, {"Time", time(9, 5, 3)},
                       {"Summ", 1234.5}, {"ChequeType", 1}, {"DocNumber", 42}}
        << QStringList{"Value", "Time", "Date", "Summ", "ChequeType", "DocNumber"}
        << "Номер ФД последнего сформированного чека: 42\nЧек продажи / прихода\nИтог: 1234.5\n"
           "Дата и время чека: 01.02.2024 09:05\nФискальный признак: 1234567890";
    QTest::newRow("51 total rounded to six digits")
        << 51
        << QVariantMap{{"Value", 0.0}, {"Date", date(1, 2, 2024)}, {"Time", time(9, 5, 3)},
                       {"Summ", 1234567.5}, {"ChequeType", 2}, {"DocNumber", 1}}
        << QStringList{"Value", "Time", "Date", "Summ", "ChequeType", "DocNumber"}
        << "Номер ФД последнего сформированного чека: 1\nЧек возврата продажи / прихода\nИтог: 1.23457e+06\n"
           "Дата и время чека: 01.02.2024 09:05\nФискальный признак: 0";
    QTest::newRow("52 last document, 64-bit sign")
        << 52
        << QVariantMap{{"Value", 4294967295.0}, {"Date", date(9, 9, 2021)}, {"Time", time(10, 0, 0)}, {"DocNumber", 77}}
        << QStringList{"Value", "Time", "Date", "DocNumber"}
        << "Номер последнего ФД: 77\nДата и время последнего ФД: 09.09.2021 10:00\nФискальный признак: 4294967295";
    QTest::newRow("53 session in storage")
        << 53 << QVariantMap{{"Session", 8}, {"ChequeNumber", 21}} << QStringList{"Session", "ChequeNumber"}
        << "Номер чека за смену из ФН: 21\nНомер смены ФН: 8";
    QTest::newRow("54 format versions")
        << 54 << QVariantMap{{"Date", date(1, 7, 2019)}, {"FfdVersion", 105}, {"FNFfdVersion", 110}, {"DeviceFfdVersion", 120}}
        << QStringList{"Date", "FfdVersion", "FNFfdVersion", "DeviceFfdVersion"}
        << "Версия ФФД ККТ: 120\nВерсия ФФД ФН: 110\nВерсия ФФД: 105\nДата документа ФФД: 01.07.2019";
    QTest::newRow("55 extended error")
        << 55 << QVariantMap{{"ErrorData", "01 02"}, {"ErrorCode", 0x1f}, {"CommandCode", 0xe8}}
        << QStringList{"ErrorData", "ErrorCode", "CommandCode"} << "Код команды: e8\nКод ошибки: 1f\nДанные ошибки: 01 02";
    QTest::newRow("57 sent to operator")
        << 57 << QVariantMap{{"Date", date(3, 4, 2024)}, {"Time", time(1, 2, 3)}} << timeDate
        << "Дата и время отправки последнего документа в ОФД: 03.04.2024 01:02";
    QTest::newRow("58 documents")
        << 58 << QVariantMap{{"DocNumber", 6}, {"Count", 600}} << QStringList{"DocNumber", "Count"}
        << "Количество расчетных документов: 600\nКоличество ФД за смену: 6";
    QTest::newRow("59 on, forbidden")
        << 59 << QVariantMap{{"TaxRateMode", 2}, {"EnvdAllowed", 0}, {"EnvdEnabled", 1}}
        << QStringList{"TaxRateMode", "EnvdAllowed", "EnvdEnabled"}
        << "Режим ЕНВД включен\nРежим ЕНВД запрещен\nРежим работы с налоговыми ставками: 2";
    QTest::newRow("59 off, allowed")
        << 59 << QVariantMap{{"TaxRateMode", 0}, {"EnvdAllowed", 3}, {"EnvdEnabled", 0}}
        << QStringList{"TaxRateMode", "EnvdAllowed", "EnvdEnabled"}
        << "Режим ЕНВД выключен\nРежим ЕНВД разрешен\nРежим работы с налоговыми ставками: 0";
    QTest::newRow("63 reports in buffer") << 63 << QVariantMap{{"Count", 2}} << count
                                          << "Количество отчетов об открытии и закрытии смены в буфере: 2";
    QTest::newRow("65 cheques, cancelled beyond 32 bits")
        << 65 << QVariantMap{{"Value", 3000000000.7}, {"Count", 10}} << QStringList{"Value", "Count"}
        << "Количество закрытых чеков: 10\nКоличество отмененных чеков: 3000000000";
    QTest::newRow("66 bytes") << 66 << QVariantMap{{"Count", 4096}} << count
                              << "Количество байт, переданных в открытом чеке: 4096";
    QTest::newRow("67 uptime") << 67 << QVariantMap{{"Value", 86400.99}} << QStringList{"Value"}
                               << "Количество секунд с включения ККТ: 86400";
    QTest::newRow("70 previous session")
        << 70
        << QVariantMap{{"Date", date(1, 2, 2024)}, {"Time", time(8, 0, 0)},
                       {"DateEnd", date(2, 2, 2024)}, {"TimeEnd", time(7, 59, 30)}}
        << QStringList{"TimeEnd", "DateEnd", "Time", "Date"}
        << "Дата и время открытия предыдущей смены: 01.02.2024 08:00:00\n"
           "Дата и время закрытия предыдущей смены: 02.02.2024 07:59:30";
    QTest::newRow("37 has no text") << 37 << QVariantMap{{"Summ", 5.0}} << QStringList() << QString();
    QTest::newRow("62 has no text") << 62 << QVariantMap{{"Count", 5}} << QStringList() << QString();
}

void TestRegisters::registerText()
{
    QFETCH(int, number);
    QFETCH(QVariantMap, values);
    QFETCH(QStringList, reads);
    QFETCH(QString, text);

    WindowFixture fx;
    selectRegister(fx, number);
    // The device fills its results during the query, after the selectors
    // are written (ChequeType is both a selector and a result).
    fx.driver.onAction("GetRegister", [&fx, values]() {
        for (auto it = values.begin(); it != values.end(); ++it)
            fx.driver.set(it.key(), it.value());
        return 0;
    });
    auto *result = fx.widget<QTextEdit>("teRegisterData");
    result->setPlainText("прежний текст");
    fx.window->setError("прежняя ошибка");

    fx.click("pbtnGetRegister");

    QCOMPARE(readsAfter(fx.driver.log(), "GetRegister()"), reads);
    QCOMPARE(result->toPlainText(), text);
    QCOMPARE(fx.errorLine(), QString());
}

void TestRegisters::failureStopsAndClearsTheText_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("calls");

    QTest::newRow("first write") << "RegisterNumber" << 1;
    QTest::newRow("middle write") << "TaxNumber" << 7;
    QTest::newRow("last write") << "Department" << 12;
    QTest::newRow("query") << "GetRegister" << 13;
}

void TestRegisters::failureStopsAndClearsTheText()
{
    QFETCH(QString, failing);
    QFETCH(int, calls);

    WindowFixture fx;
    fillSelectors(fx, 1);
    fx.driver.failOn(failing, -12, "Неверный параметр");
    auto *result = fx.widget<QTextEdit>("teRegisterData");
    result->setPlainText("прежний текст");

    fx.click("pbtnGetRegister");

    QCOMPARE(fx.driver.writesAndActions(),
             (selectorWrites(1) << "GetRegister()").mid(0, calls));
    QVERIFY(!fx.driver.log().contains("Summ?"));
    QCOMPARE(result->toPlainText(), QString());
    QCOMPARE(fx.errorLine(), QString("[-12] Неверный параметр"));
}

void TestRegisters::noDeviceKeepsTheText()
{
    WindowFixture fx;
    removeCurrentDevice(fx);
    fx.widget<QTextEdit>("teRegisterData")->setPlainText("прежний текст");
    fx.widget<QTextEdit>("teQueryResult")->setPlainText("прежняя сумма");

    fx.click("pbtnGetRegister");
    QCOMPARE(fx.widget<QTextEdit>("teRegisterData")->toPlainText(), QString("прежний текст"));
    QCOMPARE(fx.errorLine(), QString::fromUtf8(DeviceNotFoundException().what()));

    fx.window->resetError();
    fx.click("pbtnQueryGetSumm");
    QCOMPARE(fx.widget<QTextEdit>("teQueryResult")->toPlainText(), QString("прежняя сумма"));
    QCOMPARE(fx.errorLine(), QString::fromUtf8(DeviceNotFoundException().what()));
    QVERIFY(fx.driver.log().isEmpty());
}

void TestRegisters::cashSum()
{
    WindowFixture fx;
    fx.driver.onAction("GetSumm", [&fx]() {
        fx.driver.set("Summ", 1500.5);
        return 0;
    });
    fx.window->setError("прежняя ошибка");

    fx.click("pbtnQueryGetSumm");

    QCOMPARE(fx.driver.log(), QStringList({"GetSumm()", "Summ?"}));
    QCOMPARE(fx.widget<QTextEdit>("teQueryResult")->toPlainText(), QString("Сумма: 1500.50"));
    QCOMPARE(fx.errorLine(), QString());
}

void TestRegisters::cashSumFailure()
{
    WindowFixture fx;
    fx.driver.failOn("GetSumm", -3, "Порт недоступен");
    fx.widget<QTextEdit>("teQueryResult")->setPlainText("прежняя сумма");

    fx.click("pbtnQueryGetSumm");

    QCOMPARE(fx.driver.writesAndActions(), QStringList{"GetSumm()"});
    QVERIFY(!fx.driver.log().contains("Summ?"));
    QCOMPARE(fx.widget<QTextEdit>("teQueryResult")->toPlainText(), QString());
    QCOMPARE(fx.errorLine(), QString("[-3] Порт недоступен"));
}

FPTR_TEST_MAIN(TestRegisters)
#include "tst_registers.moc"
