#include "modules/papermodule.h"

#include "core/device.h"
#include "ui/paperview.h"

#include <QApplication>
#include <QPointer>
#include <QThread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vreg {

// What the GUI thread keeps of the window; touched on the GUI thread only.
struct LiveTape
{
    QPointer<TapeWindow> window;
    QString folder; // whose paper the window shows
};

namespace {

QApplication *guiApplication()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance());
}

} // namespace

PaperModule::PaperModule(DeviceContext &device)
    : Module(device)
    , m_live(std::make_shared<LiveTape>())
{
    Services &services = device.services();
    services.imageLine = [this](const QImage &image, const QStringList &text) { return m_paper.imageLine(image, text); };
    services.tapeText = [this](const QString &line) { return m_paper.tapeText(line); };
    services.paperDocument = [this](const QStringList &lines, int durationMs, bool goesOn) {
        document(lines, durationMs, goesOn);
    };
}

PaperModule::~PaperModule()
{
    {
        std::lock_guard<std::mutex> lock(m_jobsMutex);
        m_stopping = true;
    }
    m_jobsChanged.notify_all();
    if (m_drawer.joinable())
        m_drawer.join(); // draws what is left first
    if (!m_receiver)
        return;
    // The window and every function still queued for it are code of this
    // library, which its host may unload right after releasing the driver:
    // all of it goes now. Deleting the receiver drops what is queued.
    if (QThread::currentThread() == m_receiver->thread()) {
        delete m_live->window;
        delete m_receiver;
    } else {
        std::shared_ptr<LiveTape> live = m_live;
        QMetaObject::invokeMethod(m_receiver, [live] { delete live->window; }, Qt::QueuedConnection);
        m_receiver->deleteLater();
    }
}

template <typename Work>
bool PaperModule::onGuiThread(Work work)
{
    QApplication *app = guiApplication();
    if (!app)
        return false;
    std::lock_guard<std::mutex> lock(m_guiMutex);
    if (!m_receiver) {
        // Functions for the window are queued to an object of the GUI
        // thread that goes with this device.
        m_receiver = new QObject;
        m_receiver->moveToThread(app->thread());
    }
    QMetaObject::invokeMethod(m_receiver, std::move(work), Qt::QueuedConnection);
    return true;
}

void PaperModule::registerActions(ActionRegistry &registry)
{
    Q_UNUSED(registry);
    device().services().flushPaper = [this] { flush(); };
}

void PaperModule::disconnected()
{
    {
        std::lock_guard<std::mutex> lock(m_jobsMutex);
        m_endSheet = m_drawer.joinable();
    }
    m_jobsChanged.notify_all();
    flush();
}

void PaperModule::settingsApplied()
{
    m_windowWanted = device().settings().tapeWindow();
    if (!m_windowWanted) {
        closeWindow();
        return;
    }
    if (!guiApplication()) {
        note(QStringLiteral("Окно ленты не открыто: программа не создала QApplication. Лента рисуется в папку %1")
                 .arg(PaperTape::folderOf(device().dataFolder())));
        return;
    }
    openWindow();
}

void PaperModule::document(const QStringList &lines, int durationMs, bool goesOn)
{
    const ModelInfo &model = device().settings().model();
    Job job;
    job.lines = lines;
    job.images = m_paper.take(lines);
    job.columns = model.lineLength;
    job.dots = model.printWidth;
    job.folder = device().dataFolder();
    job.durationMs = durationMs;
    job.goesOn = goesOn;
    job.toWindow = m_windowWanted;
    QString problems;
    {
        std::lock_guard<std::mutex> lock(m_jobsMutex);
        m_jobs.push_back(std::move(job));
        problems.swap(m_problems);
        if (!m_drawer.joinable())
            m_drawer = std::thread([this] { drawJobs(); });
    }
    m_jobsChanged.notify_all();
    if (!problems.isEmpty())
        note(problems);
}

