#pragma once

// The call journal: every driver call the bench makes, with its value, its
// result and its timing, kept in a ring of a fixed number of calls. The
// journaling driver object (journalingdriver.h) writes into it from any
// thread; the journal panel, the journal files and the replay tool read it.
//
// Calls are numbered from 1 without gaps, so a reader asks for "everything
// after number n" and learns from the number of the oldest call still held
// how many it has missed.

#include "ifptr.h"

#include <QList>
#include <QString>
#include <QVector>

#include <memory>
#include <mutex>
#include <vector>

namespace Journal {

enum class Kind : quint8 { Setter, Getter, Action };
enum class Type : quint8 { None, Int, Double, Text, Date, Time };
enum class Thread : quint8 { Gui, Worker };

// One journaled operation of the driver contract.
struct Operation
{
    const char *name;
    Kind kind;
    Type type;
    // The operation takes a setting name first (ReadSetting and its kin).
    bool named;
};

// Getters, setters and actions of every operation list of the contract, in
// list order, followed by the settings operations that take a setting name.
enum OperationId : quint16 {
#define JOURNAL_ID_INT_R(Name) Get_##Name,
#define JOURNAL_ID_INT_W(Name) Set_##Name,
#define JOURNAL_ID_DOUBLE_R(Name) Get_##Name,
#define JOURNAL_ID_DOUBLE_W(Name) Set_##Name,
#define JOURNAL_ID_STRING_R(Name) Get_##Name,
#define JOURNAL_ID_STRING_W(Name) Set_##Name,
#define JOURNAL_ID_DATE_R(Name) Get_##Name,
#define JOURNAL_ID_DATE_W(Name) Set_##Name,
#define JOURNAL_ID_TIME_R(Name) Get_##Name,
#define JOURNAL_ID_TIME_W(Name) Set_##Name,
#define JOURNAL_ID_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, JOURNAL_ID)
#define JOURNAL_ID_ACTION(Name) Run_##Name,
    VOR_ALL_OPERATIONS(JOURNAL_ID_PROPERTY, JOURNAL_ID_ACTION)
#undef JOURNAL_ID_PROPERTY
#undef JOURNAL_ID_ACTION
    Set_WriteSetting,
    Get_ReadSetting,
    Get_ReadSettingDescription,
    OperationCount
};

const Operation &operation(int id);
// The operation of that name and kind; -1 when there is none.
int findOperation(const QString &name, Kind kind);

const char *kindName(Kind kind);
bool kindFromName(const QString &name, Kind *kind);

// One driver call.
struct Call
{
    quint64 seq = 0;        // number in the journal, from 1
    qint64 timeUs = 0;      // start, microseconds since 1970 (UTC)
    qint64 durationNs = 0;
    quint64 group = 0;      // the button press it belongs to; 0: none
    int deviceId = 0;
    quint16 op = 0;         // OperationId
    Thread thread = Thread::Gui;
    // A setter or action returned a negative result; code and description
    // are what the driver then reported.
    bool failed = false;
    int result = 0;
    int code = 0;
    int capacity = 0;       // string getters: the buffer the caller offered
    int ints[3] = {0, 0, 0}; // int value; day, month, year; hour, minute, second
    double number = 0;      // double value
    QString text;           // text value
    QString settingName;    // operations that take a setting name
    QString description;
    QString device;         // the device's display name at the time of the call
    QString groupName;      // the caption of the button pressed
    // The device's whole settings string as it was right after this call,
    // when the call changed the settings; empty otherwise.
    QString settings;

    const Operation &operation() const { return Journal::operation(op); }
};

// A device as the journal knows it.
struct Device
{
    int id = 0;
    int kind = 0;           // FptrFactory::PrinterDevice
    QString name;
    QString library;
    // The settings string in force before the first call of a journal file
    // (empty: not known).
    QString settings;
};

} // namespace Journal

class CallJournal
{
public:
    static const int DefaultCapacity = 100000;

    explicit CallJournal(int capacity = DefaultCapacity);
    ~CallJournal();

    CallJournal(const CallJournal &) = delete;
    CallJournal &operator=(const CallJournal &) = delete;

    // The journal the bench's driver objects write into.
    static CallJournal &global();

    // ---- the ring
    int capacity() const;
    // Keeps the newest calls that fit; at least one call is kept.
    void setCapacity(int calls);
    // Stores the call under the next number (returned); device name and
    // group come from the journal.
    quint64 append(Journal::Call &&call);
    // Forgets every call; numbering goes on.
    void clear();
    // Number of the oldest call held, and the one the next call will get;
    // equal when the journal is empty.
    quint64 firstSeq() const;
    quint64 nextSeq() const;
    // Copies the calls numbered `from` and on (at most `max`) to the end of
    // `out`; returns the number after the last one copied. Calls already
    // dropped are skipped.
    quint64 copySince(quint64 from, std::vector<Journal::Call> &out, size_t max = size_t(-1)) const;
    // Increases with every change a reader must start over for (clear,
    // capacity).
    quint64 generation() const;

    // ---- devices
    int addDevice(int kind, const QString &library);
    void setDeviceName(int id, const QString &name);
    // Every device, with the settings in force before call `seq`.
    QList<Journal::Device> devices(quint64 seq = quint64(-1)) const;
    // Increases with every new device or name.
    quint64 deviceVersion() const;

    // ---- button presses: calls made in between belong to the press.
    // Presses inside a press (a handler working another widget) are part of
    // the outer one.
    void beginGroup(const QString &name);
    void endGroup();

private:
    struct DeviceEntry
    {
        Journal::Device device;
        // (call number, settings after it), oldest first.
        QVector<QPair<quint64, QString>> history;
    };

    // The ring is kept in blocks that are added as it fills: an idle bench
    // holds no full ring, and growing never moves the calls already held.
    typedef std::vector<std::unique_ptr<Journal::Call[]>> Blocks;
    static constexpr size_t BlockSize = 4096;

    Journal::Call &at(size_t index) const { return m_blocks[index / BlockSize][index % BlockSize]; }
    Journal::Call &slot(quint64 seq) const { return at(size_t((seq - m_origin) % m_capacity)); }
    void push(Journal::Call &&call);

    mutable std::mutex m_mutex;
    Blocks m_blocks;
    size_t m_size = 0;    // calls in the blocks, at most m_capacity
    size_t m_capacity;
    quint64 m_origin = 1; // number of the call at index 0
    quint64 m_first = 1;
    quint64 m_next = 1;
    quint64 m_generation = 0;
    QList<DeviceEntry> m_devices;
    quint64 m_deviceVersion = 0;
    quint64 m_groupCounter = 0;
    quint64 m_group = 0;
    int m_groupDepth = 0;
    QString m_groupName;
};
