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

        // -100 to -199: shifts, receipts, cash, fiscal properties, fiscal storage

        // -200 to -299: reports, registers, data reports

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
