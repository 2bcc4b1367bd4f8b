#include "calljournal.h"

#include <QHash>

#include <utility>

namespace Journal {

namespace {

const Operation operations[] = {
#define JOURNAL_OP_INT_R(Name) {#Name, Kind::Getter, Type::Int, false},
#define JOURNAL_OP_INT_W(Name) {#Name, Kind::Setter, Type::Int, false},
#define JOURNAL_OP_DOUBLE_R(Name) {#Name, Kind::Getter, Type::Double, false},
#define JOURNAL_OP_DOUBLE_W(Name) {#Name, Kind::Setter, Type::Double, false},
#define JOURNAL_OP_STRING_R(Name) {#Name, Kind::Getter, Type::Text, false},
#define JOURNAL_OP_STRING_W(Name) {#Name, Kind::Setter, Type::Text, false},
#define JOURNAL_OP_DATE_R(Name) {#Name, Kind::Getter, Type::Date, false},
#define JOURNAL_OP_DATE_W(Name) {#Name, Kind::Setter, Type::Date, false},
#define JOURNAL_OP_TIME_R(Name) {#Name, Kind::Getter, Type::Time, false},
#define JOURNAL_OP_TIME_W(Name) {#Name, Kind::Setter, Type::Time, false},
#define JOURNAL_OP_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, JOURNAL_OP)
#define JOURNAL_OP_ACTION(Name) {#Name, Kind::Action, Type::None, false},
    VOR_ALL_OPERATIONS(JOURNAL_OP_PROPERTY, JOURNAL_OP_ACTION)
#undef JOURNAL_OP_PROPERTY
#undef JOURNAL_OP_ACTION
    {"WriteSetting", Kind::Setter, Type::Text, true},
    {"ReadSetting", Kind::Getter, Type::Text, true},
    {"ReadSettingDescription", Kind::Getter, Type::Text, true},
};

static_assert(sizeof(operations) / sizeof(operations[0]) == OperationCount,
              "one table entry per operation id");

const char *const kindNames[] = {"setter", "getter", "action"};

QString operationKey(const QString &name, Kind kind)
{
    return name + QLatin1Char('/') + QLatin1String(kindNames[int(kind)]);
}

} // namespace

const Operation &operation(int id)
{
    static const Operation unknown = {"?", Kind::Action, Type::None, false};
    return id >= 0 && id < OperationCount ? operations[id] : unknown;
}

int findOperation(const QString &name, Kind kind)
{
    static const QHash<QString, int> byKey = [] {
        QHash<QString, int> keys;
        for (int id = 0; id < OperationCount; ++id)
            keys.insert(operationKey(QLatin1String(operations[id].name), operations[id].kind), id);
        return keys;
    }();
    return byKey.value(operationKey(name, kind), -1);
}

const char *kindName(Kind kind)
{
    return kindNames[int(kind)];
}

bool kindFromName(const QString &name, Kind *kind)
{
    for (int k = 0; k < 3; ++k) {
        if (name == QLatin1String(kindNames[k])) {
            *kind = Kind(k);
            return true;
        }
    }
    return false;
}

} // namespace Journal

CallJournal::CallJournal(int capacity)
    : m_capacity(size_t(qMax(capacity, 1)))
{
}

CallJournal::~CallJournal() = default;

CallJournal &CallJournal::global()
{
    static CallJournal journal;
    return journal;
}

int CallJournal::capacity() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_capacity);
}

void CallJournal::push(Journal::Call &&call)
{
    if (m_size % BlockSize == 0)
        m_blocks.emplace_back(new Journal::Call[qMin(BlockSize, m_capacity - m_size)]);
    at(m_size++) = std::move(call);
}

void CallJournal::setCapacity(int calls)
{
    const size_t capacity = size_t(qMax(calls, 1));
    Blocks blocks;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (capacity == m_capacity)
        return;
    const quint64 first = qMax(m_first, m_next > capacity ? m_next - capacity : quint64(1));
    std::vector<Journal::Call> kept;
    kept.reserve(size_t(m_next - first));
    for (quint64 seq = first; seq < m_next; ++seq)
        kept.push_back(std::move(slot(seq)));
    // The old blocks, with the calls that did not fit, are freed after the
    // lock.
    m_blocks.swap(blocks);
    m_size = 0;
    m_capacity = capacity;
    for (Journal::Call &call : kept)
        push(std::move(call));
    m_origin = first;
    m_first = first;
    ++m_generation;
}

quint64 CallJournal::append(Journal::Call &&call)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const quint64 seq = m_next++;
    call.seq = seq;
    call.group = m_group;
    if (m_group)
        call.groupName = m_groupName;
    if (call.deviceId > 0 && call.deviceId <= m_devices.size()) {
        DeviceEntry &entry = m_devices[call.deviceId - 1];
        call.device = entry.device.name;
        if (!call.settings.isEmpty())
            entry.history.append(qMakePair(seq, call.settings));
    }
    // A reused slot's previous call goes back to the caller, which frees it
    // after the lock is gone.
    if (m_size < m_capacity)
        push(std::move(call));
    else
        std::swap(slot(seq), call);
    if (m_next - m_first > m_capacity)
        m_first = m_next - m_capacity;
    return seq;
}

void CallJournal::clear()
{
    Blocks blocks;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blocks.swap(blocks);
    m_size = 0;
    m_first = m_next;
    m_origin = m_next;
    ++m_generation;
}

quint64 CallJournal::firstSeq() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_first;
}

quint64 CallJournal::nextSeq() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_next;
}

quint64 CallJournal::copySince(quint64 from, std::vector<Journal::Call> &out, size_t max) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    quint64 seq = qMax(from, m_first);
    const quint64 end = max < m_next - seq ? seq + max : m_next;
    out.reserve(out.size() + size_t(end - seq));
    for (; seq < end; ++seq)
        out.push_back(slot(seq));
    return seq;
}

quint64 CallJournal::generation() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_generation;
}

int CallJournal::addDevice(int kind, const QString &library)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    DeviceEntry entry;
    entry.device.id = int(m_devices.size()) + 1;
    entry.device.kind = kind;
    entry.device.library = library;
    m_devices.append(entry);
    ++m_deviceVersion;
    return entry.device.id;
}

void CallJournal::setDeviceName(int id, const QString &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (id < 1 || id > m_devices.size() || m_devices[id - 1].device.name == name)
        return;
    m_devices[id - 1].device.name = name;
    ++m_deviceVersion;
}

QList<Journal::Device> CallJournal::devices(quint64 seq) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<Journal::Device> result;
    for (const DeviceEntry &entry : m_devices) {
        Journal::Device device = entry.device;
        for (const auto &change : entry.history) {
            if (change.first >= seq)
                break;
            device.settings = change.second;
        }
        result.append(device);
    }
    return result;
}

quint64 CallJournal::deviceVersion() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_deviceVersion;
}

void CallJournal::beginGroup(const QString &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_groupDepth++ > 0)
        return;
    m_group = ++m_groupCounter;
    m_groupName = name;
}

void CallJournal::endGroup()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_groupDepth == 0 || --m_groupDepth > 0)
        return;
    m_group = 0;
    m_groupName.clear();
}
