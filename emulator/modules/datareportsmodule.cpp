#include "modules/datareportsmodule.h"

#include "core/device.h"

namespace vreg {

namespace {

constexpr int kSoftwareReport = 19;
constexpr int kSoftwareImageReport = 20;
constexpr int kJournalReport = 41;
constexpr int kLastReceiptReport = 46;
constexpr int kImageBytes = 256;
constexpr int kBytesPerRecord = 16;

const char *const kUnitNames[] = {
    "Процессор ПО ККТ",
    "Процессор фискальной памяти",
    "Загрузчик процессора фискальной памяти",
    "Процессор принтера",
    "Загрузчик процессора принтера",
};

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

DataReportsModule::DataReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core,
                                     std::shared_ptr<ElectronicJournal> journal)
    : Module(device)
    , m_core(std::move(core))
    , m_journal(std::move(journal))
{
}

void DataReportsModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::BeginReport, Subject::Reports, [this] { return beginReport(); });
    registry.add(Action::GetRecord, Subject::Reports, [this] { return getRecord(); });
    registry.add(Action::EndReport, Subject::Reports, [this] { return endReport(); });
}

void DataReportsModule::disconnected()
{
    m_open = false;
    m_records.clear();
    m_next = 0;
}

QByteArray DataReportsModule::softwareImage(int unit, const QStringList &version)
{
    QByteArray image = QStringLiteral("VREG UNIT %1 %2").arg(unit).arg(version.join(QLatin1Char('.'))).toLatin1();
    image = image.leftJustified(32, '\0', true);
    // The rest of the image: a fixed sequence of its own for each unit.
    quint32 state = 2463534242u ^ quint32(unit * 40503);
    while (image.size() < kImageBytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        image.append(char(state & 0xff));
    }
    return image;
}

int DataReportsModule::beginReport()
{
    const PropertyStore &props = device().props();
    const int type = props.ReportType;
    QStringList records;
    switch (type) {
    case kSoftwareReport:
    case kSoftwareImageReport: {
        const int unit = props.UnitType;
        const QStringList version = device().services().unitVersion ? device().services().unitVersion(unit) : QStringList();
        if (unit < 1 || unit > 5 || version.size() < 3) {
            return device().fail(Code::InvalidReportParameter,
                                 QStringLiteral("BeginReport %1: UnitType = %2; допустимо от 1 до 5").arg(type).arg(unit));
        }
        const QByteArray image = softwareImage(unit, version);
        if (type == kSoftwareReport) {
            records << QStringLiteral("Модуль: %1 (%2)").arg(QString::fromUtf8(kUnitNames[unit - 1])).arg(unit)
                    << QStringLiteral("Версия: %1.%2").arg(version.at(0), version.at(1))
                    << QStringLiteral("Сборка: %1").arg(version.at(2))
                    << QStringLiteral("Размер: %1 байт").arg(image.size())
                    << QStringLiteral("Контрольная сумма: %1").arg(QStringLiteral("%1").arg(crc32(image), 8, 16, QLatin1Char('0')).toUpper());
        } else {
            for (int offset = 0; offset < image.size(); offset += kBytesPerRecord) {
                records << QStringLiteral("%1: %2")
                               .arg(offset, 4, 16, QLatin1Char('0'))
                               .arg(QString::fromLatin1(image.mid(offset, kBytesPerRecord).toHex(' ').toUpper()))
                               .toUpper();
            }
        }
        break;
    }
    case kJournalReport: {
        ReportKit kit(*m_core);
        records = kit.documentLines(m_journal->documents(*m_core));
        break;
    }
    case kLastReceiptReport: {
        const FiscalDocument *receipt = m_core->records().lastReceiptDocument();
        if (!receipt)
            return device().fail(Code::DocumentNotFound, QStringLiteral("BeginReport 46: закрытых чеков еще не было"));
        records = receipt->lines;
        break;
    }
    default:
        return device().fail(Code::NotSupported,
                             QStringLiteral("BeginReport: отчет типа %1 не поддерживается; поддерживаются типы 19, 20, 41, 46").arg(type));
    }
    // Records are text: what only the paper draws (double width, images)
    // is given as the text tape shows it.
    if (device().services().tapeText) {
        QStringList plain;
        for (const QString &record : records)
            plain << device().services().tapeText(record);
        records = plain;
    }
    // A report begun anew replaces the one being read.
    m_open = true;
    m_type = type;
    m_records = records;
    m_next = 0;
    return 0;
}

int DataReportsModule::getRecord()
{
    PropertyStore &props = device().props();
    if (!m_open)
        return device().fail(Code::ReportNotBegun, QStringLiteral("GetRecord: сначала BeginReport"));
    if (m_next >= m_records.size()) {
        props.Caption.clear();
        return device().fail(Code::NoMoreData,
                             QStringLiteral("отчет %1: все %2 записей прочитаны").arg(m_type).arg(m_records.size()));
    }
    props.Caption = m_records.at(m_next++);
    return 0;
}

int DataReportsModule::endReport()
{
    if (!m_open)
        return device().fail(Code::ReportNotBegun, QStringLiteral("EndReport: отчет не был начат (BeginReport)"));
    disconnected();
    return 0;
}

} // namespace vreg
