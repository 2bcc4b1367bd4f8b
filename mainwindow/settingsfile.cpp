// The device list with each driver's settings, kept across restarts in one
// XML file.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"
#include "fptrdevicelist.h"
#include "nohelpbutton.h"
#include "zeruzuva.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
const QLatin1String RootElement("riv_eroziror_urari");
const QLatin1String ObjectElement("object");
const QLatin1String FormatVersion("1.0");
} // namespace

void FptrMainWindow::saveSettings(const QString &path)
{
    // Written to a temporary file and renamed into place, so a crash, a kill
    // or a full disk never leaves a truncated list behind.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        QXmlStreamWriter xml(&file);
        xml.setAutoFormatting(false);
        xml.writeStartDocument();
        xml.writeStartElement(RootElement);
        xml.writeAttribute(QStringLiteral("version"), FormatVersion);
        for (int i = 0; i < ui->cmbDeviceList->count(); ++i) {
            const int number = ui->cmbDeviceList->itemData(i).toInt();
            QString settings;
            int kind = -1;
            try {
                ZEruZuva *target = m_deviceList->device(number);
                settings = target->getBuff(&IFptr::DeviceSettings);
                kind = m_deviceList->deviceType(number);
            } catch (const std::exception &) {
                continue;
            }
            if (settings.isEmpty() || kind == -1)
                continue;
            xml.writeStartElement(ObjectElement);
            xml.writeAttribute(QStringLiteral("name"), ui->cmbDeviceList->itemText(i));
            xml.writeAttribute(QStringLiteral("type"), QString::number(kind));
            xml.writeCharacters(settings);
            xml.writeEndElement();
        }
        // Not writeEndDocument(): it would add a line break after the root.
        xml.writeEndElement();
        ok = !xml.hasError() && file.commit();
    }
    if (!ok) {
        NoHelpButtonMessageBox::warning(this, tr("Ошибка"), tr("Сохранить настройки не удалось"),
                                        QMessageBox::Ok);
    }
}

void FptrMainWindow::loadSettings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;

    QXmlStreamReader xml(&file);
    if (xml.readNextStartElement()) {
        if (xml.name() == RootElement
            && xml.attributes().value(QLatin1String("version")) == FormatVersion) {
            while (xml.readNextStartElement()) {
                const QXmlStreamAttributes attributes = xml.attributes();
                if (xml.name() != ObjectElement
                    || !attributes.hasAttribute(QLatin1String("name"))
                    || !attributes.hasAttribute(QLatin1String("type"))) {
                    // An element that cannot describe a device is passed over
                    // whole; the devices after it still load.
                    xml.skipCurrentElement();
                    continue;
                }
                const QString name = attributes.value(QLatin1String("name")).toString();
                const int kind = attributes.value(QLatin1String("type")).toString().toInt();
                const QString settings = xml.readElementText();
                if (xml.hasError())
                    continue;

                ZEruZuva *created = m_deviceList->create(static_cast<FptrFactory::PrinterDevice>(kind));
                if (!created) {
                    xml.raiseError(tr("Не удалось создать объект драйвера"));
                    continue;
                }
                try {
                    setBuff(&IFptr::DeviceSettings, settings, created);
                    initDevice(created);
                    const int number = m_deviceList->addDevice(static_cast<FptrFactory::PrinterDevice>(kind), created);
                    ZEruZuva *kept = created;
                    created = nullptr;
                    ui->cmbDeviceList->addItem(name.isEmpty() ? defaultDeviceName(kept->ted()) : name, number);
                } catch (const std::exception &) {
                    int code = 0;
                    QString description;
                    if (created && created->ted()) {
                        code = created->getInt(&IFptr::ResultCode);
                        description = created->getBuff(&IFptr::ResultDescription);
                    }
                    xml.raiseError(tr("[%1] %2").arg(QString::number(code), description));
                    releaseUnused(kind, created);
                }
            }
        } else {
            xml.raiseError(tr("Неизвестный формат файла"));
        }
    }

    if (xml.hasError()) {
        NoHelpButtonMessageBox::warning(
            this, tr("Ошибка"),
            tr("Ошибка загрузки настроек:\n%1\n\nЗагружены настройки по умолчанию").arg(xml.errorString()),
            QMessageBox::Ok);
        m_deviceList->clear();
        ui->cmbDeviceList->clear();
    } else {
        ui->cmbDeviceList->setCurrentIndex(0);
    }
}
