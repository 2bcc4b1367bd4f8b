#pragma once

// A driver object for tests: it implements the whole contract in-process,
// logs every call with its arguments in order, keeps written property values
// so that reads return them (or what a test sets), and fails any chosen call
// with a chosen code and description.
//
// Log entries:
//   setters  "Name=value"   (int and double in decimal, texts as written,
//                            dates "dd.MM.yyyy", times "hh:mm:ss")
//   getters  "Name?"        (string getters add the capacity: "Name?256")
//   actions  "Name()"
//   others   "ReadSetting(Model)", "ReadSettingDescription(Model)",
//            "WriteSetting(SearchDir,/path)", "ParentWindow(set)",
//            "ParentWindow(null)", "ScannerCallback(set)", "ScannerCallback(null)"

#include "ifptr.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class RecordingDriver : public VOR::Fptr::IFptr
{
public:
    RecordingDriver();
    ~RecordingDriver() override;

    // ---- the log
    QStringList log() const;
    // The log without getter entries (writes, actions and settings calls).
    QStringList writesAndActions() const;
    void clearLog();
    int count(const QString &entry) const;

    // ---- property values (by operation name, e.g. "Summ", "Date")
    // Int, double and text values are stored as such; dates and times as
    // QList<int>{day, month, year} / {hour, minute, second}.
    void set(const QString &name, const QVariant &value);
    QVariant get(const QString &name) const;
    void setDate(const QString &name, int day, int month, int year);
    void setTime(const QString &name, int hour, int minute, int second);
    // A string getter returns this instead of the text's length (to model
    // drivers reporting absurd lengths); the text is still copied as usual.
    void setStringResult(const QString &name, int result);

    // ---- settings read by name
    void setSetting(const QString &name, const QString &value);
    void setSettingDescription(const QString &name, const QString &mapping);
    QString setting(const QString &name) const;

    // ---- failures
    // Makes the named setter or action fail (return `result`) with the code,
    // description and detail, `times` times (-1: every time).
    void failOn(const QString &name, int code, const QString &description,
                const QString &detail = QString(), int times = -1, int result = -1);
    void clearFailures();

    // ---- actions
    // The value an action returns when it succeeds (default 0).
    void setActionResult(const QString &name, int result);
    // Runs instead of the default success; may call fail() and set values.
    void onAction(const QString &name, std::function<int()> hook);
    // Runs when a getter of the named property is called, before it reads
    // (outside the driver's lock), e.g. to block a read while a test acts.
    void onRead(const QString &name, std::function<void()> hook);
    // Helper for hooks: records a failure and returns -1.
    int fail(int code, const QString &description, const QString &detail = QString());

    void *parentWindow() const { return m_parentWindow; }
    VOR::AbstractScannerEventHandler *scannerCallback() const { return m_scanner; }

    // ---- the contract
#define REC_INT_R(Name) int Name(int *value) override { return readInt(#Name, value); }
#define REC_INT_W(Name) int Name(int value) override { return write(#Name, value, QString::number(value)); }
#define REC_DOUBLE_R(Name) int Name(double *value) override { return readDouble(#Name, value); }
#define REC_DOUBLE_W(Name) int Name(double value) override { return write(#Name, value, QString::number(value, 'g', 15)); }
#define REC_STRING_R(Name) int Name(wchar_t *buffer, int capacity) override { return readString(#Name, buffer, capacity); }
#define REC_STRING_W(Name) int Name(const wchar_t *value) override { return writeString(#Name, value); }
#define REC_DATE_R(Name) int Name(int *a, int *b, int *c) override { return readTriple(#Name, a, b, c); }
#define REC_DATE_W(Name) int Name(int a, int b, int c) override { return writeTriple(#Name, a, b, c, true); }
#define REC_TIME_R(Name) int Name(int *a, int *b, int *c) override { return readTriple(#Name, a, b, c); }
#define REC_TIME_W(Name) int Name(int a, int b, int c) override { return writeTriple(#Name, a, b, c, false); }
#define REC_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, REC)
#define REC_ACTION(Name) int Name() override { return action(#Name); }
    VOR_ALL_OPERATIONS(REC_PROPERTY, REC_ACTION)
#undef REC_PROPERTY
#undef REC_ACTION
#undef REC_INT_R
#undef REC_INT_W
#undef REC_DOUBLE_R
#undef REC_DOUBLE_W
#undef REC_STRING_R
#undef REC_STRING_W
#undef REC_DATE_R
#undef REC_DATE_W
#undef REC_TIME_R
#undef REC_TIME_W

    int ParentWindow(void *window) override;
    int ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity) override;
    int WriteSetting(const wchar_t *name, const wchar_t *value) override;
    int ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity) override;
    int ScannerCallback(VOR::AbstractScannerEventHandler *handler) override;

private:
    struct Failure
    {
        int code;
        QString description;
        QString detail;
        int times;
        int result;
    };

    void append(const QString &entry);
    // Applies a configured failure for `name`, if any; returns true when the
    // call must fail (the result is then in `result`).
    bool takeFailure(const QString &name, int &result);
    void succeed();
    int write(const char *name, const QVariant &value, const QString &shown);
    int writeString(const char *name, const wchar_t *value);
    int writeTriple(const char *name, int a, int b, int c, bool isDate);
    int readInt(const char *name, int *value);
    int readDouble(const char *name, double *value);
    int readString(const char *name, wchar_t *buffer, int capacity);
    int readTriple(const char *name, int *a, int *b, int *c);
    int action(const char *name);
    int copyText(const QString &text, wchar_t *buffer, int capacity, int result);
    void runReadHook(const QString &name);

    mutable QMutex m_mutex;
    QStringList m_log;
    QHash<QString, QVariant> m_values;
    QHash<QString, int> m_stringResults;
    QHash<QString, QString> m_settings;
    QHash<QString, QString> m_settingDescriptions;
    QHash<QString, Failure> m_failures;
    QHash<QString, int> m_actionResults;
    QHash<QString, std::function<int()>> m_hooks;
    QHash<QString, std::function<void()>> m_readHooks;
    void *m_parentWindow = nullptr;
    VOR::AbstractScannerEventHandler *m_scanner = nullptr;
};
