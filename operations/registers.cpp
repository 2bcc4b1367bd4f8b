// Reading the register's internal registers and the cash sum query.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"

#include <cmath>
#include <limits>

namespace {

QString money(double value)
{
    return QString::number(value, 'f', 2);
}

QString general(double value)
{
    return QString::number(value, 'g', 6);
}

// Hardware counters (cutter, motor steps, head heating) run past 2^31: the
// driver hands them over in a signed int, so they are shown unsigned.
QString u64(int value)
{
    return QString::number(quint64(quint32(value)));
}

// Truncation toward zero. A NaN or a value beyond the target range has no
// integer counterpart (the plain conversion would be undefined), so it is
// saturated instead.
template <class Int>
Int truncated(double value)
{
    if (std::isnan(value))
        return 0;
    const double t = std::trunc(value);
    if (t <= double(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (t >= double(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return Int(t);
}

QString int32(double value)
{
    return QString::number(truncated<qint32>(value));
}

QString int64(double value)
{
    return QString::number(truncated<qint64>(value));
}

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
}

// Flag bytes: always eight places so bit positions line up, wider values
// are shown whole.
QString bin8(int value)
{
    return QStringLiteral("%1").arg(value, 8, 2, QLatin1Char('0'));
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString time6(const QTime &time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
}

QString time4(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

} // namespace

void FptrMainWindow::on_pbtnGetRegister_clicked()
{
    try {
        const int number = cmbData(ui->cmbRegisterNumber);
        setInt(&IFptr::RegisterNumber, number);
        setInt(&IFptr::CounterValue, ui->spinRegisterCounter->value());
        setInt(&IFptr::PaymentType, cmbData(ui->cmbRegisterPaymentType));
        setInt(&IFptr::ChequeType, cmbData(ui->cmbRegisterChequeType));
        setInt(&IFptr::OperationType, cmbData(ui->cmbOperationType));
        setInt(&IFptr::DiscountNumber, ui->spinDiscountTypeNumber->value());
        setInt(&IFptr::TaxNumber, ui->spinTaxTypeNumber->value());
        setInt(&IFptr::CounterType, cmbData(ui->cmbCounterType));
        setInt(&IFptr::StepCounterType, cmbData(ui->cmbStepCounterType));
        setInt(&IFptr::PowerSupplyType, cmbData(ui->cmbPowerSupplyType));
        setInt(&IFptr::CounterDimension, cmbData(ui->cmbCounterDimension));
        setInt(&IFptr::Department, ui->spinRegisterDepartment->value());
        execMethod(&IFptr::GetRegister);

        // Reads are made in the order the device fills them, which is not
        // always the order of the lines; the values are gathered into locals
        // first and the template is filled in one pass, so a text read from
        // the device can never be taken for a placeholder.
        QString text;
        switch (number) {
        case 1: case 2: case 3: case 4: case 5:
        case 10: case 11: case 12: case 13: case 14:
        case 30: case 31: case 32:
        case 40: case 46: case 60: case 61:
            text = tr("Сумма: %1").arg(money(getDouble(&IFptr::Summ)));
            break;
        case 6: case 7: case 8: case 9: case 15: case 16:
            text = tr("Количество: %1").arg(getInt(&IFptr::Count));
            break;
        case 17: {
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            text = tr("Дата: %1\nВремя: %2").arg(dateText(date), time6(time));
            break;
        }
        case 18: {
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            const int opened = getInt(&IFptr::SessionOpened);
            text = tr("Смена %1\nДата: %2\nВремя: %3")
                       .arg(opened ? tr("открыта") : tr("закрыта"), dateText(date), time6(time));
            break;
        }
        case 19: {
            const int currentMode = getInt(&IFptr::Mode);
            const int subMode = getInt(&IFptr::SubMode);
            const int docNumber = getInt(&IFptr::DocNumber);
            const int cheque = getInt(&IFptr::ChequeState);
            const int chequeNumber = getInt(&IFptr::ChequeNumber);
            text = tr("Режим %1 (%2.%3)\nНомер чека: %4\nЧек %5\nНомер документа: %6")
                       .arg(mode((subMode << 4) | currentMode), QString::number(currentMode),
                            QString::number(subMode), QString::number(chequeNumber),
                            chequeState(cheque), QString::number(docNumber));
            break;
        }
        case 20: {
            const double change = getDouble(&IFptr::Change);
            const double remainder = getDouble(&IFptr::Remainder);
            const double summ = getDouble(&IFptr::Summ);
            text = tr("Сумма: %1\nОстаток: %2\nСдача: %3")
                       .arg(money(summ), money(remainder), money(change));
            break;
        }
        case 21:
            text = tr("Смена: %1").arg(getInt(&IFptr::Session));
            break;
        case 22:
            text = tr("Заводской номер: %1").arg(getBuff(&IFptr::SerialNumber));
            break;
        case 23: {
            const QString subVersion = getBuff(&IFptr::SubVersion);
            const QString version = getBuff(&IFptr::Version);
            const int model = getInt(&IFptr::Model);
            text = tr("Модель: %1\nВерсия: %2.%3").arg(QString::number(model), version, subVersion);
            break;
        }
        case 24: {
            const int slip2 = getInt(&IFptr::SlipWidth2);
            const int slip1 = getInt(&IFptr::SlipWidth1);
            const int control2 = getInt(&IFptr::ControlTapeWidth2);
            const int control1 = getInt(&IFptr::ControlTapeWidth1);
            const int cheque2 = getInt(&IFptr::ChequeTapeWidth2);
            const int cheque1 = getInt(&IFptr::ChequeTapeWidth1);
            text = tr("Ширина ЧЛ: %1 / %2\nШирина КЛ: %3 / %4\nШирина ПД: %5 / %6")
                       .arg(QString::number(cheque1), QString::number(cheque2),
                            QString::number(control1), QString::number(control2),
                            QString::number(slip1), QString::number(slip2));
            break;
        }
        case 25:
            text = tr("Длина входного буфера ККТ: %1").arg(getInt(&IFptr::Count));
            break;
        case 26: {
            const double value = getDouble(&IFptr::Value);
            const int count = getInt(&IFptr::Count);
            text = tr("Количество оставшихся активизаций ЭКЛЗ/ФН: %1\n"
                      "Номер текущей активизации ЭКЛЗ/ФН: %2")
                       .arg(QString::number(count), general(value));
            break;
        }
        case 27: {
            const QDate date = getDate(&IFptr::Date);
            const int session = getInt(&IFptr::Session);
            const QString rnm = getBuff(&IFptr::RNM);
            const QString inn = getBuff(&IFptr::INN);
            text = tr("ИНН: %1\nРНМ: %2\nНомер смены: %3\nДата: %4")
                       .arg(inn, rnm, QString::number(session), dateText(date));
            break;
        }
        case 28: {
            const QDate date = getDate(&IFptr::Date);
            const int session = getInt(&IFptr::Session);
            const QString serial = getBuff(&IFptr::SerialNumber);
            text = tr("Номер ЭКЛЗ/ФН: %1\nНомер смены: %2\nДата: %3")
                       .arg(serial, QString::number(session), dateText(date));
            break;
        }
        case 29:
            text = tr("Фискальная станция: %1").arg(getInt(&IFptr::FiscalStation));
            break;
        case 33: case 34: case 35:
            text = tr("Количество: %1").arg(u64(getInt(&IFptr::Count)));
            break;
        case 36: {
            const QString subVersion = getBuff(&IFptr::SubVersion);
            const QString version = getBuff(&IFptr::Version);
            text = tr("Версия: %1.%2").arg(version, subVersion);
            break;
        }
        case 38: {
            const int charge = getInt(&IFptr::BatteryCharge);
            const double voltage = getDouble(&IFptr::PowerSupplyVoltage);
            const int state = getInt(&IFptr::PowerSupplyState);
            text = tr("Состояние: %1\nНапряжение: %2\nЗаряд аккумулятора: %3")
                       .arg(powerSupply(state), general(voltage), QString::number(charge));
            break;
        }
        case 39:
            text = tr("Температура: %1").arg(int32(getDouble(&IFptr::Value)));
            break;
        case 41: {
            const double summ = getDouble(&IFptr::Summ);
            const double value = getDouble(&IFptr::Value);
            text = tr("Сменный оборот налога по секциям: %1\nСумма налогов по секциям: %2")
                       .arg(money(value), money(summ));
            break;
        }
        case 42: {
            const double charges = getDouble(&IFptr::ChargeSumm);
            const double discounts = getDouble(&IFptr::DiscountSumm);
            text = tr("Сумма скидок за смену: %1\nСумма надбавок за смену: %2")
                       .arg(money(discounts), money(charges));
            break;
        }
        case 43: {
            const int fn = getInt(&IFptr::FNError);
            const int ofd = getInt(&IFptr::OFDError);
            const int network = getInt(&IFptr::NetworkError);
            text = tr("Ошибка сети: %1\nОшибка ОФД: %2\nОшибка ФН: %3")
                       .arg(hex2(network), hex2(ofd), hex2(fn));
            break;
        }
        case 44:
            text = tr("Количество не отправленных документов в ФН: %1").arg(getInt(&IFptr::Count));
            break;
        case 45: {
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            text = tr("Дата самого раннего не отправленного документа в ФН: %1 %2")
                       .arg(dateText(date), time4(time));
            break;
        }
        case 47: {
            const int flags = getInt(&IFptr::FNFlags);
            const QString serial = getBuff(&IFptr::SerialNumber);
            text = tr("Номер ФН: %1\nФлаги состояния ФН: %2").arg(serial, bin8(flags));
            break;
        }
        case 48: {
            const int docNumber = getInt(&IFptr::DocNumber);
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            text = tr("Дата время последней перерегистрации: %1 %2\n"
                      "Номер ФД последней регистрации/перерегистрации: %3")
                       .arg(dateText(date), time4(time), QString::number(docNumber));
            break;
        }
        case 51: {
            const double value = getDouble(&IFptr::Value);
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            const double summ = getDouble(&IFptr::Summ);
            const int chequeType = getInt(&IFptr::ChequeType);
            const int docNumber = getInt(&IFptr::DocNumber);
            text = tr("Номер ФД последнего сформированного чека: %1\nЧек %2\nИтог: %3\n"
                      "Дата и время чека: %4 %5\nФискальный признак: %6")
                       .arg(QString::number(docNumber), chequeState(chequeType), general(summ),
                            dateText(date), time4(time), int64(value));
            break;
        }
        case 52: {
            const double value = getDouble(&IFptr::Value);
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            const int docNumber = getInt(&IFptr::DocNumber);
            text = tr("Номер последнего ФД: %1\nДата и время последнего ФД: %2 %3\n"
                      "Фискальный признак: %4")
                       .arg(QString::number(docNumber), dateText(date), time4(time), int64(value));
            break;
        }
        case 53: {
            const int session = getInt(&IFptr::Session);
            const int chequeNumber = getInt(&IFptr::ChequeNumber);
            text = tr("Номер чека за смену из ФН: %1\nНомер смены ФН: %2")
                       .arg(QString::number(chequeNumber), QString::number(session));
            break;
        }
        case 54: {
            const QDate date = getDate(&IFptr::Date);
            const int ffd = getInt(&IFptr::FfdVersion);
            const int fnFfd = getInt(&IFptr::FNFfdVersion);
            const int deviceFfd = getInt(&IFptr::DeviceFfdVersion);
            text = tr("Версия ФФД ККТ: %1\nВерсия ФФД ФН: %2\nВерсия ФФД: %3\nДата документа ФФД: %4")
                       .arg(QString::number(deviceFfd), QString::number(fnFfd),
                            QString::number(ffd), dateText(date));
            break;
        }
        case 55: {
            const QString data = getBuff(&IFptr::ErrorData);
            const int errorCode = getInt(&IFptr::ErrorCode);
            const int commandCode = getInt(&IFptr::CommandCode);
            text = tr("Код команды: %1\nКод ошибки: %2\nДанные ошибки: %3")
                       .arg(hex2(commandCode), hex2(errorCode), data);
            break;
        }
        case 56:
            text = tr("Необнуляемая сумма: %1").arg(money(getDouble(&IFptr::Summ)));
            break;
        case 57: {
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            text = tr("Дата и время отправки последнего документа в ОФД: %1 %2")
                       .arg(dateText(date), time4(time));
            break;
        }
        case 58: {
            const int docNumber = getInt(&IFptr::DocNumber);
            const int count = getInt(&IFptr::Count);
            text = tr("Количество расчетных документов: %1\nКоличество ФД за смену: %2")
                       .arg(QString::number(count), QString::number(docNumber));
            break;
        }
        case 59: {
            const int taxRateMode = getInt(&IFptr::TaxRateMode);
            const int allowed = getInt(&IFptr::EnvdAllowed);
            const int enabled = getInt(&IFptr::EnvdEnabled);
            // These two words are the device's own state names and stay
            // untranslated, unlike the line templates around them.
            text = tr("Режим ЕНВД %1\nРежим ЕНВД %2\nРежим работы с налоговыми ставками: %3")
                       .arg(QString::fromUtf8(enabled ? "включен" : "выключен"),
                            QString::fromUtf8(allowed ? "разрешен" : "запрещен"),
                            QString::number(taxRateMode));
            break;
        }
        case 63:
            text = tr("Количество отчетов об открытии и закрытии смены в буфере: %1")
                       .arg(getInt(&IFptr::Count));
            break;
        case 65: {
            const double value = getDouble(&IFptr::Value);
            const int count = getInt(&IFptr::Count);
            text = tr("Количество закрытых чеков: %1\nКоличество отмененных чеков: %2")
                       .arg(QString::number(count), int64(value));
            break;
        }
        case 66:
            text = tr("Количество байт, переданных в открытом чеке: %1").arg(getInt(&IFptr::Count));
            break;
        case 67:
            text = tr("Количество секунд с включения ККТ: %1").arg(int64(getDouble(&IFptr::Value)));
            break;
        case 70: {
            const QTime timeEnd = getTime(&IFptr::TimeEnd);
            const QDate dateEnd = getDate(&IFptr::DateEnd);
            const QTime time = getTime(&IFptr::Time);
            const QDate date = getDate(&IFptr::Date);
            text = tr("Дата и время открытия предыдущей смены: %1 %2\n"
                      "Дата и время закрытия предыдущей смены: %3 %4")
                       .arg(dateText(date), time6(time), dateText(dateEnd), time6(timeEnd));
            break;
        }
        default:
            // Registers without a text of their own: nothing to show.
            break;
        }

        ui->teRegisterData->setPlainText(text);
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        ui->teRegisterData->clear();
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnQueryGetSumm_clicked()
{
    try {
        execMethod(&IFptr::GetSumm);
        ui->teQueryResult->setPlainText(tr("Сумма: %1").arg(money(getDouble(&IFptr::Summ))));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        ui->teQueryResult->clear();
        setError(e.what());
    }
}
