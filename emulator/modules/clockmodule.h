#pragma once

// The device clock: the computer's clock plus an offset kept in the device
// memory, so the device keeps its own time across restarts. Date and Time
// read the clock whenever nobody has put another value there (a caller's
// SetDate input, a report's date); GetStatus makes them follow the clock
// again. SetDate refuses an open shift and asks for confirmation (-3893)
// before going back behind the last fiscal document. Provides the now
// service.

#include "core/module.h"

#include <QDateTime>

namespace vreg {

class ClockModule : public Module
{
public:
    explicit ClockModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("clock"); }
    void resetState() override;
    bool loadState(const QJsonObject &section, QString *error) override;
    QJsonObject saveState() const override;
    QByteArray stateFingerprint() const override { return fingerprintOf(m_offset); }

    int connected() override;

    QDateTime now() const;

private:
    int setDate();
    void refreshDate();
    void refreshTime();

    qint64 m_offset = 0; // seconds ahead of the computer's clock
    // What Date and Time last showed of the clock: a different value there
    // was put by someone else and stays until GetStatus.
    QDate m_shownDate;
    QTime m_shownTime;
    // A change behind the last fiscal document waiting for its repetition.
    QDateTime m_pendingTarget;
    QDateTime m_pendingAsked;
};

} // namespace vreg
