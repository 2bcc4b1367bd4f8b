#pragma once

// Printing onto the virtual tape: plain and formatted text, the header and
// footer, the demo page, cuts, and the documents other modules print
// (receipts, reports) through the printDocument service. Every document
// goes through one path: a document started without paper fails with "no
// paper" and waits, whole, in the device memory until ContinuePrint prints
// it with paper back; while it waits nothing else prints. Printing takes
// time at the configured speed (lines a second). Texts printed on the
// control tape (PrintPurpose 1 and 2) go to a tape file of their own.
// Provides printDocument, printerReady, headerLines, footerLines,
// layoutText and the printer's counters.

#include "core/module.h"

#include <QList>
#include <QStringList>

namespace vreg {

class PrintingModule : public Module
{
public:
    static QString controlTapeFileName() { return QStringLiteral("control-tape.txt"); }

    explicit PrintingModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("printing"); }
    void resetState() override;
    bool loadState(const QJsonObject &section, QString *error) override;
    QJsonObject saveState() const override;
    // An interrupted document is set and cleared by actions of their own, so
    // its sizes tell it apart from the one stored before.
    QByteArray stateFingerprint() const override
    {
        return fingerprintOf(m_lines, m_cuts, m_hasPending, m_pending.receipt.size(), m_pending.control.size(),
                             m_pending.cuts);
    }
    // The printer's life counters and an interrupted document, like a real
    // printer's, may be lost in a power cut.
    Durability stateDurability() const override { return Durability::Working; }

    void disconnected() override;

private:
    struct Document
    {
        QStringList receipt; // lines of the receipt tape
        QStringList control; // lines of the control tape
        int cuts = 0;
    };
    struct Field
    {
        QString text;
        bool bold = false;
        bool underline = false;
        bool negative = false;
    };

    int printText();
    int printHeader();
    int printFooter();
    int continuePrint();
    int addField();
    int printFormattedText();
    int demoPrint();
    int cut(bool full);

    // 0 when a document would print now, else the failure recorded.
    int ready();
    // The one way to the tape: waits for ContinuePrint without paper,
    // refuses while a document waits, prints at the configured speed.
    int output(const Document &document);
    int write(const Document &document);

    int width() const;
    // A text laid out for the tape, its marks honoured; false after
    // recording the failure (a malformed mark, a missing picture...). A
    // `stored` text (a caption) shows a missing picture or barcode as a
    // placeholder instead.
    bool layout(const QString &text, bool wide, int wrap, int alignment, QStringList *lines, bool stored = false);
    // The same for texts from the tables, which never fail: a malformed
    // mark is printed as a question mark.
    QStringList layoutStored(const QString &text, int alignment);
    QStringList headerLines(bool always);
    QStringList footerLines();
    QStringList demoLines();

    QList<Field> m_fields; // added by AddField, printed by PrintFormattedText
    Document m_pending;
    bool m_hasPending = false;
    qint64 m_lines = 0;
    qint64 m_cuts = 0;
};

} // namespace vreg
