#pragma once

// The fiscal storage and the register's fiscal identity: SetSerialNumber,
// Fiscalization, Activate, CloseArchive, GetEKLZStatus, EKLZGetKPK,
// RunFNCommand, GetRange, and the resets allowed before fiscalisation
// (ResetSummary, TechZero). Keeps the serial number, the registrations, the
// activated storages and the archive of documents in the state section
// "fiscalStorage".

#include "core/module.h"
#include "modules/fiscalcore.h"

#include <memory>

namespace vreg {

class FiscalStorageModule : public Module
{
public:
    FiscalStorageModule(DeviceContext &device, std::shared_ptr<FiscalCore> core);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("fiscalStorage"); }
    void resetState() override;
    const char *schema() const override;
    bool load(Database &db, QString *error) override;
    bool store(Database &db) override;
    bool loadState(const QJsonObject &section, QString *error) override;

    // ИНН: 10 digits (organisation) or 12 (person) with valid check digits.
    static bool checkInn(const QString &inn, QString *reason);

private:
    int setSerialNumber();
    int fiscalization();
    int activate();
    int closeArchive();
    int getStatus();
    int getKpk();
    int runFnCommand();
    int getRange();
    int resetSummary();
    int techZero();

    // The register is not fiscalised yet; 0 or the failure.
    int requireNotFiscal(const char *action);
    int requireShiftClosed(const char *action);
    bool fnAnswer(const QByteArray &command, QByteArray *answer);

    std::shared_ptr<FiscalCore> m_core;
};

} // namespace vreg
