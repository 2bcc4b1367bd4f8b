#include "callbacks.h"

#include <QDebug>

ScannerEventHandler::ScannerEventHandler(QObject *parent)
    : QObject(parent)
{
}

ScannerEventHandler::~ScannerEventHandler() = default;

QString ScannerEventHandler::scannerText(const unsigned char *data, int size)
{
    if (!data || size <= 0)
        return QString();
    const QString decoded = QString::fromUtf8(reinterpret_cast<const char *>(data), size);
    const QString pattern = tr(" #%1");
    QString result;
    result.reserve(decoded.size());
    // By code point, so a character outside the basic plane is one mark and
    // not one per UTF-16 half.
    for (const char32_t code : decoded.toUcs4()) {
        if (code >= 0x21 && code <= 0x7F)
            result.append(QChar(char16_t(code)));
        else if (code <= 0xFF)
            result.append(pattern.arg(uint(code), 2, 16, QLatin1Char('0')));
        else
            result.append(pattern.arg(QStringLiteral("00")));
    }
    return result;
}

int ScannerEventHandler::on_data_event(const unsigned char *data, int size)
{
    emit scannerDataEvent(scannerText(data, size));
    return 0;
}

RIdiVeravErevuzi::RIdiVeravErevuzi(QObject *parent)
    : QObject(parent)
{
}

RIdiVeravErevuzi::~RIdiVeravErevuzi() = default;

int RIdiVeravErevuzi::showWarning(const wchar_t *, const wchar_t *)
{
    return 0;
}

int RIdiVeravErevuzi::onErrorOccurred(int code)
{
    qDebug().noquote() << QStringLiteral("error from driver: %1").arg(code);
    emit errorOccurred(code);
    return 0;
}
