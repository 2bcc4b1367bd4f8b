#include "core/resultcodes.h"

namespace vreg {

const std::vector<CodeEntry> &codeTable()
{
    static const std::vector<CodeEntry> table = {
        {Code::Ok, "Ошибок нет"},
        {Code::NoConnection, "Нет связи"},
        {Code::NotSupported, "Операция не поддерживается"},
        {Code::InvalidArgument, "Неверный параметр"},
        {Code::UnknownSetting, "Неизвестная настройка"},
        {Code::InvalidSettingValue, "Неверное значение настройки"},
        {Code::InvalidSettingsString, "Неверная строка настроек"},
        {Code::DialogUnavailable, "Окно настроек недоступно"},
        {Code::MemoryError, "Ошибка памяти устройства"},
        {Code::DataFolderBusy, "Папка данных занята"},
        {Code::NoMoreData, "Больше нет данных"},
        // -20 to -99: modes and passwords, tables, clock, printing, service
        {Code::WrongPassword, "Неверный пароль"},
        {Code::AccessDenied, "Недостаточно прав для входа в режим"},
        {Code::WrongMode, "Команда недоступна в текущем режиме"},
        {Code::ReceiptOpenNoModeChange, "Открыт чек: смена режима невозможна"},
        {Code::InvalidValue, "Неверное значение параметра"},
        {Code::FieldTypeMismatch, "Неверный тип поля"},
        {Code::NoSuchField, "Поле таблицы не существует"},
        {Code::ReadOnlyValue, "Значение только для чтения"},
        {Code::ShiftOpen, "Смена открыта: операция невозможна"},
        {Code::NoPaper, "Нет бумаги"},
        {Code::DocumentNotFinished, "Предыдущий документ не допечатан"},
        {Code::InvalidTextMark, "Неверная ссылка на картинку или штрихкод в тексте"},
        {Code::InvalidCommandBuffer, "Неверный формат команды"},
        {Code::UnknownCommand, "Неизвестная команда"},

        // -100 to -199: shifts, receipts, cash, fiscal properties, fiscal storage
        {Code::ShiftNotOpen, "Смена не открыта"},
        {Code::ShiftAlreadyOpen, "Смена уже открыта"},
        {Code::ShiftExpired, "Смена превысила 24 часа"},
        {Code::ReceiptNotOpen, "Чек не открыт"},
        {Code::ReceiptOfOtherType, "Открыт чек другого типа"},
        {Code::ReceiptIsOpen, "Операция невозможна при открытом чеке"},
        {Code::ReceiptInPayment, "Идет оплата чека"},
        {Code::EmptyReceipt, "В чеке нет позиций"},
        {Code::InvalidChequeType, "Неверный тип чека"},
        {Code::InvalidQuantity, "Неверное количество"},
        {Code::InvalidPrice, "Неверная цена"},
        {Code::InvalidAmount, "Неверная сумма"},
        {Code::InvalidDepartment, "Неверный номер секции"},
        {Code::InvalidTaxNumber, "Неверный номер налога"},
        {Code::InvalidPaymentType, "Неверный тип оплаты"},
        {Code::InvalidPositionField, "Неверный реквизит позиции"},
        {Code::InvalidDiscount, "Неверные параметры скидки/надбавки"},
        {Code::AmountOverflow, "Переполнение суммы"},
        {Code::InsufficientCash, "Недостаточно наличности в кассе"},
        {Code::StornoNotFound, "Позиция для сторно не найдена"},
        {Code::AdjustmentTooLarge, "Скидка/надбавка больше суммы, на которую начисляется"},
        {Code::NoAdjustment, "Нет скидки/надбавки для отмены"},
        {Code::TaxNotFound, "Налог для отмены не найден"},
        {Code::NonCashOverpayment, "Безналичная оплата больше суммы к оплате"},
        {Code::PaymentStornoTooLarge, "Сумма отмены больше оплаченной"},
        {Code::InvalidPropertyNumber, "Неверный номер реквизита"},
        {Code::InvalidPropertyType, "Неверный тип реквизита"},
        {Code::InvalidPropertyValue, "Неверное значение реквизита"},
        {Code::PropertyNotFound, "Реквизит не найден в последнем документе"},
        {Code::AlreadyFiscal, "ККТ фискализирована"},
        {Code::NotFiscal, "ККТ не фискализирована"},
        {Code::InvalidInn, "Неверный ИНН"},
        {Code::InvalidRnm, "Неверный РНМ"},
        {Code::InvalidTaxPassword, "Неверный пароль налогового инспектора"},
        {Code::InvalidSerialNumber, "Неверный заводской номер"},
        {Code::NoSerialNumber, "Не введен заводской номер"},
        {Code::StorageNotActive, "ЭКЛЗ/ФН не активирован"},
        {Code::StorageAlreadyActive, "ЭКЛЗ/ФН уже активирован"},
        {Code::ArchiveClosed, "Архив ЭКЛЗ/ФН закрыт"},
        {Code::RegistrationsExhausted, "Исчерпан лимит перерегистраций"},
        {Code::ActivationsExhausted, "Исчерпан лимит активизаций ЭКЛЗ/ФН"},
        {Code::DocumentNotFound, "Документ не найден"},
        {Code::InvalidFnCommand, "Неверная команда ФН"},
        {Code::UnknownFnCommand, "Команда ФН не поддерживается"},
        {Code::NoShiftRecords, "В фискальной памяти нет смен"},
        {Code::FiscalMemoryFull, "Фискальная память переполнена"},

        // -200 to -299: reports, registers, data reports
        {Code::UnknownRegister, "Неизвестный регистр"},
        {Code::InvalidRegisterParameter, "Неверный параметр регистра"},
        {Code::NoRegisterData, "Нет данных для регистра"},
        {Code::ShiftNotFound, "Смена не найдена"},
        {Code::InvalidReportRange, "Неверный диапазон отчета"},
        {Code::NoReportData, "Нет данных за указанный диапазон"},
        {Code::InvalidReportParameter, "Неверный параметр отчета"},
        {Code::ReportNotBegun, "Отчет не начат"},
        {Code::SdCardWriteError, "Ошибка записи на SD-карту"},

        // -300 to -399: barcodes, pictures, the tape as paper
        {Code::InvalidBarcodeType, "Неверный тип штрихкода"},
        {Code::InvalidBarcodeLength, "Неверная длина штрихкода"},
        {Code::InvalidBarcodeCharacter, "Недопустимый символ в штрихкоде"},
        {Code::WrongBarcodeCheckDigit, "Неверная контрольная цифра штрихкода"},
        {Code::InvalidBarcodeOption, "Неверный параметр штрихкода"},
        {Code::BarcodeTooLarge, "Штрихкод не помещается"},
        {Code::BarcodeNotFound, "Штрихкод не найден в памяти"},
        {Code::BarcodeMemoryFull, "Память штрихкодов заполнена"},
        {Code::PictureNotFound, "Картинка не найдена в памяти"},
        {Code::PictureMemoryFull, "Память картинок заполнена"},
        {Code::PictureTooWide, "Картинка шире ленты"},
        {Code::PictureFileError, "Файл картинки не прочитан"},
        {Code::InvalidPictureData, "Неверные данные картинки"},
        {Code::InvalidPictureOption, "Неверный параметр картинки"},

        // -400 to -499: SD card, modem, Wi-Fi, pin pad, scanner
        {Code::SdCardUnavailable, "SD-карта недоступна"},
        {Code::PathOutsideCard, "Путь ведет за пределы SD-карты"},
        {Code::InvalidFileName, "Неверное имя файла"},
        {Code::FileNotFound, "Файл или каталог не найден"},
        {Code::DirectoryNotOpen, "Каталог не открыт"},
        {Code::FileNotOpen, "Файл не открыт"},
        {Code::NotAFile, "Это не файл"},
        {Code::NotADirectory, "Это не каталог"},
        {Code::FileModeForbids, "Операция запрещена режимом открытия файла"},
        {Code::OffsetBeyondEnd, "Смещение за концом файла"},
        {Code::FileTooLarge, "Файл слишком большой"},
        {Code::SdCardIoError, "Ошибка чтения или записи SD-карты"},
        {Code::ModemPoweredOff, "Модем выключен"},
        {Code::WiFiPoweredOff, "Wi-Fi выключен"},
        {Code::PinPadPoweredOff, "Пин-пад выключен"},
        {Code::ExchangeModeOff, "Режим обмена выключен"},
        {Code::ChannelNotOpen, "Соединение не открыто"},
        {Code::ChannelAlreadyOpen, "Соединение уже открыто"},
        {Code::HostNotFound, "Адрес не найден"},
        {Code::ConnectionRefused, "Соединение отклонено"},
        {Code::ChannelTimeout, "Превышено время ожидания"},
        {Code::NetworkError, "Ошибка сети"},
        {Code::ConnectionClosed, "Соединение закрыто другой стороной"},
        {Code::ScannerPortNotSet, "Порт сканера не задан"},
        {Code::ScannerPortInUse, "Порт сканера занят"},
        {Code::ScannerPortUnavailable, "Порт сканера недоступен"},
        {Code::ScannerHandlerNotSet, "Не задан обработчик сканера"},

        {Code::EthernetNotConnected, "Ethernet: кабель не подключен"},
        {Code::DisplayPortNoDevice, "Дисплейный порт: устройство не отвечает"},
        {Code::DateChangeNeedsConfirmation, "Требуется подтверждение изменения даты"},
    };
    return table;
}

QString codeText(Code code)
{
    for (const CodeEntry &entry : codeTable()) {
        if (entry.code == code)
            return QString::fromUtf8(entry.text);
    }
    return QString();
}

} // namespace vreg
