#pragma once

// The device's programmable tables: numeric settings ("values" 0 to 394),
// text settings ("captions" 0 to 298) and the table fields, which are a
// second view of the same memory by table, row and field (passwords,
// header, footer, sections, taxes, organisation, network, all values).
// Reading works in any mode, writing only in the programming mode (4);
// passwords can be read only there too. InitTables restores the factory
// tables. Provides the caption and value services.

#include "core/module.h"

#include <QStringList>
#include <QVector>

namespace vreg {

class TablesModule : public Module
{
public:
    static constexpr int kValueCount = 395;
    static constexpr int kCaptionCount = 299;

    explicit TablesModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("tables"); }
    void resetState() override;
    const char *schema() const override;
    bool load(Database &db, QString *error) override;
    bool store(Database &db) override;
    bool loadState(const QJsonObject &section, QString *error) override;

    // Where a table field lives and how it is written.
    struct FieldRef
    {
        enum Target { ToValue, ToCaption };
        enum Format { Integer, Hundredths, Text, Bytes };
        Target target = ToValue;
        int number = 0;   // value or caption number
        int type = 0;     // the FieldType it must be read and written with
        Format format = Integer;
        int byteCount = 0; // Bytes: the field's size
    };
    // False when the table, row or field does not exist.
    static bool resolveField(int table, int row, int field, FieldRef *ref);
    // The field Table/Row/Field addresses, checked against FieldType;
    // `typeVerb` says whether the type was asked for or given. A failure is
    // recorded and gives false.
    bool checkedField(const QString &typeVerb, FieldRef *ref);

private:
    int getValue();
    int setValue();
    int getCaption();
    int setCaption();
    int getField();
    int setField();
    int initTables();

    bool requireProgramming(const QString &what);
    bool readableCaption(int number);
    // Checks a new value / caption; false after recording the failure.
    bool acceptValue(int number, double value, const QString &source);
    bool acceptCaption(int number, QString *text, const QString &source);

    double valueAt(int number) const;
    QString captionAt(int number) const;

    QVector<double> m_values;
    QStringList m_captions;
    // As the database holds them: only what differs is written.
    QVector<double> m_storedValues;
    QStringList m_storedCaptions;
};

} // namespace vreg
