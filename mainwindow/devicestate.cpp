// The device state shown in the mode and information frames, the texts for
// driver state codes, and the mode and status commands.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "mappings.h"

#include <QHash>

void FptrMainWindow::updateDeviceInfo()
{
    static const QString sessionPrefix = tr("Смена ");
    static const QString chequePrefix = tr("Чек ");
    static const QString linePrefix = tr("Чековая лента: ");

    const int sessionOpened = getInt(&IFptr::SessionOpened);
    const int cheque = getInt(&IFptr::ChequeState);
    const int lineLength = getInt(&IFptr::CharLineLength);
    const int enabled = getInt(&IFptr::DeviceEnabled);
    const int currentMode = getInt(&IFptr::Mode);

    QComboSelect(ui->cmbMode, currentMode);
    ui->cbEnable->setChecked(enabled != 0);
    ui->lbSessionState->setText(sessionPrefix + (sessionOpened == 1 ? tr("открыта") : tr("закрыта")));

    static const char *const shortCheque[] = {
        QT_TR_NOOP("закрыт"),
        QT_TR_NOOP("продажи / прихода"),
        QT_TR_NOOP("возврата\nпродажи / прихода"),
        QT_TR_NOOP("аннулир. прод."),
        QT_TR_NOOP("покупки / расхода"),
        QT_TR_NOOP("возврата\nпокупки / расхода"),
        QT_TR_NOOP("аннулир. покупки"),
        QT_TR_NOOP("коррекции прихода"),
        QT_TR_NOOP("коррекции\nвозврата прихода"),
        QT_TR_NOOP("коррекции расхода"),
        QT_TR_NOOP("коррекции\nвозврата расхода"),
    };
    if (cheque >= 0 && cheque <= 10)
        ui->lbChequeState->setText(chequePrefix + tr(shortCheque[cheque]));
    ui->lbCharLineLength->setText(linePrefix + QString::number(lineLength));
}

QString FptrMainWindow::mode(int code)
{
    static const QHash<int, const char *> texts = {
        {0, QT_TR_NOOP("Выбор")},
        {1, QT_TR_NOOP("Регистрация / Ожидание команды")},
        {2, QT_TR_NOOP("Х-отчеты / Ожидание команды")},
        {3, QT_TR_NOOP("Z-отчеты / Ожидание команды")},
        {4, QT_TR_NOOP("Программирование / Ожидание команды")},
        {5, QT_TR_NOOP("Доступ к ФП/Ввод ЗН / Ожидание команды")},
        {6, QT_TR_NOOP("Доступ к ЭКЛЗ/ФН / Ожидание команды")},
        {17, QT_TR_NOOP("Регистрация / Ввод пароля")},
        {18, QT_TR_NOOP("Х-отчеты / Ввод пароля")},
        {19, QT_TR_NOOP("Z-отчеты / Ввод пароля")},
        {20, QT_TR_NOOP("Программирование / Ввод пароля")},
        {21, QT_TR_NOOP("Доступ к ФП/Ввод ЗН / Ввод пароля")},
        {23, QT_TR_NOOP("Идет обнуление таблиц и гашение операционных регистров")},
        {33, QT_TR_NOOP("Регистрация / Ожидание ввода секции")},
        {34, QT_TR_NOOP("Х-отчеты / Идет печать Х-отчета")},
        {35, QT_TR_NOOP("Z-отчеты / Идет печать Z-отчета или контрольной ленты")},
        {37, QT_TR_NOOP("Доступ к ФП/Ввод ЗН / Печать отчета")},
        {38, QT_TR_NOOP("Доступ к ЭКЛЗ/ФН / Идет печать отчета")},
        {39, QT_TR_NOOP("Выполняется тестовый прогон")},
        {49, QT_TR_NOOP("Регистрация / Ожидание сторно по штрих-коду")},
        {51, QT_TR_NOOP("Z-отчеты / Подтверждение гашения")},
        {53, QT_TR_NOOP("Доступ к ФП/Ввод ЗН / Ввод данных")},
        {55, QT_TR_NOOP("Режим ввода времени с клавиатуры")},
        {65, QT_TR_NOOP("Регистрация / Прием платежей")},
        {67, QT_TR_NOOP("Z-отчеты / Ввод даты с клавиатуры")},
        {69, QT_TR_NOOP("Доступ к ФП/Ввод ЗН / Подтверждение входа в режим")},
        {71, QT_TR_NOOP("Режим тестов (для технологической ККТ)")},
        {83, QT_TR_NOOP("Z-отчеты / Ожидание подтверждения общего гашения")},
        {87, QT_TR_NOOP("Ввод даты после замены ядра")},
        {99, QT_TR_NOOP("Z-отчеты / Идет общее гашение")},
        {103, QT_TR_NOOP("Ввод времени после замены ядра")},
        {115, QT_TR_NOOP("Z-отчеты / Процесс ввода положения точки")},
        {119, QT_TR_NOOP("Начальная инициализация ККТ")},
        {135, QT_TR_NOOP("Ожидание подтверждения обнуления таблиц")},
        {151, QT_TR_NOOP("Разные накопители памяти")},
        {167, QT_TR_NOOP("ККТ не инициализирована")},
        {183, QT_TR_NOOP("ККТ заблокирована при вводе даты, меньшей даты последней записи ФП")},
        {199, QT_TR_NOOP("Подтверждение ввода даты")},
        {215, QT_TR_NOOP("Оповещение о переводе часов на летнее / зимнее время")},
        {231, QT_TR_NOOP("Блокировка при ошибке ЭКЛЗ/ФН")},
    };
    const char *text = texts.value(code, nullptr);
    return text ? tr(text) : QString();
}