void PaperModule::drawJobs()
{
    // The paper is a view of what was printed: the actions come first.
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
    std::unique_lock<std::mutex> lock(m_jobsMutex);
    for (;;) {
        m_jobsChanged.wait(lock, [this] { return !m_jobs.empty() || m_stopping || m_endSheet; });
        if (m_jobs.empty() && m_endSheet) {
            m_endSheet = false;
            m_drawing = true;
            lock.unlock();
            QStringList problems;
            saveSheet(&problems);
            lock.lock();
            if (!problems.isEmpty())
                m_problems += (m_problems.isEmpty() ? QString() : QStringLiteral("; ")) + problems.join(QStringLiteral("; "));
            m_drawing = false;
            m_jobsChanged.notify_all();
            continue;
        }
        if (m_jobs.empty()) {
            lock.unlock();
            QStringList problems;
            saveSheet(&problems); // stopping: what was not cut off yet is kept too
            return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_drawing = true;
        lock.unlock();

        QStringList problems;
        // Each cut ends a sheet; the window gets the paper as it comes out.
        QStringList piece;
        for (qsizetype i = 0; i < job.lines.size(); ++i) {
            piece << job.lines[i];
            const bool cut = PaperTape::isCutLine(job.lines[i]);
            if (!cut && i + 1 < job.lines.size())
                continue;
            const QImage drawn = m_paper.draw(piece, job.columns, job.dots, job.images);
            const bool continues = !m_sheet.isEmpty() && m_sheetFolder == job.folder
                                   && m_sheet.constLast().width() == drawn.width();
            addToSheet(drawn, job.folder, cut || !job.goesOn, &problems);
            if (job.toWindow) {
                std::shared_ptr<LiveTape> live = m_live;
                const int durationMs = int(qint64(job.durationMs) * piece.size() / job.lines.size());
                onGuiThread([live, drawn, durationMs, continues] {
                    if (live->window)
                        live->window->view()->addDocument(drawn, durationMs, continues);
                });
            }
            piece.clear();
        }
        if (!m_fontNoted && !m_paper.hasFont()) {
            m_fontNoted = true;
            problems << QStringLiteral("Текст на картинках ленты не рисуется: %1").arg(m_paper.fontProblem());
        }

        lock.lock();
        if (!problems.isEmpty())
            m_problems += (m_problems.isEmpty() ? QString() : QStringLiteral("; ")) + problems.join(QStringLiteral("; "));
        m_drawing = false;
        m_jobsChanged.notify_all();
    }
}

void PaperModule::addToSheet(const QImage &drawn, const QString &folder, bool cut, QStringList *problems)
{
    // Paper of another folder or another width (a new model) is another sheet.
    if (!m_sheet.isEmpty() && (folder != m_sheetFolder || m_sheet.constLast().width() != drawn.width()))
        saveSheet(problems);
    m_sheet << drawn;
    m_sheetHeight += drawn.height();
    m_sheetFolder = folder;
    if (cut || m_sheetHeight >= kSheetLimit)
        saveSheet(problems);
}

void PaperModule::saveSheet(QStringList *problems)
{
    if (m_sheet.isEmpty())
        return;
    QImage sheet;
    if (m_sheet.size() == 1) {
        sheet = m_sheet.constFirst();
    } else {
        sheet = QImage(m_sheet.constFirst().width(), m_sheetHeight, QImage::Format_Grayscale8);
        int top = 0;
        for (const QImage &piece : std::as_const(m_sheet)) {
            const QImage grey = piece.convertToFormat(QImage::Format_Grayscale8);
            for (int y = 0; y < grey.height(); ++y)
                memcpy(sheet.scanLine(top + y), grey.constScanLine(y), size_t(grey.width()));
            top += grey.height();
        }
    }
    QString path;
    QString error;
    if (!m_paper.save(sheet, m_sheetFolder, &path, &error))
        *problems << QStringLiteral("Картинка документа не сохранена: %1").arg(error);
    m_sheet.clear();
    m_sheetHeight = 0;
}

void PaperModule::flush()
{
    std::unique_lock<std::mutex> lock(m_jobsMutex);
    m_jobsChanged.wait(lock, [this] { return m_jobs.empty() && !m_drawing && !m_endSheet; });
}

void PaperModule::note(const QString &text)
{
    PropertyStore &props = device().props();
    QString &detail = props.ResultDetailDescription;
    detail = detail.isEmpty() ? text : detail + QStringLiteral("; ") + text;
    props.ResultDetail = 1;
}

void PaperModule::openWindow()
{
    m_windowOpened = true;
    std::shared_ptr<LiveTape> live = m_live;
    const QString title = QStringLiteral("Лента: %1").arg(QString::fromUtf8(device().settings().model().name));
    const QString folder = device().dataFolder();
    onGuiThread([live, title, folder] {
        if (!live->window) {
            live->window = new TapeWindow(title);
            live->folder.clear();
        }
        // Another data folder is another tape.
        if (live->folder != folder) {
            live->window->view()->loadFolder(folder);
            live->folder = folder;
        }
        live->window->setWindowTitle(title);
        live->window->show();
        live->window->raise();
    });
}

void PaperModule::closeWindow()
{
    if (!m_windowOpened)
        return;
    m_windowOpened = false;
    std::shared_ptr<LiveTape> live = m_live;
    onGuiThread([live] {
        if (live->window)
            live->window->deleteLater();
    });
}

} // namespace vreg
