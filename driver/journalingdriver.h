#pragma once

// A driver object that journals every call it passes on to another one.
// The factory puts one around every driver object it hands out, so every
// call the bench makes, on any thread, lands in the call journal with its
// value, result and timing; the bench itself sees no difference.
//
// After a failing setter or action the journal wants the driver's code and
// description. Reading them is a driver call too, and a driver may well
// change its answer once it has been read; so the two values are kept, and
// the caller's own reads of ResultCode and ResultDescription that follow are
// answered with them, until the caller makes any other call.
//
// ParentWindow and ScannerCallback pass through unchanged and are not
// journaled: they carry pointers, not values.

#include "calljournal.h"
#include "ifptr.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <string>

class JournalingDriver final : public VOR::Fptr::IFptr
{
public:
    // Journals the calls to `inner` (not owned) into `journal` as device
    // `deviceId` of the journal.
    JournalingDriver(VOR::Fptr::IFptr *inner, CallJournal &journal, int deviceId);
    ~JournalingDriver() override;

    JournalingDriver(const JournalingDriver &) = delete;
    JournalingDriver &operator=(const JournalingDriver &) = delete;

    VOR::Fptr::IFptr *inner() const { return m_inner; }
    int deviceId() const { return m_deviceId; }
    CallJournal &journal() const { return m_journal; }

    // The journaling object behind a driver pointer, or null when the
    // pointer is not one (a driver object handed out unjournaled).
    static JournalingDriver *find(const VOR::IDTOBase *driver);

    // Wide texts of the contract and back, keeping every code unit a driver
    // may send, even half a surrogate pair; only values beyond Unicode
    // become U+FFFD. (The toolkit's conversions replace the halves.)
    static QString fromWide(const wchar_t *text, int length = -1);
    static std::wstring toWide(const QString &text);

    typedef VOR::Fptr::IFptr IFptr;

#define JD_MEMBER_INT_R(Name) \
    int Name(int *value) override { return readInt(Journal::Get_##Name, &IFptr::Name, value); }
#define JD_MEMBER_INT_W(Name) \
    int Name(int value) override { return writeInt(Journal::Set_##Name, &IFptr::Name, value); }
#define JD_MEMBER_DOUBLE_R(Name) \
    int Name(double *value) override { return readDouble(Journal::Get_##Name, &IFptr::Name, value); }
#define JD_MEMBER_DOUBLE_W(Name) \
    int Name(double value) override { return writeDouble(Journal::Set_##Name, &IFptr::Name, value); }
#define JD_MEMBER_STRING_R(Name) \
    int Name(wchar_t *buffer, int capacity) override \
    { \
        return readText(Journal::Get_##Name, &IFptr::Name, buffer, capacity); \
    }
#define JD_MEMBER_STRING_W(Name) \
    int Name(const wchar_t *value) override { return writeText(Journal::Set_##Name, &IFptr::Name, value); }
#define JD_MEMBER_DATE_R(Name) \
    int Name(int *a, int *b, int *c) override { return readTriple(Journal::Get_##Name, &IFptr::Name, a, b, c); }
#define JD_MEMBER_DATE_W(Name) \
    int Name(int a, int b, int c) override { return writeTriple(Journal::Set_##Name, &IFptr::Name, a, b, c); }
#define JD_MEMBER_TIME_R(Name) JD_MEMBER_DATE_R(Name)
#define JD_MEMBER_TIME_W(Name) JD_MEMBER_DATE_W(Name)
#define JD_MEMBER_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, JD_MEMBER)
#define JD_MEMBER_ACTION(Name) \
    int Name() override { return run(Journal::Run_##Name, &IFptr::Name); }

    VOR_ALL_OPERATIONS(JD_MEMBER_PROPERTY, JD_MEMBER_ACTION)

#undef JD_MEMBER_PROPERTY
#undef JD_MEMBER_ACTION
#undef JD_MEMBER_INT_R
#undef JD_MEMBER_INT_W
#undef JD_MEMBER_DOUBLE_R
#undef JD_MEMBER_DOUBLE_W
#undef JD_MEMBER_STRING_R
#undef JD_MEMBER_STRING_W
#undef JD_MEMBER_DATE_R
#undef JD_MEMBER_DATE_W
#undef JD_MEMBER_TIME_R
#undef JD_MEMBER_TIME_W

    int ParentWindow(void *window) override;
    int ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity) override;
    int WriteSetting(const wchar_t *name, const wchar_t *value) override;
    int ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity) override;
    int ScannerCallback(VOR::AbstractScannerEventHandler *handler) override;

private:
    class Record;

    // The number getters and setters of both kinds, journaled alike.
    template <typename T>
    int readNumber(Journal::OperationId op, int (IFptr::*getter)(T *), T *value);
    template <typename T>
    int writeNumber(Journal::OperationId op, int (IFptr::*setter)(T), T value);
    int readInt(Journal::OperationId op, int (IFptr::*getter)(int *), int *value);
    int writeInt(Journal::OperationId op, int (IFptr::*setter)(int), int value);
    int readDouble(Journal::OperationId op, int (IFptr::*getter)(double *), double *value);
    int writeDouble(Journal::OperationId op, int (IFptr::*setter)(double), double value);
    int readText(Journal::OperationId op, int (IFptr::*getter)(wchar_t *, int), wchar_t *buffer, int capacity);
    int readSettingText(Journal::OperationId op, int (IFptr::*read)(const wchar_t *, wchar_t *, int),
                        const wchar_t *name, wchar_t *buffer, int capacity);
    int writeText(Journal::OperationId op, int (IFptr::*setter)(const wchar_t *), const wchar_t *value);
    int readTriple(Journal::OperationId op, int (IFptr::*getter)(int *, int *, int *), int *a, int *b, int *c);
    int writeTriple(Journal::OperationId op, int (IFptr::*setter)(int, int, int), int a, int b, int c);
    int run(Journal::OperationId op, int (IFptr::*action)());

    // Ends a call: duration, failure details, settings; into the journal.
    int finish(Record &record, int result);
    // Any call but the caller's reads of the failure forgets the kept one.
    void forgetFailure();
    bool keptCode(int *code);
    bool keptDescription(std::wstring *description);
    // The driver's code and description of the failure just seen, read
    // outside the journal and kept for the caller.
    void readFailure(Journal::Call &call);
    // The driver's settings string, read outside the journal.
    QString readSettings();

    VOR::Fptr::IFptr *m_inner;
    CallJournal &m_journal;
    const int m_deviceId;
    // The thread that made the object: the window's.
    const void *m_homeThread;

    std::mutex m_keptMutex;
    std::atomic<bool> m_hasKept{false};
    int m_keptCode = 0;
    std::wstring m_keptDescription;
};