QString FptrMainWindow::chequeState(int value)
{
    static const char *const texts[] = {
        QT_TR_NOOP("закрыт"),
        QT_TR_NOOP("продажи / прихода"),
        QT_TR_NOOP("возврата продажи / прихода"),
        QT_TR_NOOP("аннулирования продажи"),
        QT_TR_NOOP("покупки / расхода"),
        QT_TR_NOOP("возврата покупки / расхода"),
        QT_TR_NOOP("аннулирования покупки"),
        QT_TR_NOOP("коррекции прихода"),
        QT_TR_NOOP("коррекции возврата прихода"),
        QT_TR_NOOP("коррекции расхода"),
        QT_TR_NOOP("коррекции возврата расхода"),
    };
    return value >= 0 && value <= 10 ? tr(texts[value]) : QString();
}

QString FptrMainWindow::modemState(int value)
{
    static const char *const texts[] = {
        QT_TR_NOOP("выключен"),
        QT_TR_NOOP("инициализируется"),
        QT_TR_NOOP("инициализирован"),
        QT_TR_NOOP("соединяется"),
        QT_TR_NOOP("подключен"),
        QT_TR_NOOP("отключается"),
        QT_TR_NOOP("занят"),
        QT_TR_NOOP("инициализирован (GPRS-соединение)"),
        QT_TR_NOOP("отключается от хоста"),
    };
    return value >= 0 && value <= 8 ? tr(texts[value]) : QString();
}

QString FptrMainWindow::wiFiState(int value)
{
    static const char *const texts[] = {
        QT_TR_NOOP("выключен"),
        QT_TR_NOOP("подключается к точке доступа"),
        QT_TR_NOOP("подключен к точке доступа"),
        QT_TR_NOOP("соединяется"),
        QT_TR_NOOP("подключен"),
        QT_TR_NOOP("отключается"),
    };
    return value >= 0 && value <= 5 ? tr(texts[value]) : QString();
}

QString FptrMainWindow::yesNo(int value)
{
    return value != 0 ? tr("да") : tr("нет");
}

QString FptrMainWindow::powerSupply(int flags)
{
    QString text = tr("работает ");
    if (flags & 0x1) {
        text += tr("от аккумуляторов") + tr(", ")
              + ((flags & 0x4) ? tr("печать невозможна") : tr("печать возможна"));
    } else {
        text += tr("от сети");
    }
    return text;
}

