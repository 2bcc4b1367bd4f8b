// The main window's form: every widget the window's handlers find by name is
// there exactly once with the right class, caption, range and read-only flag,
// and every page shows its controls at the window's initial size without
// squeezing, clipping or overlapping them. The form is set up on a plain
// QMainWindow, the way the window itself sets it up.

#include "testmain.h"

#include "fptrmainwindowform.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

#include <climits>

namespace {

struct ExpectedObject
{
    const char *name;
    const char *className;
    const char *caption; // own text of buttons and check boxes, else the label left of it
};

const ExpectedObject expectedObjects[] = {
    {"centralwidget", "QWidget", nullptr},
    {"statusbar", "QStatusBar", nullptr},
    {"scrollArea", "QScrollArea", nullptr},
    {"scrollAreaWidgetContents", "QWidget", nullptr},
    {"stackedWidgetMain", "QStackedWidget", nullptr},
    {"frameDevices", "QFrame", nullptr},
    {"frameModes", "QFrame", nullptr},
    {"frameInfo", "QFrame", nullptr},
    {"twOperations", "QTabWidget", nullptr},
    {"tabRegistration", "QWidget", nullptr},
    {"tabDiscounts", "QWidget", nullptr},
    {"tabSumm", "QWidget", nullptr},
    {"tabReports", "QWidget", nullptr},
    {"twPrint", "QTabWidget", nullptr},
    {"tabText", "QWidget", nullptr},
    {"tabField", "QWidget", nullptr},
    {"tabBarcodes", "QWidget", nullptr},
    {"tabPictures", "QWidget", nullptr},
    {"twFiscalEKLZ", "QTabWidget", nullptr},
    {"tabFiscal", "QWidget", nullptr},
    {"tabEKLZ", "QWidget", nullptr},
    {"tabFiscalReports", "QWidget", nullptr},
    {"twProgramming", "QTabWidget", nullptr},
    {"tabTables", "QWidget", nullptr},
    {"tabPicturesInMem", "QWidget", nullptr},
    {"tab_3", "QWidget", nullptr},
    {"twExternalDevices", "QTabWidget", nullptr},
    {"tabScanner", "QWidget", nullptr},
    {"tabPinPad", "QWidget", nullptr},
    {"tabModem", "QWidget", nullptr},
    {"tabWiFi", "QWidget", nullptr},
    {"stackedWidgetBarcodes", "QStackedWidget", nullptr},
    {"pageSimpleBarcodes", "QWidget", nullptr},
    {"pageQR", "QWidget", nullptr},
    {"pagePDF", "QWidget", nullptr},
    {"frameDeviceList", "QFrame", nullptr},
    {"frameFN", "QFrame", nullptr},
    {"frameRegisters", "QFrame", nullptr},
    {"frameQueries", "QFrame", nullptr},
    {"frameDataReports", "QFrame", nullptr},
    {"frameService", "QFrame", nullptr},
    {"pageDeviceList", "QWidget", nullptr},
    {"pageOperations", "QWidget", nullptr},
    {"pagePrint", "QWidget", nullptr},
    {"pageFiscalEKLZ", "QWidget", nullptr},
    {"pageFN", "QWidget", nullptr},
    {"pageProgramming", "QWidget", nullptr},
    {"pageRegisters", "QWidget", nullptr},
    {"pageQueries", "QWidget", nullptr},
    {"pageDataReports", "QWidget", nullptr},
    {"pageLowLevel", "QWidget", nullptr},
    {"pageService", "QWidget", nullptr},
    {"pagePeripherials", "QWidget", nullptr},
    {"pageSD", "QWidget", nullptr},
    {"pageExternalDevices", "QWidget", nullptr},
    {"cmbDeviceList", "QComboBox", "Устройство печати:"},
    {"pbtnAddPrinter", "QPushButton", "Добавить ПЧ"},
    {"pbtnAddECR", "QPushButton", "Добавить ККТ"},
    {"pbtnRemoveDevice", "QPushButton", "Удалить устройство"},
    {"pbtnRenameDevice", "QPushButton", "Переименовать устройство"},
    {"lePositionClassifier", "QLineEdit", "Классификатор:"},
    {"spinPositionType", "QSpinBox", "Предмет расчета:"},
    {"spinTaxSum", "QDoubleSpinBox", "Сумма налога:"},
    {"spinQuantity", "QDoubleSpinBox", "Количество:"},
    {"leCommodityName", "ExtendedLineEdit", "Название:"},
    {"spinPositionSum", "QDoubleSpinBox", "Сумма позиции:"},
    {"leUserAddressFiscalProperty", "QLineEdit", "E-mail / телефон\nпользователя:"},
    {"leSessionCaption", "ExtendedLineEdit", "Текст смены:"},
    {"cmbCommodityNameWrap", "QComboBox", "Перенос текста:"},
    {"cmbTaxMode", "QComboBox", "Режим работы\nс налогом:"},
    {"cbPosFiscalPropertyPrint", "QCheckBox", "Печатать реквизит"},
    {"lePosFiscalPropertyValue", "QLineEdit", "Значение реквизита:"},
    {"cmbPosFiscalPropertyType", "QComboBox", "Тип значения реквизита:"},
    {"spinPositionPaymentType", "QSpinBox", "Способ расчета:"},
    {"cmbTaxNumber", "QComboBox", "Ставка налога:"},
    {"spinPrice", "QDoubleSpinBox", "Цена:"},
    {"spinPosFiscalPropertyNumber", "QSpinBox", "Номер реквизита:"},
    {"cbPiece", "QCheckBox", "Штучный товар"},
    {"cbUseOnlyTaxNumber", "QCheckBox", "Использовать только ставку налога"},
    {"spinDepartment", "QSpinBox", "Секция:"},
    {"spinRemainder", "QDoubleSpinBox", "Остаток / сдача:"},
    {"spinChange", "QDoubleSpinBox", "Остаток / сдача:"},
    {"spinPaymentSumm", "QDoubleSpinBox", "Сумма оплаты:"},
    {"cmbPaymentType", "QComboBox", "Тип оплаты / закрытия:"},
    {"cbCheckSumm", "QCheckBox", "Проверять сумму"},
    {"cbPrintCheck", "QCheckBox", "Печатать чек"},
    {"cbRegistrationTestMode", "QCheckBox", "Тестовый режим"},
    {"spinPositionDiscountInfo", "QDoubleSpinBox", "Информация о скидке:"},
    {"cmbChequeType", "QComboBox", "Тип чека:"},
    {"pbtnCancelCheque", "QPushButton", "Отменить чек"},
    {"pbtnCloseCheque", "QPushButton", "Закрыть чек"},
    {"pbtnPrintLastCheckCopy", "QPushButton", "Печать \nпоследнего чека"},
    {"pbtnPayment", "QPushButton", "Оплата"},
    {"pbtnNewDocument", "QPushButton", "Новый\nдокумент"},
    {"pbtnStornoPayment", "QPushButton", "Отмена оплаты"},
    {"pbtnOpenCheque", "QPushButton", "Открыть чек"},
    {"pbtnOpenSession", "QPushButton", "Открыть смену"},
    {"pbtnRecWriteFiscalProperty", "QPushButton", "Записать реквизит"},
    {"pbtnSellReturn", "QPushButton", "Возврат\nпродажи / прихода"},
    {"pbtnCorrection", "QPushButton", "Коррекция прихода"},
    {"pbtnReturnCorrection", "QPushButton", "Коррекция\nвозврата прихода"},
    {"pbtnBuyAnnulate", "QPushButton", "Аннулир. покупки"},
    {"pbtnSellAnnulate", "QPushButton", "Аннулир. продажи"},
    {"pbtnBuyCorrection", "QPushButton", "Коррекция расхода"},
    {"pbtnSell", "QPushButton", "Продажа / приход"},
    {"pbtnBuy", "QPushButton", "Покупка / расход"},
    {"pbtnBuyReturnCorrection", "QPushButton", "Коррекция\nвозврата расхода"},
    {"pbtnStorno", "QPushButton", "Сторно"},
    {"pbtnBuyReturn", "QPushButton", "Возврат \nпокупки / расхода"},
    {"pbtnResetFiscalProperties", "QPushButton", "Очистить\nреквизиты"},
    {"pbtnAddFiscalProperty", "QPushButton", "Добавить\nреквизит"},
    {"cbDiscountTestMode", "QCheckBox", "Тестовый режим"},
    {"cmbDestination", "QComboBox", "Область действия:"},
    {"spinDiscountValue", "QDoubleSpinBox", "Сумма / процент:"},
    {"cmbDiscountType", "QComboBox", "Тип скидки / надбавки:"},
    {"spinDiscountNumber", "QSpinBox", "Номер скидки / надбавки:"},
    {"cmbReceiptTaxNumber", "QComboBox", "Номер налоговой ставки:"},
    {"pbtnDiscount", "QPushButton", "Скидка"},
    {"pbtnCharge", "QPushButton", "Надбавка"},
    {"pbtnResetChargeDiscount", "QPushButton", "Отменить \nскидку / надбавку"},
    {"pbtnTax", "QPushButton", "Налог"},
    {"pbtnStornoTax", "QPushButton", "Отменить налог"},
    {"spinCashSumm", "QDoubleSpinBox", "Сумма:"},
    {"cbCashTestMode", "QCheckBox", "Тестовый режим"},
    {"pbtnCashGetSumm", "QPushButton", "Сумма в ДЯ"},
    {"pbtnCashOutcome", "QPushButton", "Выплата"},
    {"pbtnCashIncome", "QPushButton", "Внесение"},
    {"cmbRegistrationReportType", "QComboBox", "Тип отчета:"},
    {"spinDocumentNumberTo", "QSpinBox", "Номер документа по:"},
    {"cbClearFlag", "QCheckBox", "Обнулять ЭЖ"},
    {"spinDocumentNumberFrom", "QSpinBox", "Номер документа с:"},
    {"spinReportSessionTo", "QSpinBox", "Номер смены по:"},
    {"spinReportSessionFrom", "QSpinBox", "Номер смены с:"},
    {"pbtnRegistrationReport", "QPushButton", "Снять отчет"},
    {"cmbTextWrap", "QComboBox", "Перенос текста:"},
    {"cmbTextAlignment", "QComboBox", "Выравнивание:"},
    {"leText", "ExtendedLineEdit", "Строка:"},
    {"pbtnPrintText", "QPushButton", "Печать текста"},
    {"pbtnPrintHeader", "QPushButton", "Печать клише"},
    {"pbtnPrintFooter", "QPushButton", "Печать конца чека"},
    {"pbtnContinuePrint", "QPushButton", "Допечатать"},
    {"spinCQFontLinespacing", "QSpinBox", "Межстрочный \nинтервал ЧЛ:"},
    {"cmbCQFontHeight", "QComboBox", "Высота ЧЛ:"},
    {"leFieldText", "ExtendedLineEdit", "Строка:"},
    {"spinCRFontLinespacing", "QSpinBox", "Межстрочный\nинтервал КЛ:"},
    {"spinCRFontBrightness", "QSpinBox", "Яркость КЛ:"},
    {"spinCQFontBrightness", "QSpinBox", "Яркость ЧЛ:"},
    {"cmbPrintPurpose", "QComboBox", "Печать на:"},
    {"cmbFmtTextAlignment", "QComboBox", "Выравнивание:"},
    {"cmbCRFontHeight", "QComboBox", "Высота КЛ:"},
    {"cmbFmtTextWrap", "QComboBox", "Перенос текста:"},
    {"cbTextFieldTestMode", "QCheckBox", "Тестовый режим"},
    {"cbFontUnderline", "QCheckBox", "Подчеркнутый"},
    {"cbFontNegative", "QCheckBox", "Инверсный"},
    {"cbFontBold", "QCheckBox", "Жирный"},
    {"cbFontDblWidth", "QCheckBox", "Двойная ширина"},
    {"spinCQFontIndex", "QSpinBox", "Шрифт ЧЛ:"},
    {"spinCRFontIndex", "QSpinBox", "Шрифт КЛ:"},
    {"pbtnAddField", "QPushButton", "Добавить поле"},
    {"pbtnPrintFormattedText", "QPushButton", "Печать с форматир."},
    {"spinBarcodeSimpleHeight", "QSpinBox", "Высота:"},
    {"cmbBarcodeQREncodingMode", "QComboBox", "Режим кодировки:"},
    {"cmbBarcodeQREncoding", "QComboBox", "Кодировка:"},
    {"cmbBarcodeQRCorrection", "QComboBox", "Коррекция:"},
    {"spinBarcodeQRVersion", "QSpinBox", "Версия:"},
    {"cbBarcodePDFUseCorrection", "QCheckBox", "Корреция"},
    {"cbBarcodePDFUseProprotions", "QCheckBox", "Пропорции"},
    {"cbBarcodePDFUseRows", "QCheckBox", "Строки"},
    {"cbBarcodePDFUseColumns", "QCheckBox", "Столбцы"},
    {"cbBarcodePDFUseCodewords", "QCheckBox", "Кодовые слова"},
    {"cbBarcodePDFInvert", "QCheckBox", "Инвертировать"},
    {"cmbBarcodePDFPackingMode", "QComboBox", "Режим упаковки:"},
    {"spinBarcodePDFProportions", "QSpinBox", "Пропорции ШК:"},
    {"spinBarcodePDFPixelProportions", "QSpinBox", "Пропорции пикс.:"},
    {"spinBarcodePDFRows", "QSpinBox", "Строки / столбцы:"},
    {"spinBarcodePDFColumns", "QSpinBox", "Строки / столбцы:"},
    {"spinBarcodePDFCorrection", "QSpinBox", "Коррекция:"},
    {"leBarcode", "QLineEdit", "Штрихкод:"},
    {"spinBarcodeLeftMargine", "QSpinBox", "Отступ слева:"},
    {"cmbBarcodeType", "QComboBox", "Тип штрихкода:"},
    {"spinBarcodeScale", "QDoubleSpinBox", "Масштаб:"},
    {"cmbBarcodeAlignment", "QComboBox", "Выравнивание:"},
    {"spinBarcodeNumber", "QSpinBox", "Номер ШК:"},
    {"cmbBarcodePrintPurpose", "QComboBox", "Печатать на:"},
    {"spinBarcodeBottomMargin", "QSpinBox", "Отступ после:"},
    {"cbBarcodeDefferedPrint", "QCheckBox", "Отложенная печать"},
    {"cbBarcodePrintText", "QCheckBox", "Печатать текст"},
    {"cbBarcodeCheckCRC", "QCheckBox", "Штрихкод с CRC"},
    {"gbBarcodePrintType", "QGroupBox", nullptr},
    {"rbBarcodeAuto", "QRadioButton", "Автоматически"},
    {"rbBarcodeSoftware", "QRadioButton", "Программно"},
    {"rbBarcodeHardware", "QRadioButton", "Аппаратно"},
    {"pbtnPrintBarcode", "QPushButton", "Печать штрихкода"},
    {"pbtnPrintBarcodeByNumber", "QPushButton", "Печать из ККТ"},
    {"lePictureFilename", "QLineEdit", "Файл изображения:"},
    {"spinPrintPictureNumber", "QSpinBox", "Номер изображения:"},
    {"spinPictureLeftMargine", "QSpinBox", "Отступ слева:"},
    {"spinPictureScale", "QDoubleSpinBox", "Масштаб:"},
    {"cmbPictureAlignment", "QComboBox", "Выравнивание:"},
    {"pbtnPrintPictureFromFile", "QPushButton", "Печать изображения\nиз файла"},
    {"pbtnPrintPictureFromDevice", "QPushButton", "Печать изображения\nиз ККТ"},
    {"toolbtnPictureFileNameDialog", "QToolButton", "..."},
    {"leSerialNumber", "QLineEdit", "Заводской номер:"},
    {"leINN", "QLineEdit", "ИНН / РНН:"},
    {"leMachineNumber", "QLineEdit", "РНМ:"},
    {"leTaxPassword", "QLineEdit", "Новый пароль НИ:"},
    {"pbtnSetSerialNumber", "QPushButton", "Ввод заводского номера"},
    {"pbtnFiscalization", "QPushButton", "Фискализация"},
    {"teEKLZStatus", "QTextEdit", "Состояние ЭКЛЗ:"},
    {"spinEKLZKPKNumber", "QSpinBox", "Номер КПК:"},
    {"pbtnEKLZActivation", "QPushButton", "Активация ЭКЛЗ"},
    {"pbtnEKLZStatus", "QPushButton", "Запрос состояния ЭКЛЗ"},
    {"pbtnEKLZClose", "QPushButton", "Закрытие архива ЭКЛЗ"},
    {"pbtnEKLZGetKPK", "QPushButton", "Получить значение КПК"},
    {"dateFrom", "QDateEdit", "Дата с:"},
    {"dateTo", "QDateEdit", "Дата по:"},
    {"spinReportKPKNumber", "QSpinBox", "Номер документа:"},
    {"spinSessionFrom", "QSpinBox", "Смена с:"},
    {"spinSessionTo", "QSpinBox", "Смена по:"},
    {"cmbFiscalReportType", "QComboBox", "Тип отчета:"},
    {"pbtnFPReport", "QPushButton", "Снять отчет"},
    {"pbtnGetRange", "QPushButton", "Запрос диапазонов"},
    {"cbFiscalPropertyUser", "QCheckBox", "Пользовательский реквизит"},
    {"cmbFiscalPropertyType", "QComboBox", "Тип значения реквизита:"},
    {"spinFiscalPropertyNumber", "QSpinBox", "Номер реквизита:"},
    {"leFiscalPropertyValue", "QLineEdit", "Значение реквизита:"},
    {"cbFiscalPropertyPrint", "QCheckBox", "Печатать реквизит"},
    {"leFNCommandBuffer", "QLineEdit", "Команда:"},
    {"leFNAnswerBuffer", "QLineEdit", "Ответ:"},
    {"cmbFNReportType", "QComboBox", "Тип отчета:"},
    {"spinFNDocNumber", "QSpinBox", "Номер документа:"},
    {"pbtnRunFNCommand", "QPushButton", "Выполнить"},
    {"pbtnPrintFNReport", "QPushButton", "Печать отчета"},
    {"pbtnFNActivation", "QPushButton", "Активация ФН"},
    {"pbtnFNClose", "QPushButton", "Закрытие архива ФН"},
    {"pbtnReadFiscalProperty", "QPushButton", "Получить реквизит"},
    {"pbtnWriteFiscalProperty", "QPushButton", "Ввести реквизит"},
    {"spinRowNumber", "QSpinBox", "Ряд:"},
    {"cmbCaptionPurpose", "QComboBox", "Тип строки:"},
    {"cmbValuePurpose", "QComboBox", "Тип числа:"},
    {"spinValue", "QDoubleSpinBox", "Число:"},
    {"spinTableNumber", "QSpinBox", "Таблица:"},
    {"cmbFieldType", "QComboBox", "Тип:"},
    {"spinFieldNumber", "QSpinBox", "Поле:"},
    {"leCaption", "ExtendedLineEdit", "Строка:"},
    {"leFieldValue", "ExtendedLineEdit", "Значение:"},
    {"pbtnSetField", "QPushButton", "Установить поле"},
    {"pbtnGetValue", "QPushButton", "Получить число"},
    {"pbtnSetCaption", "QPushButton", "Установить строку"},
    {"pbtnGetCaption", "QPushButton", "Получить строку"},
    {"pbtnSetValue", "QPushButton", "Установить число"},
    {"pbtnGetField", "QPushButton", "Получить поле"},
    {"lePictureMemFilename", "QLineEdit", "Имя файла:"},
    {"spinPictureMemWidth", "QSpinBox", "Размеры:"},
    {"spinPictureMemHeight", "QSpinBox", "Размеры:"},
    {"leFreeMemory", "QLineEdit", "Свободное место:"},
    {"lePictureMemState", "QLineEdit", "Сост. картинки:"},
    {"spinPictureMemNumber", "QSpinBox", "Номер изображения:"},
    {"toolbtnPictureMemFileDialog", "QToolButton", "..."},
    {"pbtnRemoveLastPicture", "QPushButton", "Удалить последнее изображение"},
    {"pbtnClearPictureArray", "QPushButton", "Очистить массив"},
    {"pbtnSavePictureToFile", "QPushButton", "Выгрузить в файл"},
    {"pbtnSavePictureToBuffer", "QPushButton", "Выгрузить в тест"},
    {"pbtnLoadPictureFromFile", "QPushButton", "Загрузить из файла"},
    {"pbtnLoadPictureFromBuffer", "QPushButton", "Загрузить из теста"},
    {"pbtnGetPictureArrayStatus", "QPushButton", "Состояние массива"},
    {"pbtnGetPictureStatus", "QPushButton", "Состояние изображения"},
    {"leBarcodeFreeMemory", "QLineEdit", "Свободное место:"},
    {"spinBarcodeMemNumber", "QSpinBox", "Номер ШК:"},
    {"teBarcodeInfo", "QTextEdit", nullptr},
    {"pbtnGetBarcode", "QPushButton", "Выгрузить в тест"},
    {"pbtnDeleteBarcode", "QPushButton", "Удалить последний штрихкод"},
    {"pbtnClearBarcodeArray", "QPushButton", "Очистить массив штрихкодов"},
    {"pushGetBarcodeArrayStatus", "QPushButton", "Состояние массива"},
    {"cmbOperationType", "QComboBox", "Тип операции:"},
    {"cmbCounterType", "QComboBox", "Тип счетчика:"},
    {"cmbStepCounterType", "QComboBox", "Тип счетчика шагов:"},
    {"cmbPowerSupplyType", "QComboBox", "Тип источника питания:"},
    {"cmbCounterDimension", "QComboBox", "Размерность счетчика:"},
    {"teRegisterData", "QTextEdit", nullptr},
    {"spinTaxTypeNumber", "QSpinBox", "Номер типа налога:"},
    {"spinDiscountTypeNumber", "QSpinBox", "Номер типа скидки:"},
    {"cmbRegisterPaymentType", "QComboBox", "Тип оплаты:"},
    {"cmbRegisterChequeType", "QComboBox", "Тип чека:"},
    {"cmbRegisterNumber", "QComboBox", "Регистр:"},
    {"spinRegisterDepartment", "QSpinBox", "Номер отдела:"},
    {"spinRegisterCounter", "QSpinBox", "Значение счетчика:"},
    {"pbtnGetRegister", "QPushButton", "Получить регистр"},
    {"spinUnitType", "QSpinBox", "Номер модуля :"},
    {"teQueryResult", "QTextEdit", nullptr},
    {"pbtnQueryGetStatus", "QPushButton", "Состояние"},
    {"pbtnGetUnitVersion", "QPushButton", "Версия ПО модуля"},
    {"pbtnQueryGetSumm", "QPushButton", "Наличные"},
    {"teDataReportResult", "QTextEdit", nullptr},
    {"cmbDataReportType", "QComboBox", "Данные для чтения:"},
    {"cmbECRUnitType", "QComboBox", "Модуль ККТ:"},
    {"pbtnEndReport", "QPushButton", "Закончить чтение"},
    {"pbtnBeginReport", "QPushButton", "Начать чтение"},
    {"pbtnGetRecord", "QPushButton", "Прочесть"},
    {"pbtnGetAllRecords", "QPushButton", "Прочесть все"},
    {"spinPortNumber", "QSpinBox", "Номер порта:"},
    {"leAnswerBuffer", "QLineEdit", "Ответ:"},
    {"leCommandBuffer", "QLineEdit", "Команда:"},
    {"cbLowLevelNeedResultFlag", "QCheckBox", "Ждать ответ"},
    {"spinTimeoutACK", "QSpinBox", "Таймаут ACK:"},
    {"spinTimeoutENQ", "QSpinBox", "Таймаут ENQ:"},
    {"pbtnRunCommand", "QPushButton", "Выполнить"},
    {"pbtnWriteData", "QPushButton", "Передать данные в порт"},
    {"timeEdit", "QTimeEdit", "Время:"},
    {"spinPointPosition", "QSpinBox", "Точка:"},
    {"cmbDemoPrintPurpose", "QComboBox", "Печатать на:"},
    {"cmbConnectorType", "QComboBox", "Тип разъема:"},
    {"dateEdit", "QDateEdit", "Дата:"},
    {"pbtnResetSummary", "QPushButton", "Общее гашение"},
    {"pbtnGetStatus", "QPushButton", "Обновить состояние"},
    {"pbtnTestDevice", "QPushButton", "Тестовый прогон"},
    {"pbtnSetDate", "QPushButton", "Установить дату и время"},
    {"pbtnGetSystemDateTime", "QPushButton", "Дата/время из ПК"},
    {"pbtnTestConnector", "QPushButton", "Проверка разъема"},
    {"pbtnTechZero", "QPushButton", "Технологическое обнуление"},
    {"pbtnInitTables", "QPushButton", "Инициализация"},
    {"pbtnDemoPrint", "QPushButton", "Тестовая печать"},
    {"pbtnSetPointPosition", "QPushButton", "Установить точку"},
    {"pbtnPrintInfo", "QPushButton", "Печать информации о ККТ"},
    {"spinFrequency", "QSpinBox", "Частота:"},
    {"spinDuration", "QSpinBox", "Длительность:"},
    {"spinDrawerOffTimeout", "QSpinBox", "Время выключения:"},
    {"spinDrawerOnTimeout", "QSpinBox", "Время включения:"},
    {"spinDrawerOnQuantity", "QSpinBox", "Итераций:"},
    {"pbtnPartialCut", "QPushButton", "Неполная отрезка"},
    {"pbtnBeep", "QPushButton", "Гудок"},
    {"pbtnSound", "QPushButton", "Звук"},
    {"pbtnPowerOff", "QPushButton", "Выключить"},
    {"pbtnOpedDrawer", "QPushButton", "Открыть ДЯ"},
    {"pbtnAdvancedOpenDrawer", "QPushButton", "Импульсное открытие ДЯ"},
    {"pbtnFullCut", "QPushButton", "Полная отрезка"},
    {"leSDFileData", "QLineEdit", "Данные:"},
    {"cmbSDFileOpenMode", "QComboBox", "Открыть файл:"},
    {"cmbSDFileOpenType", "QComboBox", nullptr},
    {"spinSDFileReadSize", "QSpinBox", "Байт для чтения:"},
    {"spinSDFileOffset", "QSpinBox", "Смещение в файле:"},
    {"spinSDFileSize", "QSpinBox", "Размер файла:"},
    {"leSDFileName", "QLineEdit", "Файл:"},
    {"leSDDirectory", "QLineEdit", "Путь:"},
    {"pbtnOpenDirectory", "QPushButton", "Открыть каталог"},
    {"pbtnCloseDirectory", "QPushButton", "Закрыть каталог"},
    {"pbtnReadDirectory", "QPushButton", "Читать каталог"},
    {"pbtnOpenFile", "QPushButton", "Открыть файл"},
    {"pbtnCloseFile", "QPushButton", "Закрыть файл"},
    {"pbtnWriteFile", "QPushButton", "Записать в файл"},
    {"pbtnReadFile", "QPushButton", "Читать из файла"},
    {"pbtnRemoveFile", "QPushButton", "Удалить файл"},
    {"lwScannerData", "QListWidget", nullptr},
    {"cbScannerEnabled", "QCheckBox", "Включить сканер"},
    {"pbtnClearScanData", "QPushButton", "Очистить"},
    {"spinReadPinPadSize", "QSpinBox", "Ответ:"},
    {"cmbPinPadMode", "QComboBox", "Режим обмена:"},
    {"lePinPadData", "QLineEdit", "Данные:"},
    {"lePinPadAnswer", "QLineEdit", "Ответ:"},
    {"pbtnOpenPinPad", "QPushButton", "Открыть порт"},
    {"pbtnWritePinPad", "QPushButton", "Отправить"},
    {"pbtnPowerOffPinPad", "QPushButton", "Выключить питание"},
    {"pbtnPowerOnPinPad", "QPushButton", "Включить питание"},
    {"pbtnReadPinPad", "QPushButton", "Принять"},
    {"pbtnClosePinPad", "QPushButton", "Закрыть порт"},
    {"spinReadModemSize", "QSpinBox", "Ответ:"},
    {"teModemStatus", "QTextEdit", nullptr},
    {"cmbModemMode", "QComboBox", "Режим обмена:"},
    {"spinModemIpPort", "QSpinBox", ":"},
    {"leModemIpAddress", "QLineEdit", "Адрес:"},
    {"cmbModemConnectionType", "QComboBox", "Соединение:"},
    {"leModemAnswer", "QLineEdit", "Ответ:"},
    {"leModemData", "QLineEdit", "Данные:"},
    {"pbtnCloseModem", "QPushButton", "Закрыть порт"},
    {"pbtnPowerOffModem", "QPushButton", "Выключить питание"},
    {"pbtnPowerOnModem", "QPushButton", "Включить питание"},
    {"pbtnReadModem", "QPushButton", "Принять"},
    {"pbtnGetModemStatus", "QPushButton", "Статус"},
    {"pbtnOpenModem", "QPushButton", "Открыть порт"},
    {"pbtnWriteModem", "QPushButton", "Отправить"},
    {"teWiFiStatus", "QTextEdit", nullptr},
    {"cmbWiFiMode", "QComboBox", "Режим обмена:"},
    {"cmbWiFiConnectionType", "QComboBox", "Соединение:"},
    {"leWiFiIpAddress", "QLineEdit", "Адрес:"},
    {"spinWiFiIpPort", "QSpinBox", ":"},
    {"leWiFiData", "QLineEdit", "Данные:"},
    {"leWiFiAnswer", "QLineEdit", "Ответ:"},
    {"spinReadWiFiSize", "QSpinBox", "Ответ:"},
    {"pbtnPowerOnWiFi", "QPushButton", "Включить питание"},
    {"pbtnPowerOffWiFi", "QPushButton", "Выключить питание"},
    {"pbtnOpenWiFi", "QPushButton", "Открыть порт"},
    {"pbtnCloseWiFi", "QPushButton", "Закрыть порт"},
    {"pbtnGetWiFiStatus", "QPushButton", "Статус"},
    {"pbtnWriteWiFi", "QPushButton", "Отправить"},
    {"pbtnReadWiFi", "QPushButton", "Принять"},
    {"lbCurrentDeviceName", "SqueezedLabel", nullptr},
    {"pbtnProperties", "QPushButton", "Свойства"},
    {"cbEnable", "QCheckBox", "Включено"},
    {"cmbMode", "QComboBox", "Режим:"},
    {"lePassword", "QLineEdit", "Пароль:"},
    {"pbtnSetMode", "QPushButton", "Войти"},
    {"pbtnResetMode", "QPushButton", "Выйти"},
    {"lbCharLineLength", "QLabel", nullptr},
    {"lbSessionState", "QLabel", nullptr},
    {"lbChequeState", "QLabel", nullptr},
    {"lePicture", "QLabel", nullptr},
};

struct ExpectedRange
{
    const char *name;
    double minimum;
    double maximum;
    int decimals; // -1 for integer spin boxes
};

const ExpectedRange expectedRanges[] = {
    {"spinTaxSum", 0, 1e49, 2},
    {"spinQuantity", 0, 1e9, 3},
    {"spinPositionSum", 0, 1e12, 2},
    {"spinPrice", 0, 1e9, 2},
    {"spinPosFiscalPropertyNumber", 0, 65535, -1},
    {"spinRemainder", 0, 1e9, 2},
    {"spinChange", 0, 1e9, 2},
    {"spinPaymentSumm", 0, 1e9, 2},
    {"spinPositionDiscountInfo", -1e10, 1e10, 2},
    {"spinDiscountValue", -1e9, 1e9, 2},
    {"spinCashSumm", 0, 1e9, 2},
    {"spinDocumentNumberTo", 0, 999999999, -1},
    {"spinDocumentNumberFrom", 0, 999999999, -1},
    {"spinReportSessionTo", 0, 999999999, -1},
    {"spinReportSessionFrom", 0, 999999999, -1},
    {"spinBarcodeSimpleHeight", 0, 999999999, -1},
    {"spinBarcodePDFProportions", 0, 999999999, -1},
    {"spinBarcodePDFPixelProportions", 0, 999999999, -1},
    {"spinBarcodePDFRows", 0, 999, -1},
    {"spinBarcodePDFColumns", 0, 999, -1},
    {"spinBarcodeLeftMargine", 0, 999999999, -1},
    {"spinBarcodeScale", 0, 1e9, 2},
    {"spinBarcodeBottomMargin", 0, 999999999, -1},
    {"spinPrintPictureNumber", 0, 999999999, -1},
    {"spinPictureLeftMargine", 0, 999999999, -1},
    {"spinPictureScale", 0, 1e9, 2},
    {"spinEKLZKPKNumber", 0, 99999999, -1},
    {"spinReportKPKNumber", 0, 999999999, -1},
    {"spinSessionFrom", 0, 999999999, -1},
    {"spinSessionTo", 0, 999999999, -1},
    {"spinFiscalPropertyNumber", 0, 65535, -1},
    {"spinFNDocNumber", 0, 999999999, -1},
    {"spinRowNumber", 0, 999999999, -1},
    {"spinValue", 0, 1e9, 2},
    {"spinTableNumber", 0, 999999999, -1},
    {"spinFieldNumber", 0, 999999999, -1},
    {"spinPictureMemWidth", 0, 999999999, -1},
    {"spinPictureMemHeight", 0, 999999999, -1},
    {"spinPictureMemNumber", 0, 999999999, -1},
    {"spinBarcodeMemNumber", 0, 999, -1},
    {"spinRegisterDepartment", 1, 16, -1},
    {"spinRegisterCounter", 0, 999999999, -1},
    {"spinUnitType", 0, 255, -1},
    {"spinTimeoutACK", 0, 999999999, -1},
    {"spinTimeoutENQ", 0, 999999999, -1},
    {"spinPointPosition", 0, 3, -1},
    {"spinFrequency", 0, 999999999, -1},
    {"spinDuration", 0, 999999999, -1},
    {"spinDrawerOffTimeout", 0, 999999999, -1},
    {"spinDrawerOnTimeout", 0, 999999999, -1},
    {"spinDrawerOnQuantity", 0, 999999999, -1},
    {"spinSDFileReadSize", 0, 999999999, -1},
    {"spinSDFileOffset", 0, 999999999, -1},
    {"spinSDFileSize", 0, 999999999, -1},
    {"spinReadPinPadSize", 0, 99999, -1},
    {"spinReadModemSize", 0, 99999, -1},
    {"spinModemIpPort", 0, 99999, -1},
    {"spinWiFiIpPort", 0, 99999, -1},
    {"spinReadWiFiSize", 0, 99999, -1},
};

// Spin boxes whose range the form leaves at the toolkit's default.
const char *const defaultRangeSpinBoxes[] = {
    "spinPositionType", "spinPositionPaymentType", "spinDepartment", "spinDiscountNumber",
    "spinCQFontLinespacing", "spinCRFontLinespacing", "spinCRFontBrightness",
    "spinCQFontBrightness", "spinCQFontIndex", "spinCRFontIndex", "spinBarcodeQRVersion",
    "spinBarcodePDFCorrection", "spinBarcodeNumber", "spinTaxTypeNumber",
    "spinDiscountTypeNumber", "spinPortNumber"
};

// Result areas and answer fields: the window writes them, the user does not.
const char *const readOnlyWidgets[] = {
    "teEKLZStatus", "leFNAnswerBuffer", "leFreeMemory", "lePictureMemState",
    "leBarcodeFreeMemory", "teRegisterData", "teQueryResult", "teDataReportResult",
    "leAnswerBuffer", "lePinPadAnswer", "teModemStatus", "leModemAnswer", "teWiFiStatus",
    "leWiFiAnswer"
};

struct ExpectedSection
{
    int index;
    const char *button;
    const char *caption;
    const char *page;
};

const ExpectedSection expectedSections[] = {
    {0, "pbtnSectionDevices", "Устройства", "pageDeviceList"},
    {1, "pbtnSectionOperations", "Операции", "pageOperations"},
    {2, "pbtnSectionPrint", "Печать", "pagePrint"},
    {3, "pbtnSectionFP", "ФП / ЭКЛЗ / ЭЖ", "pageFiscalEKLZ"},
    {4, "pbtnSectionFN", "ФН", "pageFN"},
    {5, "pbtnSectionProgramming", "Программирование", "pageProgramming"},
    {6, "pbtnSectionRegisters", "Регистры", "pageRegisters"},
    {7, "pbtnSectionQueries", "Запросы", "pageQueries"},
    {8, "pbtnSectionDataReports", "Данные", "pageDataReports"},
    {9, "pbtnSectionLowLevel", "Нижний уровень", "pageLowLevel"},
    {10, "pbtnSectionService", "Сервис", "pageService"},
    {12, "pbtnSectionControl", "Управление", "pagePeripherials"},
    {13, "pbtnSectionSD", "Внешний носитель", "pageSD"},
    {14, "pbtnSectionExternalDevices", "Внешние\nустройства", "pageExternalDevices"},
};

const char *const sectionPageNames[] = {
    "pageDeviceList", "pageOperations", "pagePrint", "pageFiscalEKLZ", "pageFN",
    "pageProgramming", "pageRegisters", "pageQueries", "pageDataReports",
    "pageLowLevel", "pageService", "pagePeripherials", "pageSD", "pageExternalDevices"};

bool isControl(const QWidget *w)
{
    return qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w)
        || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QTextEdit *>(w)
        || qobject_cast<const QListWidget *>(w) || w->inherits("ExtendedLineEdit");
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void windowFrame();
    void objectExistsOnce_data();
    void objectExistsOnce();
    void caption_data();
    void caption();
    void sectionButton_data();
    void sectionButton();
    void range_data();
    void range();
    void defaultRange_data();
    void defaultRange();
    void valueLimits_data();
    void valueLimits();
    void readOnly_data();
    void readOnly();
    void pageFitsWindow_data();
    void pageFitsWindow();

private:
    template<typename T = QWidget>
    T *child(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    QRect windowRect(const QWidget *w) const
    {
        return QRect(w->mapTo(m_window, QPoint(0, 0)), w->size());
    }
    void reveal(QWidget *w);
    QLabel *captionLabel(const QWidget *w) const;
    QList<QWidget *> visibleControls() const;

    QMainWindow *m_window = nullptr;
    FptrMainWindowForm m_form{};
};

void TestForm::initTestCase()
{
    m_window = new QMainWindow;
    m_form.setupAll(m_window);
    // The window fills the lists and state labels at run time; long entries
    // must not widen the pages, so the layout is checked with them in place.
    for (auto *box : m_window->findChildren<QComboBox *>())
        for (int key = 0; key < 3; ++key)
            box->addItem(QStringLiteral("%1 - Необнуляемая сумма после перерегистрации по всем секциям")
                             .arg(key));
    child<QLabel>("lbCharLineLength")->setText(QStringLiteral("Чековая лента: 48"));
    child<QLabel>("lbSessionState")->setText(QStringLiteral("Смена закрыта"));
    child<QLabel>("lbChequeState")->setText(QStringLiteral("Чек коррекции\nвозврата прихода"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestForm::cleanupTestCase()
{
    delete m_window;
    m_window = nullptr;
}

// Shows the page or tab holding w, as the section buttons and tabs would.
void TestForm::reveal(QWidget *w)
{
    for (QWidget *w2 = w; w2 && w2 != m_window; w2 = w2->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(w2->parentWidget());
        if (!stack)
            continue;
        if (auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget()))
            tabs->setCurrentWidget(w2);
        else
            stack->setCurrentWidget(w2);
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The label a user reads as w's caption: of the labels laid out with it, the
// nearest one left of it on the same line, or else the nearest one above it.
QLabel *TestForm::captionLabel(const QWidget *w) const
{
    const QRect r = windowRect(w);
    QLabel *left = nullptr;
    QLabel *above = nullptr;
    int leftEdge = INT_MIN;
    int aboveEdge = INT_MIN;
    const auto siblings = w->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    for (QLabel *label : siblings) {
        if (!label->isVisibleTo(m_window) || label == w)
            continue;
        const QRect l = windowRect(label);
        const bool sameLine = l.bottom() >= r.top() && l.top() <= r.bottom();
        const bool sameColumn = l.right() >= r.left() && l.left() <= r.right();
        if (sameLine && l.right() < r.left() && l.right() > leftEdge) {
            left = label;
            leftEdge = l.right();
        } else if (sameColumn && l.bottom() < r.top() && l.bottom() > aboveEdge) {
            above = label;
            aboveEdge = l.bottom();
        }
    }
    return left ? left : above;
}

// The visible controls of the window, without the parts of composite ones
// (the line edit of a spin box, the button of an ExtendedLineEdit, tab bars).
QList<QWidget *> TestForm::visibleControls() const
{
    QList<QWidget *> result;
    for (QWidget *w : m_window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(m_window) || !isControl(w))
            continue;
        bool part = false;
        for (QWidget *p = w->parentWidget(); p && p != m_window; p = p->parentWidget())
            part = part || isControl(p) || qobject_cast<QTabBar *>(p);
        if (!part)
            result.append(w);
    }
    return result;
}

void TestForm::windowFrame()
{
    for (const char *name : {"centralwidget", "statusbar", "scrollArea", "scrollAreaWidgetContents",
                             "stackedWidgetMain", "frameDevices", "frameModes", "frameInfo",
                             "lbCurrentDeviceName", "pbtnProperties", "cbEnable", "cmbMode",
                             "lePassword", "pbtnSetMode", "pbtnResetMode", "lbCharLineLength",
                             "lbSessionState", "lbChequeState", "lePicture", "gbBarcodePrintType",
                             "rbBarcodeAuto", "rbBarcodeSoftware", "rbBarcodeHardware",
                             "stackedWidgetBarcodes", "pageSimpleBarcodes", "pageQR", "pagePDF"})
        QVERIFY2(child(name), name);
    QCOMPARE(m_window->objectName(), QStringLiteral("FptrMainWindow"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Тест драйверов устройств печати"));
    QCOMPARE(m_window->size(), QSize(1080, 722));
    QCOMPARE(m_window->statusBar(), child<QStatusBar>("statusbar"));
    QCOMPARE(m_window->centralWidget(), child("centralwidget"));
    if (QFile::exists(QStringLiteral(":/resources/fptr.ico"))) {
        const QIcon bundled(QStringLiteral(":/resources/fptr.ico"));
        QCOMPARE(m_window->windowIcon().pixmap(32).toImage(), bundled.pixmap(32).toImage());
    }

    auto *grid = qobject_cast<QGridLayout *>(m_window->centralWidget()->layout());
    QVERIFY(grid);
    QCOMPARE(grid->spacing(), 3);
    QCOMPARE(grid->itemAtPosition(0, 0)->widget(), child("scrollArea"));
    QCOMPARE(grid->itemAtPosition(0, 1)->widget(), child("stackedWidgetMain"));
    // the right-hand column: one layout over rows 0 and 1 of column 3
    QLayoutItem *right = grid->itemAtPosition(0, 3);
    QVERIFY(right && right->layout());
    QCOMPARE(grid->itemAtPosition(1, 3), right);
    int row, column, rowSpan, columnSpan;
    grid->getItemPosition(grid->indexOf(right), &row, &column, &rowSpan, &columnSpan);
    QCOMPARE(rowSpan, 2);
    QList<QWidget *> frames;
    for (int i = 0; i < right->layout()->count(); ++i)
        if (QWidget *w = right->layout()->itemAt(i)->widget())
            frames.append(w);
    QCOMPARE(frames, (QList<QWidget *>{child("frameDevices"), child("frameModes"), child("frameInfo")}));

    auto *sections = child<QScrollArea>("scrollArea");
    QVERIFY(sections->widgetResizable());
    QCOMPARE(sections->widget(), child("scrollAreaWidgetContents"));
    // all section buttons in view without scrolling
    QVERIFY(sections->widget()->minimumSizeHint().height() <= sections->viewport()->height());

    // one page per section index; no section uses index 11, its page is empty
    auto *pages = child<QStackedWidget>("stackedWidgetMain");
    QCOMPARE(pages->count(), 15);
    QVERIFY(pages->widget(11)->findChildren<QWidget *>().isEmpty());

    auto *deviceName = child<QLabel>("lbCurrentDeviceName");
    // At least 150 pixels, and the whole width of its frame: a long name
    // wraps before it is cut.
    QVERIFY(deviceName->width() >= 150);
    QCOMPARE(deviceName->width(), child("pbtnProperties")->width());
    QVERIFY(deviceName->wordWrap());
    const auto below = [this](const char *upper, const char *lower) {
        return windowRect(child(upper)).bottom() < windowRect(child(lower)).top();
    };
    QVERIFY(below("lbCurrentDeviceName", "pbtnProperties"));
    QVERIFY(below("pbtnProperties", "cbEnable"));
    QVERIFY(below("cmbMode", "lePassword"));
    QVERIFY(below("lePassword", "pbtnSetMode"));
    QCOMPARE(windowRect(child("pbtnSetMode")).top(), windowRect(child("pbtnResetMode")).top());
    QVERIFY(windowRect(child("pbtnSetMode")).right() < windowRect(child("pbtnResetMode")).left());
    QVERIFY(below("lbCharLineLength", "lbSessionState"));
    QVERIFY(below("lbSessionState", "lbChequeState"));

    auto *preview = child<QLabel>("lePicture");
    QCOMPARE(preview->maximumSize(), QSize(300, 300));
    QVERIFY(!preview->hasScaledContents());

    // the print method radio buttons form one group
    for (const char *name : {"rbBarcodeAuto", "rbBarcodeSoftware", "rbBarcodeHardware"})
        QCOMPARE(child(name)->parentWidget(), child("gbBarcodePrintType"));
    // the barcode option pages in the order the barcode type switches them
    auto *options = child<QStackedWidget>("stackedWidgetBarcodes");
    QCOMPARE(options->count(), 3);
    QCOMPARE(options->widget(0), child("pageSimpleBarcodes"));
    QCOMPARE(options->widget(1), child("pageQR"));
    QCOMPARE(options->widget(2), child("pagePDF"));
}

void TestForm::objectExistsOnce_data()
{
    QTest::addColumn<QString>("className");
    for (const ExpectedObject &o : expectedObjects)
        QTest::newRow(o.name) << QString::fromLatin1(o.className);
}

void TestForm::objectExistsOnce()
{
    QFETCH(QString, className);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QList<QObject *> found = m_window->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
}

void TestForm::caption_data()
{
    QTest::addColumn<QString>("caption");
    for (const ExpectedObject &o : expectedObjects)
        if (o.caption)
            QTest::newRow(o.name) << QString::fromUtf8(o.caption);
}

void TestForm::caption()
{
    QFETCH(QString, caption);
    QWidget *w = child(QTest::currentDataTag());
    QVERIFY(w);
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        QCOMPARE(button->text(), caption);
        return;
    }
    reveal(w);
    QVERIFY(w->isVisibleTo(m_window));
    QLabel *label = captionLabel(w);
    QVERIFY2(label, "no label left of or above the widget");
    QCOMPARE(label->text(), caption);
}

void TestForm::sectionButton_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");
    for (const ExpectedSection &s : expectedSections)
        QTest::newRow(s.button) << s.index << QString::fromUtf8(s.caption)
                                << QString::fromLatin1(s.page);
}

void TestForm::sectionButton()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, page);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QCOMPARE(m_window->findChildren<QPushButton *>(name).size(), 1);
    auto *button = child<QPushButton>(QTest::currentDataTag());
    QCOMPARE(button->text(), caption);
    QVERIFY(button->isCheckable());
    QVERIFY(!button->isFlat());

    // the button sits in the grid row of its section index
    QWidget *column = child("scrollAreaWidgetContents");
    QCOMPARE(button->parentWidget(), column);
    auto *grid = qobject_cast<QGridLayout *>(column->layout());
    QVERIFY(grid);
    int row, col, rowSpan, colSpan;
    grid->getItemPosition(grid->indexOf(button), &row, &col, &rowSpan, &colSpan);
    QCOMPARE(row, index);
    QCOMPARE(col, 0);

    // and the page of that index is the section's page
    QCOMPARE(child<QStackedWidget>("stackedWidgetMain")->widget(index)->objectName(), page);

    // a caption on two lines gets a button tall enough for both
    QVERIFY(button->height() >= button->sizeHint().height());
}

void TestForm::range_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("decimals");
    for (const ExpectedRange &r : expectedRanges)
        QTest::newRow(r.name) << r.minimum << r.maximum << r.decimals;
}

void TestForm::range()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(int, decimals);
    QWidget *w = child(QTest::currentDataTag());
    QVERIFY(w);
    if (decimals < 0) {
        auto *spin = qobject_cast<QSpinBox *>(w);
        QVERIFY2(spin, "not an integer spin box");
        QCOMPARE(spin->minimum(), int(minimum));
        QCOMPARE(spin->maximum(), int(maximum));
    } else {
        auto *spin = qobject_cast<QDoubleSpinBox *>(w);
        QVERIFY2(spin, "not a decimal spin box");
        QCOMPARE(spin->decimals(), decimals);
        QCOMPARE(spin->minimum(), minimum);
        QCOMPARE(spin->maximum(), maximum);
    }
}

