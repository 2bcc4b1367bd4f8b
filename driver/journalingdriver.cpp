#include "journalingdriver.h"

#include "zeruzuva.h"

#include <QThread>

#include <cwchar>

#include <chrono>
#include <unordered_set>
#include <vector>

namespace {

// Every journaling object alive, so a driver pointer can be told apart from
// one handed out unjournaled without relying on the run-time type of an
// object made by a foreign library.
std::mutex registryMutex;
std::unordered_set<const VOR::IDTOBase *> &registry()
{
    static std::unordered_set<const VOR::IDTOBase *> objects;
    return objects;
}

QString textOf(const wchar_t *text)
{
    return JournalingDriver::fromWide(text);
}

// The text in a caller's buffer up to its first zero, never beyond it.
QString bufferText(const wchar_t *buffer, int capacity)
{
    int length = 0;
    while (length < capacity && buffer[length] != L'\0')
        ++length;
    return JournalingDriver::fromWide(buffer, length);
}

// Reads a whole text through a string getter of the contract: a first
// attempt, and one sized to the reported length when it did not fit.
template <class Read>
std::wstring readWhole(Read read)
{
    std::vector<wchar_t> buffer(256, L'\0');
    int length = read(buffer.data(), int(buffer.size()));
    if (length > int(buffer.size()) && length <= DriverTexts::MaxLength) {
        buffer.assign(size_t(length) + 1, L'\0');
        length = read(buffer.data(), int(buffer.size()));
    }
    if (length < 1)
        return std::wstring();
    size_t size = 0;
    while (size < buffer.size() && size < size_t(length) && buffer[size] != L'\0')
        ++size;
    return std::wstring(buffer.data(), size);
}

} // namespace

class JournalingDriver::Record
{
public:
    Record(JournalingDriver &driver, Journal::OperationId op)
    {
        call.op = op;
        call.deviceId = driver.m_deviceId;
        call.thread = QThread::currentThreadId() == driver.m_homeThread ? Journal::Thread::Gui
                                                                        : Journal::Thread::Worker;
        call.timeUs = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
        m_start = std::chrono::steady_clock::now();
    }

    // Right after the driver returned: the duration is the driver's alone.
    void stop()
    {
        call.durationNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now() - m_start)
                              .count();
    }

    Journal::Call call;

private:
    std::chrono::steady_clock::time_point m_start;
};

JournalingDriver::JournalingDriver(VOR::Fptr::IFptr *inner, CallJournal &journal, int deviceId)
    : m_inner(inner)
    , m_journal(journal)
    , m_deviceId(deviceId)
    , m_homeThread(QThread::currentThreadId())
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry().insert(this);
}

JournalingDriver::~JournalingDriver()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry().erase(this);
}

