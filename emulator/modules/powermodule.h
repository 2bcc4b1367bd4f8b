#pragma once

// The device's power-on history: how often and when it was switched on,
// kept in the device memory for the device information report.

#include "core/module.h"

#include <QDateTime>

namespace vreg {

class PowerModule : public Module
{
public:
    using Module::Module;
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("power"); }
    void resetState() override;
    bool loadState(const QJsonObject &section, QString *error) override;
    QJsonObject saveState() const override;
    QByteArray stateFingerprint() const override
    {
        return fingerprintOf(m_count, m_first.toMSecsSinceEpoch(), m_last.toMSecsSinceEpoch());
    }

    int connected() override;

    int powerOnCount() const { return m_count; }

private:
    int m_count = 0;
    QDateTime m_first;
    QDateTime m_last;
};

} // namespace vreg