void TestForm::defaultRange_data()
{
    QTest::addColumn<int>("unused");
    for (const char *name : defaultRangeSpinBoxes)
        QTest::newRow(name) << 0;
}

void TestForm::defaultRange()
{
    QWidget *w = child(QTest::currentDataTag());
    if (auto *spin = qobject_cast<QSpinBox *>(w)) {
        QCOMPARE(spin->minimum(), 0);
        QCOMPARE(spin->maximum(), 99);
    } else {
        auto *decimal = qobject_cast<QDoubleSpinBox *>(w);
        QVERIFY2(decimal, "not a spin box");
        QCOMPARE(decimal->decimals(), 2);
        QCOMPARE(decimal->minimum(), 0.0);
        QCOMPARE(decimal->maximum(), 99.99);
    }
}

// What a user typing out-of-range or too precise values gets.
void TestForm::valueLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("expected");
    QTest::newRow("quantity keeps 3 decimals") << "spinQuantity" << 2.3456 << 2.346;
    QTest::newRow("quantity up to 1e9") << "spinQuantity" << 2e9 << 1e9;
    QTest::newRow("department 17 -> 16") << "spinRegisterDepartment" << 17.0 << 16.0;
    QTest::newRow("department 0 -> 1") << "spinRegisterDepartment" << 0.0 << 1.0;
    QTest::newRow("point position 4 -> 3") << "spinPointPosition" << 4.0 << 3.0;
    QTest::newRow("unit type 256 -> 255") << "spinUnitType" << 256.0 << 255.0;
    QTest::newRow("discount info negative") << "spinPositionDiscountInfo" << -5.25 << -5.25;
    QTest::newRow("discount value negative") << "spinDiscountValue" << -1e10 << -1e9;
    QTest::newRow("position sum 1e12") << "spinPositionSum" << 1e12 << 1e12;
    QTest::newRow("price rounds to cents") << "spinPrice" << 10.505 << 10.51;
}

