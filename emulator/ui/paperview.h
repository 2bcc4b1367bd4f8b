#pragma once

// The tape as paper on screen: the last documents one under another, the
// newest at the bottom, as the receipt comes out of a printer. A document
// added with a duration comes out row by row over that time. Used by the
// live tape window and by the "Лента" page of the settings dialog. GUI
// thread only.

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QScrollArea>
#include <QTimer>

namespace vreg {

class PaperSheet;

class PaperView : public QScrollArea
{
public:
    static constexpr int kMaxDocuments = 20;
    static constexpr int kMaxPieces = 400;

    explicit PaperView(QWidget *parent = nullptr);

    // Adds a document at the bottom (the oldest goes past kMaxDocuments)
    // and follows it; with `revealMs` > 0 it comes out over that time.
    // A document that `continuesLast` is more paper of the one above, not
    // cut off from it: it follows with no gap.
    void addDocument(const QImage &document, int revealMs = 0, bool continuesLast = false);
    // Shows these documents (the last kMaxDocuments), all out.
    void setDocuments(const QList<QImage> &documents);
    // Loads the documents of a data folder's tape.
    void loadFolder(const QString &dataFolder);

    QList<QImage> documents() const;
    // Rows of the newest document out so far (all of them when done).
    int revealedRows() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void tick();
    void followBottom();

    PaperSheet *m_sheet;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_revealMs = 0;
};

// The live tape window of one device: a window of its own beside the
// program's, never modal.
class TapeWindow : public QWidget
{
public:
    explicit TapeWindow(const QString &title);
    PaperView *view() const { return m_view; }

private:
    PaperView *m_view;
};

} // namespace vreg
