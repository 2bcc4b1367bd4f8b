#pragma once

// The driver's own settings dialog: the connection settings, the device's own
// settings and a read-only view of the virtual tape, as text and as paper,
// with a button to clear it. It edits a copy of the settings; the caller takes settings() when the
// user confirmed. Widgets carry object names so that tests can drive them.

#include "core/settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace vreg {

class PaperView;

class SettingsDialog : public QDialog
{
public:
    SettingsDialog(const Settings &settings, const QString &dataFolder, QWidget *parent = nullptr);

    // The confirmed settings (the initial ones until OK).
    const Settings &settings() const { return m_result; }

protected:
    void accept() override;

private:
    QWidget *createConnectionPage();
    QWidget *createDevicePage();
    QWidget *createTapePage();
    void updatePortFields();
    void loadTape();
    void clearTape();
    void browseDataFolder();
    void showError(const QString &text);
    bool collect(Settings *out, QString *error) const;

    Settings m_result;
    QString m_dataFolder;

    QComboBox *m_model = nullptr;
    QComboBox *m_port = nullptr;
    QComboBox *m_baudRate = nullptr;
    QLineEdit *m_ttySuffix = nullptr;
    QLineEdit *m_ipAddress = nullptr;
    QLineEdit *m_ipPort = nullptr;
    QLineEdit *m_macAddress = nullptr;
    QLineEdit *m_deviceId = nullptr;
    QLineEdit *m_dataDir = nullptr;
    QCheckBox *m_paperPresent = nullptr;
    QSpinBox *m_scannerPort = nullptr;
    QSpinBox *m_printSpeed = nullptr;
    QCheckBox *m_tapeWindow = nullptr;
    QSpinBox *m_connectionTimeout = nullptr; // the register's peripherals only
    QLineEdit *m_pinPadAnswer = nullptr;
    QLabel *m_tapePath = nullptr;
    QPlainTextEdit *m_tape = nullptr;
    PaperView *m_paper = nullptr;
    QPushButton *m_clearTape = nullptr;
    QLabel *m_error = nullptr;
};

} // namespace vreg