QString JournalingDriver::fromWide(const wchar_t *text, int length)
{
    if (!text)
        return QString();
    if (length < 0)
        length = int(wcslen(text));
    QString out;
    out.reserve(length);
    for (int i = 0; i < length; ++i) {
        const char32_t code = char32_t(text[i]);
        if (code < 0x10000) {
            out += QChar(char16_t(code));
        } else if (code <= 0x10FFFF) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}

std::wstring JournalingDriver::toWide(const QString &text)
{
    std::wstring out;
    out.reserve(size_t(text.size()));
    const int size = int(text.size());
    for (int i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            out += wchar_t(QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else {
            out += wchar_t(unit);
        }
    }
    return out;
}

JournalingDriver *JournalingDriver::find(const VOR::IDTOBase *driver)
{
    if (!driver)
        return nullptr;
    std::lock_guard<std::mutex> lock(registryMutex);
    if (registry().count(driver) == 0)
        return nullptr;
    // Only objects of this class are registered.
    return static_cast<JournalingDriver *>(const_cast<VOR::IDTOBase *>(driver));
}

// ---- the kept failure -------------------------------------------------------

void JournalingDriver::forgetFailure()
{
    if (!m_hasKept.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(m_keptMutex);
    m_hasKept.store(false, std::memory_order_release);
    m_keptDescription.clear();
}

bool JournalingDriver::keptCode(int *code)
{
    if (!m_hasKept.load(std::memory_order_acquire))
        return false;
    std::lock_guard<std::mutex> lock(m_keptMutex);
    if (!m_hasKept.load(std::memory_order_relaxed))
        return false;
    *code = m_keptCode;
    return true;
}

bool JournalingDriver::keptDescription(std::wstring *description)
{
    if (!m_hasKept.load(std::memory_order_acquire))
        return false;
    std::lock_guard<std::mutex> lock(m_keptMutex);
    if (!m_hasKept.load(std::memory_order_relaxed))
        return false;
    *description = m_keptDescription;
    return true;
}

void JournalingDriver::readFailure(Journal::Call &call)
{
    int code = 0;
    m_inner->ResultCode(&code);
    std::wstring description = readWhole([this](wchar_t *buffer, int capacity) {
        return m_inner->ResultDescription(buffer, capacity);
    });
    call.code = code;
    call.description = fromWide(description.c_str(), int(description.size()));
    call.failed = code != 0;
    std::lock_guard<std::mutex> lock(m_keptMutex);
    m_keptCode = code;
    m_keptDescription = std::move(description);
    m_hasKept.store(true, std::memory_order_release);
}

QString JournalingDriver::readSettings()
{
    const std::wstring settings = readWhole([this](wchar_t *buffer, int capacity) {
        return m_inner->DeviceSettings(buffer, capacity);
    });
    return fromWide(settings.c_str(), int(settings.size()));
}

int JournalingDriver::finish(Record &record, int result)
{
    Journal::Call &call = record.call;
    call.result = result;
    const Journal::Kind kind = call.operation().kind;
    if (result < 0 && kind != Journal::Kind::Getter) {
        readFailure(call);
    } else if (result >= 0) {
        // Calls that change the settings note the whole string, so a journal
        // knows the settings its calls ran with (and a replay can apply what
        // a settings dialog did).
        switch (call.op) {
        case Journal::Set_DeviceSettings:
        case Journal::Set_WriteSetting:
        case Journal::Run_ApplySettings:
            call.settings = readSettings();
            break;
        case Journal::Run_ShowProperties:
            if (result == 1)
                call.settings = readSettings();
            break;
        default:
            break;
        }
    }
    m_journal.append(std::move(call));
    return result;
}

// ---- generated operations ---------------------------------------------------

int JournalingDriver::readInt(Journal::OperationId op, int (IFptr::*getter)(int *), int *value)
{
    int code = 0;
    if (op == Journal::Get_ResultCode && value && keptCode(&code)) {
        Record record(*this, op);
        *value = code;
        record.stop();
        record.call.ints[0] = code;
        return finish(record, 0);
    }
    return readNumber(op, getter, value);
}

namespace {

void keepValue(Journal::Call &call, int value)
{
    call.ints[0] = value;
}

void keepValue(Journal::Call &call, double value)
{
    call.number = value;
}

} // namespace

template <typename T>
int JournalingDriver::readNumber(Journal::OperationId op, int (IFptr::*getter)(T *), T *value)
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*getter)(value);
    record.stop();
    if (value)
        keepValue(record.call, *value);
    return finish(record, result);
}

template <typename T>
int JournalingDriver::writeNumber(Journal::OperationId op, int (IFptr::*setter)(T), T value)
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*setter)(value);
    record.stop();
    keepValue(record.call, value);
    return finish(record, result);
}

int JournalingDriver::writeInt(Journal::OperationId op, int (IFptr::*setter)(int), int value)
{
    return writeNumber(op, setter, value);
}

int JournalingDriver::readDouble(Journal::OperationId op, int (IFptr::*getter)(double *), double *value)
{
    return readNumber(op, getter, value);
}

