#include "tables.h"

#include <QCoreApplication>

#include <initializer_list>

// Tables whose keys are placeholders are translated as one text and get their
// keys afterwards, so a translation can change the texts but never a key.

namespace {

QString withKeys(const char *text, std::initializer_list<int> keys)
{
    QString result = QCoreApplication::translate("Tables", text);
    for (int key : keys)
        result = result.arg(key);
    return result;
}

} // namespace

const QChar DoubleWidthChar(0x00BB);
const QChar PictureNumChar(0x00B6);
const QChar BarcodeNumChar(0x00A5);

const QString operationTypes = QCoreApplication::translate("Tables",
    "0:Приход;"
    "1:Расход;"
    "2:Возврат прихода;"
    "3:Возврат расхода;"
    "4:Коррекция прихода;"
    "5:Коррекция расхода;"
    "6:Коррекция возврата прихода;"
    "7:Коррекция возврата расхода;");

const QString modes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Выбора;"
    "%2:Регистрации;"
    "%3:Отчетов без гашения;"
    "%4:Отчетов с гашением;"
    "%5:Программирования;"
    "%6:Доступа к ФП/Ввода ЗН;"
    "%7:Доступа к ЭКЛЗ/ФН;"
    "%8:Дополнительный;"),
    {0, 1, 2, 3, 4, 5, 6, 7});

const QString chequeTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Продажа / приход;"
    "%2:Возврат продажи / прихода;"
    "%3:Анулирование продажи;"
    "%4:Покупка / расход;"
    "%5:Возврат покупки / расхода;"
    "%6:Аннулирование покупки;"
    "%7:Коррекция прихода;"
    "%8:Коррекция возврата прихода;"
    "%9:Коррекция расхода;"
    "%10:Коррекция возврата расхода;"),
    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});

const QString paymentTypes = QCoreApplication::translate("Tables",
    "0:Наличными;"
    "1:Тип оплаты 1;"
    "2:Тип оплаты 2;"
    "3:Тип оплаты 3;"
    "4:Тип оплаты 4;"
    "5:Тип оплаты 5;"
    "6:Тип оплаты 6;"
    "7:Тип оплаты 7;"
    "8:Тип оплаты 8;"
    "9:Тип оплаты 9;");

const QString discountTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Сумма;"
    "%2:Процент;"),
    {0, 1});

const QString destinations = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:На чек;"
    "%2:На позицию;"),
    {0, 1});

const QString textWraps = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Нет переноса;"
    "%2:По словам;"
    "%3:По строке;"),
    {0, 1, 2});

const QString alignments = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:По левому краю;"
    "%2:По центру;"
    "%3:По правому краю;"),
    {0, 1, 2});

const QString registrationReports = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Гашение контрольной ленты;"
    "%2:Суточный отчет с гашением;"
    "%3:Отчет без гашения;"
    "%4:Отчет по секциям;"
    "%5:Отчет по кассирам;"
    "%6:Отчет по часам;"
    "%7:Отчет по кол-ву;"
    "%8:Печать документа по номеру;"
    "%9:Печать КЛ полностью;"
    "%10:Печать КЛ сокращенно;"
    "%11:Служебный отчет;"
    "%12:Электронный отчет с SD;"
    "%13:ЭЖ по диапазону документов;"
    "%14:ЭЖ по диапазону смен;"),
    {0, 1, 2, 7, 8, 10, 11, 34, 35, 36, 38, 39, 50, 51});

