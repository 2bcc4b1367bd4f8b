#pragma once

// Adapters that turn the driver's callbacks into Qt signals. The driver may
// call them on a thread of its own; the objects live in the window thread, so
// an automatic connection delivers the signals there.

#include "ifptr.h"

#include <QObject>
#include <QString>

// Scanner data from a scanner attached to the device. The bytes become text
// that shows every control or non-ASCII character as " #xx".
class ScannerEventHandler : public QObject, public VOR::AbstractScannerEventHandler
{
    Q_OBJECT

public:
    explicit ScannerEventHandler(QObject *parent = nullptr);
    ~ScannerEventHandler() override;

    // Emits scannerDataEvent once; a null pointer or a negative size is an
    // empty scan. Returns 0.
    int on_data_event(const unsigned char *data, int size) override;

    // The text shown for the scanned bytes (UTF-8).
    static QString scannerText(const unsigned char *data, int size);

signals:
    void scannerDataEvent(QString text);
};

// Errors and warnings a driver reports out of band.
class RIdiVeravErevuzi : public QObject, public VOR::AbstractErrorHandler
{
    Q_OBJECT

public:
    explicit RIdiVeravErevuzi(QObject *parent = nullptr);
    ~RIdiVeravErevuzi() override;

    // Warnings are not shown: driver failures reach the user through result
    // codes. Returns 0.
    int showWarning(const wchar_t *title, const wchar_t *text) override;
    // Logs the code and emits errorOccurred. Returns 0.
    int onErrorOccurred(int code) override;

signals:
    void errorOccurred(int code);
};