void TestForm::valueLimits()
{
    QFETCH(QString, name);
    QFETCH(double, input);
    QFETCH(double, expected);
    QWidget *w = m_window->findChild<QWidget *>(name);
    QVERIFY(w);
    if (auto *spin = qobject_cast<QSpinBox *>(w)) {
        const int old = spin->value();
        spin->setValue(int(input));
        QCOMPARE(spin->value(), int(expected));
        spin->setValue(old);
    } else {
        auto *decimal = qobject_cast<QDoubleSpinBox *>(w);
        QVERIFY(decimal);
        const double old = decimal->value();
        decimal->setValue(input);
        QCOMPARE(decimal->value(), expected);
        decimal->setValue(old);
    }
}

void TestForm::readOnly_data()
{
    QTest::addColumn<bool>("readOnly");
    QSet<QString> marked;
    for (const char *name : readOnlyWidgets)
        marked.insert(QString::fromLatin1(name));
    // every text input of the form: the marked ones read-only, the others editable
    for (const ExpectedObject &o : expectedObjects) {
        const QString cls = QString::fromLatin1(o.className);
        if (cls == QLatin1String("QLineEdit") || cls == QLatin1String("QTextEdit"))
            QTest::newRow(o.name) << marked.contains(QString::fromLatin1(o.name));
    }
}