const QString fiscalEklzReports = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:ФП краткий по датам;"
    "%2:ФП краткий по сменам;"
    "%3:ФП полный по датам;"
    "%4:ФП полный по сменам;"
    "%5:ЭКЛЗ итоги активации;"
    "%6:ЭКЛЗ итоги смены;"
    "%7:ЭКЛЗ контрольная лента смены;"
    "%8:ЭКЛЗ документ по номеру КПК;"
    "%9:ЭКЛЗ по датам краткий по отделам;"
    "%10:ЭКЛЗ по датам полный по отделам;"
    "%11:ЭКЛЗ по датам краткий по итогам смен;"
    "%12:ЭКЛЗ по датам полный по итогам смен;"
    "%13:ЭКЛЗ по сменам краткий по отделам;"
    "%14:ЭКЛЗ по сменам полный по отделам;"
    "%15:ЭКЛЗ по сменам краткий по итогам смен;"
    "%16:ЭКЛЗ по сменам полный по итогам смен;"),
    {3, 4, 5, 6, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33});

const QString dataReports = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:ПО ККТ;"
    "%2:ПО модуля ККТ;"
    "%3:Данные ЭЖ;"
    "%4:Последний чек;"),
    {19, 20, 41, 46});

const QString unitTypes = QCoreApplication::translate("Tables",
    "1:Процессор с внутренним ПО ККТ;"
    "2:Процессор управления фискальной памятью;"
    "3:Bootblock процессора в внутренним ПО;"
    "4:Процессор управления принтером;"
    "5:Bootblock процессора управления принтером;");

const QString barcodeTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:EAN8;"
    "%2:EAN13;"
    "%3:UPCA;"
    "%4:Code39;"
    "%5:QR Code;"
    "%6:PDF 417;"
    "%7:ITF14;"
    "%8:Interleaved 2 of 5;"
    "%9:UPCE;"
    "%10:Codabar;"
    "%11:Code93;"
    "%12:Code128;"),
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});

const QString barcodeQRCorrections = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:По настройке;"
    "%2:~20% (L);"
    "%3:~37% (M);"
    "%4:~55% (Q);"
    "%5:~65% (H);"),
    {0, 1, 2, 3, 4});

const QString barcodeQREncodings = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:ISO8859;"
    "%2:UTF-8;"),
    {0, 1});

const QString barcodeQREncodingModes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Числовой;"
    "%2:Буквенно-числовой;"
    "%3:8-битный;"
    "%4:ECI;"),
    {0, 1, 2, 3});

const QString barcodePDFPackingMode = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Автоматический;"
    "%2:Текстовый;"
    "%3:Бинарный;"
    "%4:Числовой;"),
    {0, 1, 2, 3});

const QString printPurpose = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Только на ЧЛ;"
    "%2:Только на КЛ;"
    "%3:На ЧЛ и КЛ;"),
    {0, 1, 2});

const QString fontHeights = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:По настройке;"
    "%2:Растянутый;"
    "%3:Единичный;"),
    {0, 1, 2});

const QString fieldFormat = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Целое (BCD);"
    "%2:Строка (тип 1);"
    "%3:Массив байтов;"
    "%4:Целое (BIN);"
    "%5:Строка (тип 2);"),
    {0, 1, 2, 3, 4});

const QString connectorTypes = QCoreApplication::translate("Tables",
    "0:USB;"
    "1:Ethernet;"
    "2:RS232 (дисплейный порт);");

const QString fileOpenModes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:На чтение;"
    "%2:На запись;"
    "%3:На чтение и запись;"),
    {0, 1, 2});

const QString fileOpenTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Открыть существующий;"
    "%2:Создать новый;"),
    {0, 1});

const QString counterTypes = QCoreApplication::translate("Tables",
    "1:Постоянный;"
    "2:Сбрасываемый;");

const QString stepCounterTypes = QCoreApplication::translate("Tables",
    "0:Общее кол-во шагов;"
    "1:Кол-во шагов вперед;");

const QString powerSupplyTypes = QCoreApplication::translate("Tables",
    "0:Внешний блок питания;"
    "1:Батарея часов;"
    "2:Встроенные аккумуляторы;");

const QString externalPortModes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Выключен;"
    "%2:Синхронно;"
    "%3:Асинхронно;"),
    {0, 1, 2});

