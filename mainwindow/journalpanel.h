#pragma once

// The journal panel: a dock at the bottom of the window with every driver
// call on record (journalmodel.h), shown and hidden by a button in the status
// bar and by Ctrl+J, hidden at start. It filters, copies rows as text or as
// C++ code, saves the journal (or the selection) as a journal file, clears
// it, and can write the journal to a file as calls happen (journalwriter.h).
// Its options (ring size, the file and its size limit) are kept in
// journal.ini in the configuration directory.

#include "calljournal.h"

#include <QDockWidget>
#include <QPointer>
#include <QTimer>

class JournalModel;
class JournalWriter;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QModelIndex;
class QTableView;
class QToolButton;

class JournalPanel : public QDockWidget
{
    Q_OBJECT

public:
    // New table rows are taken at most this often.
    static const int RefreshIntervalMs = 50;

    // Adds the panel, hidden, to the window's bottom dock area, and its
    // button to the status bar.
    static JournalPanel *install(QMainWindow *window, CallJournal &journal = CallJournal::global());

    // A command handler starts and ends: the calls in between are grouped
    // under the caption of the widget that started it.
    static void beginPress(const QObject *sender);
    static void endPress();
    static QString pressCaption(const QObject *sender);

    JournalPanel(QMainWindow *window, CallJournal &journal);
    ~JournalPanel() override;

    JournalModel *model() const { return m_model; }
    QTableView *view() const { return m_view; }
    JournalWriter *writer() const { return m_writer; }
    QToolButton *button() const { return m_button; }

    // Takes the calls that came since the last time into the table, keeping
    // the newest row in view unless the user scrolled away.
    void refresh();
    void copySelection();
    void copySelectionAsCode();
    // Saves the whole journal, or the calls of the selected rows.
    bool saveJournal(const QString &path, bool selectionOnly, QString *error);
    void clearJournal();
    // Starts or stops writing to a file as calls happen; false with the
    // reason when the file cannot be written. Kept for the next start.
    bool setWriteToFile(bool on, const QString &path, int limitMb, QString *error);
    void setCapacity(int calls);

private:
    void buildContent();
    void loadOptions();
    void saveOptions() const;
    void applyFilter();
    void syncDeviceNames();
    void updateDeviceFilter();
    void updateStatus();
    void showWriterState();
    void onClicked(const QModelIndex &index);
    void showContextMenu(const QPoint &at);
    void askSave(bool selectionOnly);
    void showOptions();
    QList<int> selectedRows() const;

    QPointer<QMainWindow> m_window;
    CallJournal &m_journal;
    JournalModel *m_model = nullptr;
    JournalWriter *m_writer = nullptr;
    QTableView *m_view = nullptr;
    QLineEdit *m_filter = nullptr;
    QComboBox *m_devices = nullptr;
    QCheckBox *m_failuresOnly = nullptr;
    QLabel *m_status = nullptr;
    QToolButton *m_button = nullptr;
    QTimer m_refreshTimer;
    QTimer m_filterDelay;
    quint64 m_deviceVersion = quint64(-1);
    QString m_file;
    int m_limitMb = 50;
    bool m_writeToFile = false;
};
