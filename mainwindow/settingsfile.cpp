// The device list with each driver's settings, kept across restarts in one
// XML file.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"
#include "fptrdevicelist.h"
#include "nohelpbutton.h"
#include "zeruzuva.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
const QLatin1String RootElement("riv_eroziror_urari");
const QLatin1String ObjectElement("object");
const QLatin1String FormatVersion("1.0");

// Whether XML 1.0 can carry the text at all: it has no way to write most
// control characters, lone surrogates, U+FFFE and U+FFFF, not even escaped.
bool isXmlText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0x9 || c == 0xA || c == 0xD)
            continue;
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF || QChar::isLowSurrogate(c))
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return false;
            ++i;
        }
    }
    return true;
}

// A name for a message, with what XML cannot carry made visible.
QString shownName(const QString &name)
{
    QString shown;
    for (const QChar c : name)
        shown += isXmlText(QString(c)) || c.isSurrogate() ? c : QChar(QChar::ReplacementCharacter);
    return shown;
}

// Character data that reads back exactly: a reader turns every carriage
// return of the text into a line feed, a character reference it keeps.
void writeExactText(QXmlStreamWriter &xml, const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            xml.writeEntityReference(QStringLiteral("#13"));
        if (!parts.at(i).isEmpty())
            xml.writeCharacters(parts.at(i));
    }
}

// Copies the file that failed to load to a file beside it (replacing an
// older copy) before anything overwrites it.
bool keepCopy(QFile &file, const QString &copyPath)
{
    QSaveFile copy(copyPath);
    if (!file.seek(0) || !copy.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return file.error() == QFileDevice::NoError && copy.write(bytes) == bytes.size() && copy.commit();
}
} // namespace

void FptrMainWindow::saveSettings(const QString &path)
{
    // Written to a temporary file and renamed into place, so a crash, a kill
    // or a full disk never leaves a truncated list behind.
    if (m_doNotOverwriteSettings)
        return;
    QSaveFile file(path);
    QStringList unsaved;
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
            const QString name = ui->cmbDeviceList->itemText(i);
            // One device the file cannot describe must not cost the others.
            if (!isXmlText(name) || !isXmlText(settings)) {
                unsaved << shownName(name);
                continue;
            }
            xml.writeStartElement(ObjectElement);
            xml.writeAttribute(QStringLiteral("name"), name);
            xml.writeAttribute(QStringLiteral("type"), QString::number(kind));
            writeExactText(xml, settings);
            xml.writeEndElement();
        }
        // Not writeEndDocument(): it would add a line break after the root.
        xml.writeEndElement();
        ok = !xml.hasError() && file.commit();
    }
    if (!ok) {
        NoHelpButtonMessageBox::warning(this, tr("Ошибка"), tr("Сохранить настройки не удалось"),
                                        QMessageBox::Ok);
    } else if (!unsaved.isEmpty()) {
        NoHelpButtonMessageBox::warning(
            this, tr("Ошибка"),
            tr("Не сохранены устройства, в имени или строке настроек которых есть знаки, "
               "недопустимые в файле настроек:\n%1")
                .arg(unsaved.join(QLatin1Char('\n'))),
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
        const QString copyPath = path + QLatin1String(".bak");
        QString kept;
        if (keepCopy(file, copyPath)) {
            kept = tr("Прежний файл настроек сохранен как %1").arg(QDir::toNativeSeparators(copyPath));
        } else {
            // Without a copy the file stays as the user left it rather than
            // give way to the default device at exit.
            m_doNotOverwriteSettings = true;
            kept = tr("Сохранить копию прежнего файла настроек как %1 не удалось; при выходе "
                      "файл перезаписан не будет")
                       .arg(QDir::toNativeSeparators(copyPath));
        }
        NoHelpButtonMessageBox::warning(
            this, tr("Ошибка"),
            tr("Ошибка загрузки настроек:\n%1\n\n%2\n\nЗагружены настройки по умолчанию")
                .arg(xml.errorString(), kept),
            QMessageBox::Ok);
        m_deviceList->clear();
        ui->cmbDeviceList->clear();
    } else {
        ui->cmbDeviceList->setCurrentIndex(0);
    }
}
