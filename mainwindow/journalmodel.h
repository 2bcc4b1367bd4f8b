#pragma once

// The journal panel's table: the calls of the call journal, each button press
// a group row that expands to its calls, with a filter by text, device and
// failures. The model keeps its own copy of the calls it shows and takes new
// ones only when refresh() asks, so a driver loop never reaches the view
// call by call.

#include "calljournal.h"

#include <QAbstractTableModel>
#include <QString>

#include <deque>
#include <vector>

class JournalModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        TimeColumn,
        DeviceColumn,
        ThreadColumn,
        OperationColumn,
        KindColumn,
        ValueColumn,
        ResultColumn,
        CodeColumn,
        DescriptionColumn,
        DurationColumn,
        ColumnCount
    };

    explicit JournalModel(CallJournal &journal, QObject *parent = nullptr);
    ~JournalModel() override;

    // Takes the calls the journal got since the last refresh and drops those
    // it no longer holds: one insertion and at most one removal. True when
    // rows were added.
    bool refresh();
    // Starts over from what the journal holds.
    void reload();

    // An empty text, device 0 and all calls show everything. The text is
    // looked for, ignoring case, in the operation, value, description,
    // device and button caption.
    void setFilter(const QString &text, int deviceId, bool failuresOnly);
    QString filterText() const { return m_text; }

    bool isGroupRow(int row) const;
    bool isExpanded(int row) const;
    void setExpanded(int row, bool expanded);
    void setAllExpanded(bool expanded);

    // The calls behind the rows, in order; a group row stands for its calls
    // that pass the filter.
    std::vector<Journal::Call> callsOfRows(const QList<int> &rows) const;
    // The rows as shown, a line each, columns separated by tabs.
    QString rowsAsText(const QList<int> &rows) const;
    int callCount() const { return int(m_calls.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // A button press: the calls, numbered first to last, made while its
    // handler ran.
    struct Run
    {
        quint64 group = 0;
        quint64 first = 0;
        quint64 last = 0;
        QString name;
        int shown = 0;       // calls held that pass the filter
        int failures = 0;    // calls held that failed
        qint64 durationNs = 0;
        bool expanded = true;
    };
    struct Row
    {
        quint64 seq;  // a call, or the first call of a group row's press
        bool group;
    };

    const Journal::Call &call(quint64 seq) const { return m_calls[size_t(seq - m_base)]; }
    bool shown(quint64 seq) const { return m_shown[size_t(seq - m_base)] != 0; }
    bool matches(const Journal::Call &call) const;
    // The press a call belongs to (null for calls made outside any press),
    // and the press of a group row.
    Run *runOf(const Journal::Call &call);
    const Run *runStartingAt(quint64 first) const;
    Run *runStartingAt(quint64 first);
    // Appends the rows of calls already in m_calls from `from` on.
    void appendRows(quint64 from, std::vector<Row> &rows);
    void dropBefore(quint64 seq);
    void rebuild();
    int rowOfGroup(quint64 first) const;
    QVariant callData(const Journal::Call &call, int column, int role) const;
    QVariant groupData(const Run &run, int column, int role) const;

    CallJournal &m_journal;
    std::deque<Journal::Call> m_calls;
    std::deque<char> m_shown;   // per call: passes the filter
    quint64 m_base = 1;         // number of m_calls.front()
    quint64 m_next = 1;         // first number not taken yet
    quint64 m_generation = 0;
    std::deque<Run> m_runs;
    std::deque<Row> m_rows;

    QString m_text;
    int m_device = 0;
    bool m_failuresOnly = false;
    bool m_expandNew = true;
};
