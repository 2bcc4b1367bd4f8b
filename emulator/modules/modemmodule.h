#pragma once

// The register's GSM modem and Wi-Fi module: power, a real TCP or UDP
// connection to the address the caller gives, data through the modem, and
// their states in the bench's state codes. Run-time state only: nothing of
// it is device memory, and switching the device off closes both.

#include "core/module.h"
#include "modules/netlink.h"

namespace vreg {

class ModemModule : public Module
{
public:
    using Module::Module;
    void registerActions(ActionRegistry &registry) override;
    void disconnected() override;

    // The bench's state codes (its modemState and wiFiState texts).
    enum ModemState { ModemOff = 0, ModemReady = 2, ModemConnecting = 3, ModemConnected = 4 };
    enum WiFiState { WiFiOff = 0, WiFiOnAccessPoint = 2, WiFiConnecting = 3, WiFiConnected = 4 };

private:
    // What the modem and the Wi-Fi module have in common.
    struct Peripheral
    {
        Peripheral(const char *name, Code poweredOff, int off, int ready, int connecting, int connected)
            : name(name)
            , poweredOff(poweredOff)
            , offState(off)
            , readyState(ready)
            , connectingState(connecting)
            , connectedState(connected)
        {
        }
        const char *name;       // "Модем", "Wi-Fi", for details
        Code poweredOff;        // the code when it is off
        int offState, readyState, connectingState, connectedState;
        bool powered = false;
        int state = 0;
        NetLink link;
    };
    struct Request
    {
        QString address;
        int port, mode, type;
        const char *addressName, *portName, *modeName, *typeName;
    };

    int powerOn(Peripheral &peripheral);
    int powerOff(Peripheral &peripheral);
    int open(Peripheral &peripheral, const Request &request);
    int close(Peripheral &peripheral);
    int status(Peripheral &peripheral);
    int writeModem();
    int readModem();

    // Checks that the peripheral is on and its connection open.
    int requireOpen(Peripheral &peripheral, const char *action);
    // Records a failure of the connection (also as the modem's last error).
    int linkFailed(Peripheral &peripheral, const NetLink::Failure &failure, const QString &what);
    // The connection is gone: back to "ready", the reason kept.
    void dropped(Peripheral &peripheral);
    void setState(Peripheral &peripheral, int state);
    void publishModem();

    Peripheral m_modem{"Модем", Code::ModemPoweredOff, ModemOff, ModemReady, ModemConnecting, ModemConnected};
    Peripheral m_wifi{"Wi-Fi", Code::WiFiPoweredOff, WiFiOff, WiFiOnAccessPoint, WiFiConnecting, WiFiConnected};
    int m_modemMode = 1;
    QString m_modemError;
};

} // namespace vreg
