#include "fptrdevicelist.h"

#include "exception.h"
#include "mappings.h"
#include "zeruzuva.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <vector>

FptrDeviceList::FptrDeviceList()
    : m_lastNumber(0)
    , m_currentDevice(-1)
{
}

FptrDeviceList::~FptrDeviceList()
{
    // Every driver object goes back to its library before the factory part
    // unloads the libraries.
    clear();
}

int FptrDeviceList::addDevice(PrinterDevice kind, ZEruZuva *driver)
{
    if (!driver)
        return -1;
    const int number = ++m_lastNumber;
    m_devices.insert(number, Device{driver, kind});
    return number;
}

void FptrDeviceList::removeDevice(int number)
{
    auto it = m_devices.find(number);
    if (it == m_devices.end())
        return;
    release(it->type, &it->driver);
    m_devices.erase(it);
}

void FptrDeviceList::clear()
{
    const QList<int> numbers = m_devices.keys();
    for (int number : numbers) {
        try {
            removeDevice(number);
        } catch (const DeviceNotFoundException &) {
            // A wrapper without driver object has nothing to hand back; it
            // must still go, or a number issued after the restart below
            // would collide with it.
            delete m_devices.value(number).driver;
            m_devices.remove(number);
        }
    }
    m_currentDevice = -1;
    m_lastNumber = 0;
}

int FptrDeviceList::count() const
{
    return int(m_devices.size());
}

void FptrDeviceList::setCurrentDevice(int number)
{
    if (m_devices.contains(number))
        m_currentDevice = number;
}

int FptrDeviceList::currentDevice() const
{
    return m_currentDevice;
}

const FptrDeviceList::Device &FptrDeviceList::entry(int number) const
{
    if (number == -1)
        number = m_currentDevice;
    auto it = m_devices.constFind(number);
    if (number < 0 || it == m_devices.constEnd())
        throw DeviceNotFoundException();
    return *it;
}

ZEruZuva *FptrDeviceList::device(int number) const
{
    return entry(number).driver;
}

FptrFactory::PrinterDevice FptrDeviceList::deviceType(int number) const
{
    return entry(number).type;
}

// ---- settings -------------------------------------------------------------

namespace {

typedef int (VOR::IDTOBase::*SettingReader)(const wchar_t *, wchar_t *, int);

// Most settings (and their descriptions) fit at once; a longer one is read
// again into a buffer of the length the driver reported.
const int SettingBufferSize = 2048;

VOR::IDTOBase *requireDriver(VOR::IDTOBase *driver)
{
    if (!driver)
        throw DeviceNotFoundException();
    return driver;
}

// Reads one setting text into `buffer`, which is reused (and may grow) from
// one read to the next. Driver failures give an empty string, never an error.
QString readSettingText(VOR::IDTOBase *driver, SettingReader reader, const wchar_t *name,
                        std::vector<wchar_t> &buffer)
{
    std::fill(buffer.begin(), buffer.end(), L'\0');
    int length = (driver->*reader)(name, buffer.data(), int(buffer.size()));
    if (length > DriverTexts::MaxLength)
        return QString();
    if (length > int(buffer.size())) {
        // One more than the length, so the value and its terminating zero fit.
        buffer.assign(size_t(length) + 1, L'\0');
        length = (driver->*reader)(name, buffer.data(), int(buffer.size()));
    }
    if (length <= 0)
        return QString();
    // A driver whose value grew between the two calls may report more than
    // the buffer holds; only what is there is taken.
    return DriverTexts::fromBuffer(buffer.data(), qMin(length, int(buffer.size())));
}

QString tr(const char *text)
{
    return QCoreApplication::translate("FptrDeviceList", text);
}

} // namespace

QString readCurrentSetting(VOR::IDTOBase *driver, const wchar_t *name)
{
    requireDriver(driver);
    std::vector<wchar_t> buffer(SettingBufferSize, L'\0');
    return readSettingText(driver, &VOR::IDTOBase::ReadSetting, name, buffer);
}

QString readDescriptionOfCurrentSetting(VOR::IDTOBase *driver, const wchar_t *name)
{
    requireDriver(driver);
    std::vector<wchar_t> buffer(SettingBufferSize, L'\0');
    const QString mapping = readSettingText(driver, &VOR::IDTOBase::ReadSettingDescription, name, buffer);
    const QString value = readSettingText(driver, &VOR::IDTOBase::ReadSetting, name, buffer);
    QString text;
    if (!GetValueFromMappingKey(mapping, value, text))
        return QString();
    return text;
}

QString defaultDeviceName(VOR::IDTOBase *driver)
{
    requireDriver(driver);
    const QString model = readDescriptionOfCurrentSetting(driver, L"Model");
    const QString port = readDescriptionOfCurrentSetting(driver, L"Port");

    if (port == QStringLiteral("Файл устройства")) {
        const QString suffix = readCurrentSetting(driver, L"TTYSuffix");
        const QString baud = readDescriptionOfCurrentSetting(driver, L"BaudRate");
        return tr("%1 (%2 %3)").arg(model, suffix, baud);
    }
    if (port == QLatin1String("TCP/IP") || port == QLatin1String("UDP/IP")) {
        const QString address = readCurrentSetting(driver, L"IPAddress");
        const QString ipPort = readCurrentSetting(driver, L"IPPort");
        return tr("%1 (%2:%3)").arg(model, address, ipPort);
    }
    if (port.startsWith(QLatin1String("COM"))) {
        const QString baud = readDescriptionOfCurrentSetting(driver, L"BaudRate");
        return tr("%1 (%2 %3)").arg(model, port, baud);
    }
    if (port == QLatin1String("Bluetooth")) {
        const QString mac = readCurrentSetting(driver, L"MACAddress");
        return tr("%1 (%2)").arg(model, mac);
    }
    if (port.startsWith(QLatin1String("USB:")))
        return tr("%1 (%2)").arg(model, port);
    // Nothing identifies the connection: a time stamp at least tells devices
    // apart.
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd HH:mm:ss.zzz"));
}
