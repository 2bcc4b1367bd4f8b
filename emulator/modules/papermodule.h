#pragma once

// The tape as paper (core/paper.h): draws every printed document, keeps it
// as a PNG in the tape folder of the data folder, and shows it in the live
// tape window when the TapeWindow setting asks for one. Provides imageLine,
// tapeText and paperDocument.
//
// A PNG is what a cut tears off: the paper of a receipt comes out piece by
// piece (a position a call) and is kept until its cut. Paper printed with
// no receipt open (a line, a barcode, a picture on its own) is a PNG at
// once, so that it can be looked at without a cut. A sheet longer than
// kSheetLimit dots, a new data folder and disconnecting also end a PNG, so
// that an endless document neither grows one image without bound nor is
// lost.
//
// Drawing and saving a document takes longer than registering it (a
// thousand-position receipt would pay it a thousand times), so the paper
// comes out on a thread of the module's own, in printing order: an action
// only hands its lines over. GetStatus, disconnecting and releasing the
// driver wait until everything handed over is on paper.
//
// The window belongs to the GUI thread: actions come from any thread, so
// the window is only ever created, fed and closed by functions posted to
// the application object, and an action never waits for them. In a host
// without a QApplication there is no window; the setting says so in the
// result detail, and the paper is still drawn.

#include "core/module.h"
#include "core/paper.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

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
    void disconnected() override;

private:
    struct Job
    {
        QStringList lines;
        PaperTape::Images images;
        int columns = 0;
        int dots = 0;
        QString folder;
        int durationMs = 0;
        bool toWindow = false;
        bool goesOn = false; // a receipt is open: its paper is not cut off yet
    };
    void document(const QStringList &lines, int durationMs, bool goesOn);
    void drawJobs();
    // Drawing thread: adds drawn paper to the sheet not yet cut off, and
    // saves the sheet when `cut` or when it is long enough.
    void addToSheet(const QImage &drawn, const QString &folder, bool cut, QStringList *problems);
    void saveSheet(QStringList *problems);
    // Waits until every document handed over is drawn and saved.
    void flush();
    // Adds a sentence to the detail of the current call without failing it.
    void note(const QString &text);
    void openWindow();
    void closeWindow();
    // Queues `work` for the GUI thread; false when there is no GUI.
    template <typename Work>
    bool onGuiThread(Work work);

    PaperTape m_paper; // its images belong to the actions, its glyphs to the drawing thread

    std::mutex m_jobsMutex;
    std::condition_variable m_jobsChanged;
    std::deque<Job> m_jobs;
    bool m_drawing = false;  // a job is being drawn
    bool m_endSheet = false; // save the sheet once the jobs are drawn
    bool m_stopping = false;
    QString m_problems;      // met while drawing, for the next printing action's detail
    // The paper drawn since the last cut, and its folder; the drawing
    // thread's own.
    static constexpr int kSheetLimit = 16384;
    QList<QImage> m_sheet;
    int m_sheetHeight = 0;
    QString m_sheetFolder;
    std::thread m_drawer;
    std::mutex m_guiMutex;   // m_receiver is made by whichever thread first needs it
    std::shared_ptr<LiveTape> m_live; // shared with the functions posted to the GUI thread
    QObject *m_receiver = nullptr;    // lives in the GUI thread; receives those functions
    bool m_windowWanted = false;
    bool m_windowOpened = false; // a window may exist on the GUI thread
    bool m_fontNoted = false;
};

} // namespace vreg
