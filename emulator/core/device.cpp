#include "core/device.h"

#include <QDir>

namespace vreg {

namespace {

// "виртуальной ККТ" / "виртуальным принтером чеков", for "не поддерживается ...".
QString byKind(DeviceKind kind)
{
    return kind == DeviceKind::FiscalRegister ? QStringLiteral("виртуальной ККТ")
                                              : QStringLiteral("виртуальным принтером чеков");
}

} // namespace

DeviceContext::DeviceContext(DeviceKind kind)
    : m_kind(kind)
    , m_written(kind)
    , m_applied(m_written)
    , m_memory(kind)
    , m_readHooks(size_t(kPropertyCount))
    , m_writeHooks(size_t(kPropertyCount))
{
    onWrite(Prop::DeviceEnabled, [this] { return onDeviceEnabledWritten(); });
    onWrite(Prop::DeviceSettings, [this] { return onDeviceSettingsWritten(); });
    onRead(Prop::DeviceSettings, [this] { m_props.DeviceSettings = m_written.toString(); });

    m_modules = createModules(*this);
    for (const auto &module : m_modules)
        module->registerActions(m_registry);
    settingsTookEffect();
    succeed();
}

DeviceContext::~DeviceContext()
{
    if (m_memory.isOpen())
        disconnect();
}

void DeviceContext::succeed()
{
    m_props.ResultCode = 0;
    m_props.ResultDescription.clear();
    m_props.ResultDetail = 0;
    m_props.ResultDetailDescription.clear();
}

int DeviceContext::fail(Code code, const QString &detail)
{
    m_props.ResultCode = int(code);
    m_props.ResultDescription = codeText(code);
    m_props.ResultDetail = detail.isEmpty() ? 0 : 1;
    m_props.ResultDetailDescription = detail;
    return -1;
}

void DeviceContext::onRead(Prop property, std::function<void()> hook)
{
    m_readHooks[size_t(property)] = std::move(hook);
}

void DeviceContext::onWrite(Prop property, std::function<int()> hook)
{
    m_writeHooks[size_t(property)] = std::move(hook);
}

void DeviceContext::beforeRead(Prop property)
{
    const auto &hook = m_readHooks[size_t(property)];
    if (hook)
        hook();
}

int DeviceContext::afterWrite(Prop property)
{
    const auto &hook = m_writeHooks[size_t(property)];
    return hook ? hook() : 0;
}

int DeviceContext::run(Action action)
{
    const QString name = QLatin1String(actionName(action));
    const ActionRegistry::Entry *entry = m_registry.find(action);
    int result = -1;
    if ((!entry || needsConnection(entry->subject)) && !connected()) {
        result = fail(Code::NoConnection,
                      QStringLiteral("Операция %1 требует подключения к устройству (DeviceEnabled = 1)")
                          .arg(name));
    } else if (!entry || !kindOffers(m_kind, entry->subject)) {
        result = fail(Code::NotSupported,
                      QStringLiteral("Операция %1 не поддерживается %2").arg(name, byKind(m_kind)));
    } else {
        succeed();
        result = settle(entry->handler());
    }
    if (!m_memoryNotice.isEmpty()) {
        QString &detail = m_props.ResultDetailDescription;
        detail = detail.isEmpty() ? m_memoryNotice : detail + QStringLiteral("; ") + m_memoryNotice;
        m_props.ResultDetail = 1;
        m_memoryNotice.clear();
    }
    return result;
}

int DeviceContext::applySettings()
{
    m_applied = m_written;
    settingsTookEffect();
    if (m_memory.isOpen() && QDir::cleanPath(m_applied.dataFolder()) != m_memory.folder()) {
        // The memory is the data folder: a device moved to another folder is
        // another device, so it is switched off and on again there.
        disconnect();
        return connect();
    }
    return 0;
}

int DeviceContext::commit()
{
    m_keep = true;
    return 0;
}

void DeviceContext::afterCommit(std::function<int()> work)
{
    m_afterCommit.push_back(std::move(work));
}

int DeviceContext::settle(int result)
{
    const bool keep = result >= 0 || m_keep;
    m_keep = false;
    std::vector<std::function<int()>> work;
    work.swap(m_afterCommit);
    if (!m_memory.isOpen())
        return result;
    if (!keep) {
        m_memory.discard(moduleList());
        return result;
    }
    QString error;
    if (!m_memory.commit(moduleList(), &error))
        return fail(Code::MemoryError, QStringLiteral("Память устройства не записана, ничего не изменено: %1").arg(error));
    for (const auto &step : work) {
        const int done = step();
        if (done < 0 && result >= 0)
            result = done;
    }
    return result;
}

QString DeviceContext::dataFolder() const
{
    return m_memory.isOpen() ? m_memory.folder() : QDir::cleanPath(m_applied.dataFolder());
}

int DeviceContext::connect()
{
    const DeviceMemory::OpenResult opened =
        m_memory.open(m_applied.dataFolder(), m_applied.deviceId(), moduleList());
    if (!opened.ok)
        return fail(opened.code, opened.error);
    if (!opened.notice.isEmpty())
        m_memoryNotice = opened.notice;
    m_props.DeviceEnabled = 1;
    for (const auto &module : m_modules) {
        const int result = module->connected();
        if (result < 0) {
            // The module recorded why; disconnecting does not touch the result.
            settle(result);
            disconnect();
            return result;
        }
    }
    const int stored = settle(0);
    if (stored < 0)
        disconnect();
    return stored;
}

void DeviceContext::disconnect()
{
    for (const auto &module : m_modules)
        module->disconnected();
    m_memory.close();
    m_props.DeviceEnabled = 0;
}

int DeviceContext::onDeviceEnabledWritten()
{
    const bool on = m_props.DeviceEnabled != 0;
    // The setter already stored the new value; what counts is whether the
    // memory is open.
    if (on && !m_memory.isOpen()) {
        m_props.DeviceEnabled = 0;
        return connect();
    }
    if (!on && m_memory.isOpen())
        disconnect();
    m_props.DeviceEnabled = on ? 1 : 0;
    return 0;
}

int DeviceContext::onDeviceSettingsWritten()
{
    Settings candidate = m_written;
    QString detail;
    if (!candidate.fromString(m_props.DeviceSettings, &detail))
        return fail(Code::InvalidSettingsString, detail);
    m_written = candidate;
    return applySettings();
}

void DeviceContext::settingsTookEffect()
{
    const ModelInfo &model = m_applied.model();
    m_props.Model = model.code;
    m_props.CharLineLength = model.lineLength;
    m_props.DeviceDescription = QString::fromUtf8(model.name);
    m_props.CheckPaperPresent = m_applied.paperPresent() ? 1 : 0;
    m_props.ControlPaperPresent = m_props.CheckPaperPresent;
    for (const auto &module : m_modules)
        module->settingsApplied();
}

VOR::AbstractScannerEventHandler *DeviceContext::scannerHandler() const
{
    std::lock_guard<std::mutex> lock(m_scannerMutex);
    return m_scanner;
}

void DeviceContext::setScannerHandler(VOR::AbstractScannerEventHandler *handler)
{
    std::lock_guard<std::mutex> lock(m_scannerMutex);
    m_scanner = handler;
}

bool DeviceContext::deliverScan(const unsigned char *data, int size)
{
    // Held during the call, so that the handler cannot be taken back and
    // destroyed while it runs. The handler must not call into the driver.
    std::lock_guard<std::mutex> lock(m_scannerMutex);
    if (!m_scanner)
        return false;
    m_scanner->on_data_event(data, size);
    return true;
}

std::vector<Module *> DeviceContext::moduleList() const
{
    std::vector<Module *> list;
    for (const auto &module : m_modules)
        list.push_back(module.get());
    return list;
}

} // namespace vreg