const QString modemConnectionTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:TCP/IP;"
    "%2:UDP;"),
    {1, 2});

const QString fiscalPropertyTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Сырые данные;"
    "%2:Беззнаковое целое (0..255);"
    "%3:Беззнаковое целое (0..65535);"
    "%4:Беззнаковое целое (0..4294967295);"
    "%5:UnixTime;"
    "%6:Строка;"),
    {0, 1, 2, 3, 4, 5});

const QString counterDimensions = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:7 BCD;"
    "%2:9 BCD;"),
    {0, 1});

const QString fnReportTypes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:Отчет о регистрации/перерегистрации;"
    "%2:Документ по номеру;"
    "%3:Состояние расчетов;"
    "%4:Диагностика соединения с ОФД;"
    "%5:Счетчики итогов смены;"
    "%6:Счетчики итогов ФН;"
    "%7:Счетчики по непереданным ФД;"),
    {22, 25, 42, 45, 47, 48, 49});

const QString taxModes = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:На позицию;"
    "%2:На единицу;"),
    {0, 1});

const QString taxNumbersFull = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:По секции;"
    "%2:НДС 0%;"
    "%3:НДС 10%;"
    "%4:НДС 18% (20%);"
    "%5:Без НДС;"
    "%6:НДС 10/110;"
    "%7:НДС 18/118 (20/120);"),
    {0, 1, 2, 3, 4, 5, 6});

const QString taxNumbers = withKeys(QT_TRANSLATE_NOOP("Tables",
    "%1:НДС 0%;"
    "%2:НДС 10%;"
    "%3:НДС 18% (20%);"
    "%4:Без НДС;"
    "%5:НДС 10/110;"
    "%6:НДС 18/118 (20/120);"),
    {1, 2, 3, 4, 5, 6});

const QString registers = QCoreApplication::translate("Tables",
    "1:Сумма регистраций;"
    "2:Сумма сторно;"
    "3:Сумма платежей;"
    "4:Сумма внесений;"
    "5:Сумма выплат;"
    "6:Кол-во регистраций;"
    "7:Кол-во сторно;"
    "8:Кол-во внесений;"
    "9:Кол-во выплат;"
    "10:Наличность в кассе;"
    "11:Выручка;"
    "12:Сменный итог;"
    "13:Необнуляемая сумма ФП;"
    "14:Необнуляемая сумма после перерегистрации;"
    "15:Остаток перерегистраций;"
    "16:Остаток сменных записей в ФП;"
    "17:Текущие дата/время;"
    "18:Дата/время закрытия смены;"
    "19:Информация о чеке;"
    "20:Сумма чека;"
    "21:Номер смены;"
    "22:Заводской номер;"
    "23:Модель, версия, подверсия ККТ;"
    "24:Ширина строки;"
    "25:Кол-во байт в пакете;"
    "26:Кол-во оставшихся активаций ЭКЛЗ/ФН;"
    "27:ИНН, РНМ, Начальная смена;"
    "28:Номер ЭКЛЗ, дата и смена активизации;"
    "29:Фискальная станция;"
    "30:Сумма посл. записи в ФП;"
    "31:Счётчик зарегистрированных налогов;"
    "32:Счетчик скидок / надбавок;"
    "33:Кол-во отрезов;"
    "34:Кол-во шагов двигателя промотки;"
    "35:Кол-во циклов нагрева головки;"
    "36:Версия и сборка электронного модуля;"
    "38:Состояние источника питания;"
    "39:Температура ТПМ;"
    "40:Необнуляемая сумма;"
    "41:Налоги;"
    "42:Скидки;"
    "43:Коды ошибок обмена с ОФД;"
    "44:Количество не отправленных документов в ФН;"
    "45:Дата самого раннего не отправленного документа в ФН;"
    "46:Сумма аннулированных чеков;"
    "47:Информация о ФН;"
    "48:Информация о последней перерегистрации;"
    "51:Информация о последнем чеке в ФН;"
    "52:Информация о последнем документе в ФН;"
    "53:Информация о смене в ФН;"
    "54:Версии ФФД;"
    "55:Расширенная ошибка ККТ;"
    "56:Необнуляемая сумма по типам оплат;"
    "57:Дата и время отправки последнего документа в ОФД;"
    "58:Общий счетчик кол-ва расчетных документов с момента общего гашения;"
    "59:Флаги;"
    "60:Сумма налога за смену;"
    "61:Сумма налога на чек;"
    "63:Счетчик количества отчетов об открытии и закрытии смены в буфере;"
    "65:Количество закрытых / отмененных чеков;"
    "66:Количество байт, переданных в открытом чеке;"
    "67:Время работы ККТ после включения / перезагрузки;"
    "70:Информация о предыдущей смене;");

