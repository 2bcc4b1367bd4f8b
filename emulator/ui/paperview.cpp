#include "ui/paperview.h"

#include "core/paper.h"

#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

namespace vreg {

namespace {
constexpr int kGap = 12;     // between documents and around them
constexpr int kPaperEdge = 16; // the paper beyond the printable width
constexpr int kTickMs = 30;  // how often a document coming out moves
} // namespace

// The documents, painted one under another on a grey table.
class PaperSheet : public QWidget
{
public:
    QList<QImage> documents;
    QList<bool> joined; // a document goes on from the one above, uncut
    int revealed = -1;  // rows of the last document out; -1 all

    int gapBefore(qsizetype i) const { return i > 0 && joined.value(i) ? 0 : kGap; }

    void relayout()
    {
        int width = 0;
        int height = 0;
        for (qsizetype i = 0; i < documents.size(); ++i) {
            width = qMax(width, documents[i].width());
            height += gapBefore(i) + shownHeight(i);
        }
        height += documents.isEmpty() ? 0 : kGap;
        setFixedSize(width + 2 * (kGap + kPaperEdge), qMax(height, kGap * 2));
        update();
    }

    int shownHeight(qsizetype i) const
    {
        const int full = documents[i].height();
        return i == documents.size() - 1 && revealed >= 0 ? qMin(full, revealed) : full;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x8a, 0x8f, 0x96));
        int top = 0;
        for (qsizetype i = 0; i < documents.size(); ++i) {
            const QImage &document = documents[i];
            top += gapBefore(i);
            const int shown = shownHeight(i);
            const int left = (width() - document.width()) / 2;
            const QRect sheet(left - kPaperEdge, top, document.width() + 2 * kPaperEdge, shown);
            painter.fillRect(sheet.translated(3, 3), QColor(0, 0, 0, 60));
            painter.fillRect(sheet, Qt::white);
            painter.drawImage(QPoint(left, top), document, QRect(0, 0, document.width(), shown));
            top += shown;
        }
    }
};

PaperView::PaperView(QWidget *parent)
    : QScrollArea(parent)
    , m_sheet(new PaperSheet)
{
    setObjectName(QStringLiteral("paperView"));
    setWidget(m_sheet);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_sheet->relayout();
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    // Wide enough for the widest paper (80 mm) without a horizontal bar.
    setMinimumWidth(576 + 2 * (kGap + kPaperEdge) + verticalScrollBar()->sizeHint().width() + 4);
}

void PaperView::addDocument(const QImage &document, int revealMs, bool continuesLast)
{
    m_timer.stop();
    m_sheet->revealed = -1;
    m_sheet->documents.append(document);
    m_sheet->joined.append(continuesLast && m_sheet->documents.size() > 1);
    // The oldest document goes whole, with all its pieces; a document of
    // very many pieces loses its first ones.
    const auto documents = [this] { return m_sheet->joined.count(false); };
    while (documents() > kMaxDocuments) {
        do {
            m_sheet->documents.removeFirst();
            m_sheet->joined.removeFirst();
        } while (!m_sheet->joined.isEmpty() && m_sheet->joined.first());
    }
    while (m_sheet->documents.size() > kMaxPieces) {
        m_sheet->documents.removeFirst();
        m_sheet->joined.removeFirst();
        m_sheet->joined.first() = false;
    }
    m_revealMs = revealMs;
    if (revealMs > 0) {
        m_sheet->revealed = 0;
        m_clock.start();
        m_timer.start();
    }
    m_sheet->relayout();
    followBottom();
}

void PaperView::setDocuments(const QList<QImage> &documents)
{
    m_timer.stop();
    m_sheet->revealed = -1;
    m_sheet->documents = documents.mid(qMax<qsizetype>(0, documents.size() - kMaxDocuments));
    m_sheet->joined = QList<bool>(m_sheet->documents.size(), false);
    m_sheet->relayout();
    followBottom();
}

void PaperView::loadFolder(const QString &dataFolder)
{
    const QStringList files = PaperTape::documents(dataFolder);
    QList<QImage> documents;
    for (const QString &file : files.mid(qMax<qsizetype>(0, files.size() - kMaxDocuments))) {
        QImage document(file);
        if (!document.isNull())
            documents << document;
    }
    setDocuments(documents);
}

QList<QImage> PaperView::documents() const
{
    return m_sheet->documents;
}

int PaperView::revealedRows() const
{
    if (m_sheet->documents.isEmpty())
        return 0;
    return m_sheet->shownHeight(m_sheet->documents.size() - 1);
}

void PaperView::tick()
{
    if (m_sheet->documents.isEmpty() || m_revealMs <= 0) {
        m_timer.stop();
        return;
    }
    const int full = m_sheet->documents.last().height();
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed >= m_revealMs) {
        m_sheet->revealed = -1;
        m_timer.stop();
    } else {
        m_sheet->revealed = int(qint64(full) * elapsed / m_revealMs);
    }
    m_sheet->relayout();
    followBottom();
}

void PaperView::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    // Filled while hidden (a page not shown yet): the newest at the bottom.
    followBottom();
}

void PaperView::followBottom()
{
    // The scroll range follows the sheet's new size once its resize is
    // handled; the bottom is taken after that.
    QTimer::singleShot(0, this, [this] { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); });
}

TapeWindow::TapeWindow(const QString &title)
    : m_view(new PaperView)
{
    setObjectName(QStringLiteral("VirtualRegisterTape"));
    setWindowTitle(title);
    setWindowFlag(Qt::Window);
    // The bench quits with its main window, whatever this one does.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(m_view->minimumWidth(), 640);
}

} // namespace vreg
