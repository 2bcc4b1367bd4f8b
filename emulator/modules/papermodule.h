#pragma once

// The tape as paper (core/paper.h): draws every printed document, keeps it
// as a PNG in the tape folder of the data folder, and shows it in the live
// tape window when the TapeWindow setting asks for one. Provides imageLine,
// tapeText and paperDocument.
//
// The window belongs to the GUI thread: actions come from any thread, so
// the window is only ever created, fed and closed by functions posted to
// the application object, and an action never waits for them. In a host
// without a QApplication there is no window; the setting says so in the
// result detail, and the paper is still drawn.

#include "core/module.h"
#include "core/paper.h"

#include <memory>

class QObject;

namespace vreg {

struct LiveTape;

class PaperModule : public Module
{
public:
    explicit PaperModule(DeviceContext &device);
    ~PaperModule() override;

    void registerActions(ActionRegistry &registry) override;
    void settingsApplied() override;

private:
    void document(const QStringList &lines, int durationMs);
    // Adds a sentence to the detail of the current call without failing it.
    void note(const QString &text);
    void openWindow();
    void closeWindow();
    // Queues `work` for the GUI thread; false when there is no GUI.
    template <typename Work>
    bool onGuiThread(Work work);

    PaperTape m_paper;
    std::shared_ptr<LiveTape> m_live; // shared with the functions posted to the GUI thread
    QObject *m_receiver = nullptr;    // lives in the GUI thread; receives those functions
    bool m_windowWanted = false;
    bool m_windowOpened = false; // a window may exist on the GUI thread
    bool m_fontNoted = false;
};

} // namespace vreg