void FptrMainWindow::on_pbtnSetMode_clicked()
{
    try {
        const QString password = ui->lePassword->text();
        setInt(&IFptr::Mode, cmbData(ui->cmbMode));
        if (!password.isEmpty())
            setBuff(&IFptr::Password, password);
        execMethod(&IFptr::SetMode);
        updateDeviceInfo();
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnResetMode_clicked()
{
    try {
        execMethod(&IFptr::ResetMode);
        updateDeviceInfo();
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnGetStatus_clicked()
{
    try {
        execMethod(&IFptr::GetStatus);
        ui->dateEdit->setDate(getDate(&IFptr::Date));
        ui->timeEdit->setTime(getTime(&IFptr::Time));
        updateDeviceInfo();
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnQueryGetStatus_clicked()
{
    try {
        execMethod(&IFptr::GetStatus);
        updateDeviceInfo();

        QString text;
        text += tr("Кассир: %1\n").arg(getInt(&IFptr::Operator));
        text += tr("Номер ККТ в зале: %1\n").arg(getInt(&IFptr::LogicalNumber));
        text += tr("Касса %1\n").arg(getInt(&IFptr::Fiscal) ? tr("фискализирована") : tr("не фискализирована"));
        text += tr("ФН %1\n").arg(getInt(&IFptr::FNFiscal) ? tr("фискализирован") : tr("не фискализирован"));
        text += tr("Время: %1\n").arg(getTime(&IFptr::Time).toString(QStringLiteral("hh:mm:ss")));
        text += tr("Дата: %1\n").arg(getDate(&IFptr::Date).toString(QStringLiteral("dd.MM.yyyy")));
        text += tr("Название ККТ: %1\n").arg(getBuff(&IFptr::DeviceDescription));
        const QString build = getBuff(&IFptr::Build);
        const QString subVersion = getBuff(&IFptr::SubVersion);
        const QString version = getBuff(&IFptr::Version);
        text += tr("Версия ПО ККТ: %1.%2.%3\n").arg(version, subVersion, build);
        text += tr("Заводской номер: %1\n").arg(getBuff(&IFptr::SerialNumber));
        const int currentMode = getInt(&IFptr::Mode);
        const int subMode = getInt(&IFptr::SubMode);
        text += tr("Текущий режим: %1 (%2.%3)\n")
                    .arg(mode(currentMode + 16 * subMode))
                    .arg(currentMode)
                    .arg(subMode);
        text += tr("Соединение с ПК по порту %1\n").arg(getInt(&IFptr::PortNumber));
        text += tr("Ящик %1\n").arg(getInt(&IFptr::DrawerOpened) ? tr("открыт") : tr("закрыт"));
        text += tr("Смена %1\n").arg(getInt(&IFptr::SessionOpened) ? tr("открыта") : tr("закрыта"));
        text += tr("Датчик ЧЛ: %1\n").arg(getInt(&IFptr::CheckPaperPresent) ? tr("бумага есть") : tr("бумаги нет"));
        text += tr("Датчик КЛ: %1\n").arg(getInt(&IFptr::ControlPaperPresent) ? tr("бумага есть") : tr("бумаги нет"));
        text += tr("Крышка принтера %1\n").arg(getInt(&IFptr::CoverOpened) ? tr("открыта") : tr("закрыта"));
        text += tr("Модель: %1\n").arg(getInt(&IFptr::Model));
        text += tr("Номер чека: %1\n").arg(getInt(&IFptr::ChequeNumber));
        text += tr("Номер последней закрытой смены: %1\n").arg(getInt(&IFptr::Session));
        text += tr("Положение десятичной точки: %1\n").arg(getInt(&IFptr::PointPosition));
        const int cheque = getInt(&IFptr::ChequeState);
        text += tr("Чек %1 (%2)\n").arg(chequeState(cheque)).arg(cheque);
        text += tr("Текущая сумма чека: %1\n").arg(getDouble(&IFptr::Summ), 0, 'g', 6);
        ui->teQueryResult->setPlainText(text);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}
