#pragma once

// The driver settings of one device: what the bench reads and writes by name
// (ReadSetting / WriteSetting), the mapping strings that describe their values
// (ReadSettingDescription), and the one-string form of all of them
// (DeviceSettings). Values are texts; every write is validated, so a Settings
// object only ever holds values the device can use.

#include "core/actions.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace vreg {

// A model of the device: its code (the Model property and the key of the
// "Model" setting), its name, its tape width.
struct ModelInfo
{
    int code;
    const char *name; // UTF-8
    int lineLength;   // characters a line (CharLineLength)
    int printWidth;   // printable dots a line
};

// The models of a device kind; the first is the default.
const std::vector<ModelInfo> &models(DeviceKind kind);

class Settings
{
public:
    // Factory settings of a new device, with a new identity.
    explicit Settings(DeviceKind kind);

    // Every setting name, in the order the README lists them.
    static QStringList names();
    static bool isKnown(const QString &name);
    // The mapping "key:text;key:text;" of a setting's values. Settings with
    // free values give their special values only ("0:Выключен;") or nothing.
    static QString description(DeviceKind kind, const QString &name);

    QString value(const QString &name) const;
    // Validates and stores one value; on failure nothing changes and
    // `detail` says what is wrong.
    bool setValue(const QString &name, const QString &value, QString *detail);

    // All settings as one string (a JSON object of texts, keys in a fixed
    // order), and back. Reading is all or nothing: a setting missing from the
    // string takes its factory value, except the identity, which stays; an
    // unknown key is ignored; one invalid value rejects the whole string.
    QString toString() const;
    bool fromString(const QString &text, QString *detail);

    bool operator==(const Settings &other) const { return m_values == other.m_values; }
    bool operator!=(const Settings &other) const { return !(*this == other); }

    DeviceKind kind() const { return m_kind; }
    const ModelInfo &model() const;
    QString deviceId() const;
    bool paperPresent() const;
    int scannerPort() const;
    int printSpeed() const;
    // How long the modem and Wi-Fi wait for a connection, a send or an
    // answer, in milliseconds.
    int connectionTimeout() const;
    // The pin pad's answer to every command; empty: it echoes the command.
    QByteArray pinPadAnswer() const;
    // Whether the live tape window is wanted.
    bool tapeWindow() const;
    // The device's data folder: the "DataDir" setting, or by default a folder
    // named after the identity under the user's data directory.
    QString dataFolder() const;
    static QString defaultDataFolder(const QString &deviceId);

    static QString newDeviceId();

private:
    DeviceKind m_kind;
    QMap<QString, QString> m_values;
};

} // namespace vreg
