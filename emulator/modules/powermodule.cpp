#include "modules/powermodule.h"

#include "core/device.h"

namespace vreg {

void PowerModule::registerActions(ActionRegistry &registry)
{
    Q_UNUSED(registry);
}

void PowerModule::resetState()
{
    m_count = 0;
    m_first = QDateTime();
    m_last = QDateTime();
}

bool PowerModule::loadState(const QJsonObject &section, QString *error)
{
    const int count = section.value(QStringLiteral("count")).toInt(-1);
    if (count < 0) {
        *error = QStringLiteral("неверное число включений");
        return false;
    }
    m_count = count;
    m_first = QDateTime::fromString(section.value(QStringLiteral("first")).toString(), Qt::ISODate);
    m_last = QDateTime::fromString(section.value(QStringLiteral("last")).toString(), Qt::ISODate);
    return true;
}

QJsonObject PowerModule::saveState() const
{
    QJsonObject section;
    section.insert(QStringLiteral("count"), m_count);
    section.insert(QStringLiteral("first"), m_first.toString(Qt::ISODate));
    section.insert(QStringLiteral("last"), m_last.toString(Qt::ISODate));
    return section;
}

int PowerModule::connected()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    ++m_count;
    if (!m_first.isValid())
        m_first = now;
    m_last = now;
    return 0;
}

} // namespace vreg
