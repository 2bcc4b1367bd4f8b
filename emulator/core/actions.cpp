#include "core/actions.h"

namespace vreg {

bool kindOffers(DeviceKind kind, Subject subject)
{
    if (kind == DeviceKind::FiscalRegister)
        return true;
    // A receipt printer: connection, status, printing (text, formatted text,
    // barcodes, pictures), cuts, drawer and buzzer.
    switch (subject) {
    case Subject::Settings:
    case Subject::Status:
    case Subject::Printing:
    case Subject::Barcodes:
    case Subject::Pictures:
    case Subject::Drawer:
    case Subject::Sound:
        return true;
    default:
        return false;
    }
}

bool needsConnection(Subject subject)
{
    return subject != Subject::Settings;
}

ActionRegistry::ActionRegistry()
    : m_entries(size_t(kActionCount))
{
}

void ActionRegistry::add(Action action, Subject subject, ActionHandler handler)
{
    const int index = int(action);
    if (index < 0 || index >= kActionCount)
        return;
    m_entries[size_t(index)] = Entry{subject, std::move(handler)};
}

const ActionRegistry::Entry *ActionRegistry::find(Action action) const
{
    const int index = int(action);
    if (index < 0 || index >= kActionCount || !m_entries[size_t(index)].handler)
        return nullptr;
    return &m_entries[size_t(index)];
}

} // namespace vreg