int JournalingDriver::writeDouble(Journal::OperationId op, int (IFptr::*setter)(double), double value)
{
    return writeNumber(op, setter, value);
}

namespace {

// Copies a kept text out as a driver would: at most `capacity` characters,
// a terminating zero when there is room, the whole length as the result.
int copyOut(const std::wstring &text, wchar_t *buffer, int capacity)
{
    const int length = int(text.size());
    if (buffer && capacity > 0) {
        const int copied = qMin(length, capacity);
        std::copy(text.begin(), text.begin() + copied, buffer);
        if (copied < capacity)
            buffer[copied] = L'\0';
    }
    return length;
}

} // namespace

int JournalingDriver::readText(Journal::OperationId op, int (IFptr::*getter)(wchar_t *, int), wchar_t *buffer,
                               int capacity)
{
    std::wstring kept;
    const bool answerKept = op == Journal::Get_ResultDescription && keptDescription(&kept);
    if (!answerKept)
        forgetFailure();
    Record record(*this, op);
    const int result = answerKept ? copyOut(kept, buffer, capacity) : (m_inner->*getter)(buffer, capacity);
    record.stop();
    record.call.capacity = capacity;
    if (buffer && capacity > 0)
        record.call.text = bufferText(buffer, capacity);
    return finish(record, result);
}

int JournalingDriver::writeText(Journal::OperationId op, int (IFptr::*setter)(const wchar_t *), const wchar_t *value)
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*setter)(value);
    record.stop();
    record.call.text = textOf(value);
    return finish(record, result);
}

int JournalingDriver::readTriple(Journal::OperationId op, int (IFptr::*getter)(int *, int *, int *), int *a, int *b,
                                 int *c)
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*getter)(a, b, c);
    record.stop();
    record.call.ints[0] = a ? *a : 0;
    record.call.ints[1] = b ? *b : 0;
    record.call.ints[2] = c ? *c : 0;
    return finish(record, result);
}

int JournalingDriver::writeTriple(Journal::OperationId op, int (IFptr::*setter)(int, int, int), int a, int b, int c)
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*setter)(a, b, c);
    record.stop();
    record.call.ints[0] = a;
    record.call.ints[1] = b;
    record.call.ints[2] = c;
    return finish(record, result);
}

int JournalingDriver::run(Journal::OperationId op, int (IFptr::*action)())
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*action)();
    record.stop();
    return finish(record, result);
}

// ---- the rest of the contract -----------------------------------------------

int JournalingDriver::ParentWindow(void *window)
{
    return m_inner->ParentWindow(window);
}

int JournalingDriver::ScannerCallback(VOR::AbstractScannerEventHandler *handler)
{
    return m_inner->ScannerCallback(handler);
}

int JournalingDriver::ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity)
{
    return readSettingText(Journal::Get_ReadSetting, &IFptr::ReadSetting, name, buffer, capacity);
}

int JournalingDriver::ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity)
{
    return readSettingText(Journal::Get_ReadSettingDescription, &IFptr::ReadSettingDescription, name, buffer, capacity);
}

int JournalingDriver::readSettingText(Journal::OperationId op, int (IFptr::*read)(const wchar_t *, wchar_t *, int),
                                      const wchar_t *name, wchar_t *buffer, int capacity)
{
    forgetFailure();
    Record record(*this, op);
    const int result = (m_inner->*read)(name, buffer, capacity);
    record.stop();
    record.call.settingName = textOf(name);
    record.call.capacity = capacity;
    if (buffer && capacity > 0)
        record.call.text = bufferText(buffer, capacity);
    return finish(record, result);
}

int JournalingDriver::WriteSetting(const wchar_t *name, const wchar_t *value)
{
    forgetFailure();
    Record record(*this, Journal::Set_WriteSetting);
    const int result = m_inner->WriteSetting(name, value);
    record.stop();
    record.call.settingName = textOf(name);
    record.call.text = textOf(value);
    return finish(record, result);
}
