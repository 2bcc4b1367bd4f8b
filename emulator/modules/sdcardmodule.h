#pragma once

// Files on the register's SD card (modules/sdcard.h): a directory listing
// and one open file, read and written at FileOffset. Nothing is kept in the
// device memory: the card is the folder itself, and the open listing and
// file belong to the connection.

#include "core/module.h"
#include "modules/sdcard.h"

#include <QList>
#include <QString>

namespace vreg {

class SdCardModule : public Module
{
public:
    using Module::Module;
    void registerActions(ActionRegistry &registry) override;
    void disconnected() override;

private:
    struct Entry
    {
        QString name; // a folder's name ends with "/"
        qint64 size = 0;
    };

    int openDirectory();
    int readDirectory();
    int closeDirectory();
    int openFile();
    int closeFile();
    int removeFile();
    int writeFile();
    int readFile();

    int fail(const sdcard::Failure &failure);
    // The card's folder holding the last name of `path`; `leaf` gets that name.
    sdcard::Fd parentFolder(const QString &path, QString *leaf);
    // Checks the open file and the offset for reading or writing.
    int prepareTransfer(bool write, qint64 *size);

    bool m_listing = false;
    QString m_listedPath;
    QList<Entry> m_entries;
    int m_next = 0;

    sdcard::Fd m_file;
    QString m_fileName;
    int m_fileMode = 0; // 0 read, 1 write, 2 both
};

} // namespace vreg
