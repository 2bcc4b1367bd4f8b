// Fiscal service of the register's protected store: the factory number,
// fiscalisation, the journal module (ЭКЛЗ) and the fiscal storage (ФН).

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "commandframe.h"

#include "scopedlocker.h"

namespace {

// Texts of the journal module's status flags, set text first.
struct FlagTexts
{
    int mask;
    const char *set;
    const char *clear;
};

const char *const OperationTexts[] = {
    QT_TRANSLATE_NOOP("FptrMainWindow", "продажа"),
    QT_TRANSLATE_NOOP("FptrMainWindow", "покупка"),
    QT_TRANSLATE_NOOP("FptrMainWindow", "возврат продажи"),
    QT_TRANSLATE_NOOP("FptrMainWindow", "возврат покупки"),
};

const FlagTexts StatusFlags[] = {
    {0x04, QT_TRANSLATE_NOOP("FptrMainWindow", "архив открыт"),
     QT_TRANSLATE_NOOP("FptrMainWindow", "архив закрыт")},
    {0x08, QT_TRANSLATE_NOOP("FptrMainWindow", "ЭКЛЗ/ФН активирована"),
     QT_TRANSLATE_NOOP("FptrMainWindow", "ЭКЛЗ/ФН не активирована")},
    {0x10, QT_TRANSLATE_NOOP("FptrMainWindow", "снимается отчет"),
     QT_TRANSLATE_NOOP("FptrMainWindow", "нет отчета")},
    {0x20, QT_TRANSLATE_NOOP("FptrMainWindow", "документ открыт"),
     QT_TRANSLATE_NOOP("FptrMainWindow", "документ закрыт")},
    {0x40, QT_TRANSLATE_NOOP("FptrMainWindow", "смена открыта"),
     QT_TRANSLATE_NOOP("FptrMainWindow", "смена закрыта")},
    {0x80, QT_TRANSLATE_NOOP("FptrMainWindow", "есть ошибка"),
     QT_TRANSLATE_NOOP("FptrMainWindow", "нет ошибки")},
};

} // namespace

void FptrMainWindow::on_pbtnSetSerialNumber_clicked()
{
    try {
        setBuff(&IFptr::SerialNumber, ui->leSerialNumber->text());
        execMethod(&IFptr::SetSerialNumber);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnFiscalization_clicked()
{
    try {
        setBuff(&IFptr::RNM, ui->leMachineNumber->text());
        setBuff(&IFptr::INN, ui->leINN->text());
        setBuff(&IFptr::TaxPassword, ui->leTaxPassword->text());
        execMethod(&IFptr::Fiscalization);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

// The journal module and the fiscal storage share their driver actions: the
// device knows which store it carries.
void FptrMainWindow::on_pbtnEKLZActivation_clicked() { CommandFrame::runAction(this, &IFptr::Activate); }
void FptrMainWindow::on_pbtnFNActivation_clicked() { CommandFrame::runAction(this, &IFptr::Activate); }
void FptrMainWindow::on_pbtnEKLZClose_clicked() { CommandFrame::runAction(this, &IFptr::CloseArchive); }
void FptrMainWindow::on_pbtnFNClose_clicked() { CommandFrame::runAction(this, &IFptr::CloseArchive); }

void FptrMainWindow::on_pbtnEKLZStatus_clicked()
{
    try {
        execMethod(&IFptr::GetEKLZStatus);
        const double summ = getDouble(&IFptr::Summ);
        const int session = getInt(&IFptr::Session);
        const QString serialNumber = getBuff(&IFptr::SerialNumber);
        const int kpkNumber = getInt(&IFptr::KPKNumber);
        const int flags = getInt(&IFptr::EKLZFlags);
        const QDate date = getDate(&IFptr::Date);
        const QTime time = getTime(&IFptr::Time);

        static const QString pattern = tr(
            "Номер текущей/новой смены: %1\nИтог текущего документа: %2\n"
            "Дата последней операции: %3\nВремя последней операции: %4\n"
            "Номер КПК последней операции: %5\nЗаводской номер ЭКЛЗ/ФН: %6\n\n"
            "Флаги (%7h):\n- %8\n- %9\n- %10\n- %11\n- %12\n- %13\n- %14");

        QStringList flagLines;
        flagLines << tr(OperationTexts[flags & 0x03]);
        for (const FlagTexts &flag : StatusFlags)
            flagLines << tr((flags & flag.mask) ? flag.set : flag.clear);

        // All placeholders are filled in one pass, so a '%' in the serial
        // number can never be taken for a later placeholder.
        const QString text = pattern.arg(
            QString::number(session), QString::number(summ, 'g', 6),
            date.toString(QStringLiteral("dd.MM.yyyy")), time.toString(QStringLiteral("hh:mm:ss")),
            QString::number(kpkNumber), serialNumber,
            QStringLiteral("%1").arg(uint(flags), 2, 16, QLatin1Char('0')),
            flagLines.at(0), flagLines.at(1), flagLines.at(2), flagLines.at(3), flagLines.at(4),
            flagLines.at(5), flagLines.at(6));
        ui->teEKLZStatus->setPlainText(text);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnEKLZGetKPK_clicked()
{
    try {
        setInt(&IFptr::KPKNumber, ui->spinEKLZKPKNumber->value());
        execMethod(&IFptr::EKLZGetKPK);
        const int value = getInt(&IFptr::KPKValue);
        const int number = getInt(&IFptr::KPKNumber);
        ui->teEKLZStatus->setPlainText(
            tr("Значение КПК #%1:\n%2").arg(QString::number(number), QString::number(value)));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnRunFNCommand_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setBuff(&IFptr::CommandBuffer, ui->leFNCommandBuffer->text());
        execMethodAsync(&IFptr::RunFNCommand);
        ui->leFNAnswerBuffer->setText(getBuff(&IFptr::AnswerBuffer));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}