void TestForm::readOnly()
{
    QFETCH(bool, readOnly);
    QWidget *w = child(QTest::currentDataTag());
    if (auto *line = qobject_cast<QLineEdit *>(w))
        QCOMPARE(line->isReadOnly(), readOnly);
    else if (auto *text = qobject_cast<QTextEdit *>(w))
        QCOMPARE(text->isReadOnly(), readOnly);
    else
        QFAIL("not a text input");
}

void TestForm::pageFitsWindow_data()
{
    QTest::addColumn<QString>("shown");
    for (const char *page : sectionPageNames) {
        QWidget *w = child(page);
        const QList<QTabWidget *> tabs = w ? w->findChildren<QTabWidget *>() : QList<QTabWidget *>();
        if (tabs.isEmpty()) {
            QTest::newRow(page) << QString::fromLatin1(page);
            continue;
        }
        for (int i = 0; i < tabs.first()->count(); ++i) {
            QWidget *tab = tabs.first()->widget(i);
            QTest::newRow(qPrintable(tab->objectName())) << tab->objectName();
            for (auto *options : tab->findChildren<QStackedWidget *>())
                for (int p = 0; p < options->count(); ++p) {
                    const QString name = options->widget(p)->objectName();
                    QTest::newRow(qPrintable(name)) << name;
                }
        }
    }
}

