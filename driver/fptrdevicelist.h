#pragma once

// The open devices of the window, numbered 1, 2, 3, ... in the order they
// were added, and the one the commands go to (the current device). Being the
// factory too, the list owns the driver libraries, so no driver object can
// outlive the library that made it.

#include "fptrfactory.h"
#include "ifptr.h"

#include <QMap>
#include <QString>

class ZEruZuva;

class FptrDeviceList : public FptrFactory
{
public:
    struct Device
    {
        ZEruZuva *driver; // owned by the list
        FptrFactory::PrinterDevice type;
    };

    FptrDeviceList();
    ~FptrDeviceList() override;

    // Takes ownership of the wrapper; returns its number, or -1 (nothing
    // stored) for a null wrapper.
    int addDevice(PrinterDevice kind, ZEruZuva *driver);
    // Releases the device's driver object and forgets the device; an unknown
    // number does nothing. The current number is kept even when it was this
    // device: the caller chooses the next current one. A wrapper without
    // driver object raises DeviceNotFoundException and stays in the list.
    void removeDevice(int number);
    // Removes every device and starts numbering at 1 again.
    void clear();
    int count() const;

    // Makes an existing device current; an unknown number changes nothing.
    void setCurrentDevice(int number);
    // The current number, -1 when none was set (it may name a removed device).
    int currentDevice() const;

    // -1 means the current device. A negative or unknown number raises
    // DeviceNotFoundException.
    ZEruZuva *device(int number = -1) const;
    PrinterDevice deviceType(int number = -1) const;

private:
    const Device &entry(int number) const;

    QMap<int, Device> m_devices;
    int m_lastNumber;
    int m_currentDevice;
};

// A setting's raw value as the driver keeps it; empty when the read fails.
QString readCurrentSetting(VOR::IDTOBase *driver, const wchar_t *name);
// The display text of a setting's current value, taken from the setting's
// description mapping; empty when the value is no key of the mapping.
QString readDescriptionOfCurrentSetting(VOR::IDTOBase *driver, const wchar_t *name);
// A name for a new device built from its model and connection settings, or
// the current date and time for connections that say nothing useful.
QString defaultDeviceName(VOR::IDTOBase *driver);
