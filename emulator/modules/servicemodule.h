#pragma once

// Service actions and the peripherals a receipt printer shares with the
// register: the buzzer (Beep, Sound), the cash drawer (OpenDrawer,
// AdvancedOpenDrawer, DrawerOpened), switching off (PowerOff), the decimal
// point of amounts (SetPointPosition, PointPosition), firmware versions
// (GetUnitVersion), the connector test (TestConnector), raw device commands
// (RunCommand) and raw data to the device's ports (WriteData). Provides the
// unitVersion service.

#include "core/module.h"

#include <QDateTime>
#include <QStringList>

namespace vreg {

class ServiceModule : public Module
{
public:
    static QString portLogFileName() { return QStringLiteral("ports.log"); }

    explicit ServiceModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("service"); }
    void resetState() override;
    bool loadState(const QJsonObject &section, QString *error) override;
    QJsonObject saveState() const override;
    QByteArray stateFingerprint() const override { return fingerprintOf(m_pointPosition); }

    void disconnected() override;

    static QStringList unitVersion(int unit);

private:
    int beep();
    int sound();
    int openDrawer();
    int advancedOpenDrawer();
    int powerOff();
    int setPointPosition();
    int getUnitVersion();
    int testConnector();
    int runCommand();
    int writeData();

    bool drawerOpen() const;
    void openTheDrawer();
    // Answers a raw command; false (after recording the failure) for an
    // unknown or malformed one, with the device's error answer in *answer.
    bool answer(const QByteArray &command, QByteArray *answer);

    int m_pointPosition = 2;
    int m_requestedPointPosition = 2;
    QDateTime m_drawerOpenedAt; // invalid: closed
};

} // namespace vreg