void TestForm::pageFitsWindow()
{
    QFETCH(QString, shown);
    QWidget *page = m_window->findChild<QWidget *>(shown);
    QVERIFY(page);
    reveal(page);
    QCOMPARE(m_window->size(), QSize(1080, 722));

    const QList<QWidget *> controls = visibleControls();
    QVERIFY(!controls.isEmpty());
    for (QWidget *w : controls) {
        const QByteArray what = w->objectName().toLatin1() + " (" + w->metaObject()->className() + ")";
        // not squeezed below what its text or content needs
        auto *label = qobject_cast<QLabel *>(w);
        const bool fullHint = qobject_cast<QAbstractButton *>(w) || (label && !label->wordWrap());
        const QSize need = fullHint ? w->sizeHint() : w->minimumSizeHint();
        if (need.width() > 0)
            QVERIFY2(w->width() >= need.width(), what + " is too narrow");
        if (need.height() > 0)
            QVERIFY2(w->height() >= need.height(), what + " is too low");
        // not cut off by the frames around it, up to a scrolling area
        const QRect r = windowRect(w);
        for (QWidget *p = w->parentWidget(); p && p != m_window; p = p->parentWidget()) {
            auto *area = qobject_cast<QAbstractScrollArea *>(p->parentWidget());
            if (area && area->viewport() == p)
                break;
            QVERIFY2(windowRect(p).contains(r), what + " sticks out of " + p->objectName().toLatin1());
        }
    }
    // no two controls on top of each other
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!windowRect(controls[i]).intersects(windowRect(controls[j])),
                     controls[i]->objectName().toLatin1() + " overlaps "
                         + controls[j]->objectName().toLatin1());
    // a scrolling page scrolls up and down only
    for (auto *area : page->findChildren<QScrollArea *>())
        if (area->isVisibleTo(m_window) && area->widget())
            QVERIFY2(area->widget()->minimumSizeHint().width() <= area->viewport()->width(),
                     area->objectName().toLatin1() + " needs a horizontal scroll bar");
    // every tab title in view
    for (auto *tabs : m_window->findChildren<QTabWidget *>())
        if (tabs->isVisibleTo(m_window))
            QVERIFY2(tabs->tabBar()->width() >= tabs->tabBar()->sizeHint().width(),
                     tabs->objectName().toLatin1() + " cannot show all tab titles");
}

FPTR_TEST_MAIN(TestForm)
#include "tst_form.moc"