const QVector<ComboTable> &comboTables()
{
    static const QVector<ComboTable> combos = {
        {"cmbMode", &modes},
        {"cmbChequeType", &chequeTypes},
        {"cmbRegisterChequeType", &chequeTypes},
        {"cmbPaymentType", &paymentTypes},
        {"cmbRegisterPaymentType", &paymentTypes},
        {"cmbDiscountType", &discountTypes},
        {"cmbTextWrap", &textWraps},
        {"cmbCommodityNameWrap", &textWraps},
        {"cmbTextAlignment", &alignments},
        {"cmbBarcodeAlignment", &alignments},
        {"cmbPictureAlignment", &alignments},
        {"cmbDestination", &destinations},
        {"cmbRegistrationReportType", &registrationReports},
        {"cmbFiscalReportType", &fiscalEklzReports},
        {"cmbBarcodeQRCorrection", &barcodeQRCorrections},
        {"cmbBarcodeQREncoding", &barcodeQREncodings},
        {"cmbBarcodeQREncodingMode", &barcodeQREncodingModes},
        {"cmbBarcodePDFPackingMode", &barcodePDFPackingMode},
        {"cmbBarcodeType", &barcodeTypes},
        {"cmbCRFontHeight", &fontHeights},
        {"cmbCQFontHeight", &fontHeights},
        {"cmbDataReportType", &dataReports},
        {"cmbECRUnitType", &unitTypes},
        {"cmbFieldType", &fieldFormat},
        {"cmbValuePurpose", &values},
        {"cmbCaptionPurpose", &captions},
        {"cmbPrintPurpose", &printPurpose},
        {"cmbBarcodePrintPurpose", &printPurpose},
        {"cmbDemoPrintPurpose", &printPurpose},
        {"cmbRegisterNumber", &registers},
        {"cmbOperationType", &operationTypes},
        {"cmbConnectorType", &connectorTypes},
        {"cmbSDFileOpenMode", &fileOpenModes},
        {"cmbSDFileOpenType", &fileOpenTypes},
        {"cmbPowerSupplyType", &powerSupplyTypes},
        {"cmbCounterType", &counterTypes},
        {"cmbStepCounterType", &stepCounterTypes},
        {"cmbPinPadMode", &externalPortModes},
        {"cmbModemMode", &externalPortModes},
        {"cmbWiFiMode", &externalPortModes},
        {"cmbModemConnectionType", &modemConnectionTypes},
        {"cmbWiFiConnectionType", &modemConnectionTypes},
        {"cmbFiscalPropertyType", &fiscalPropertyTypes},
        {"cmbPosFiscalPropertyType", &fiscalPropertyTypes},
        {"cmbCounterDimension", &counterDimensions},
        {"cmbFNReportType", &fnReportTypes},
        {"cmbFmtTextAlignment", &alignments},
        {"cmbFmtTextWrap", &textWraps},
        {"cmbTaxMode", &taxModes},
        {"cmbTaxNumber", &taxNumbersFull},
        {"cmbReceiptTaxNumber", &taxNumbers},
    };
    return combos;
}
