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

        // -200 to -299: reports, registers, data reports

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
