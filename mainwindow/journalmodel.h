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

// A vector whose front can be dropped cheaply: what is dropped is given back
// in one go once it makes up half of the storage. (A deque of calls would
// allocate a node every other call.)
template <class T>
class FrontDroppingVector
{
public:
    typedef typename std::vector<T>::iterator iterator;
    typedef typename std::vector<T>::const_iterator const_iterator;

    size_t size() const { return m_items.size() - m_offset; }
    bool empty() const { return size() == 0; }
    T &operator[](size_t i) { return m_items[m_offset + i]; }
    const T &operator[](size_t i) const { return m_items[m_offset + i]; }
    T &front() { return m_items[m_offset]; }
    const T &front() const { return m_items[m_offset]; }
    iterator begin() { return m_items.begin() + ptrdiff_t(m_offset); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin() + ptrdiff_t(m_offset); }
    const_iterator end() const { return m_items.end(); }
    void reserve(size_t count) { m_items.reserve(count); }
    void push_back(T &&item) { m_items.push_back(std::move(item)); }
    void push_back(const T &item) { m_items.push_back(item); }
    template <class It>
    void insert(iterator at, It first, It last) { m_items.insert(at, first, last); }
    void erase(iterator first, iterator last) { m_items.erase(first, last); }
    void clear()
    {
        m_items.clear();
        m_offset = 0;
    }
    void dropFront(size_t count)
    {
        m_offset += qMin(count, size());
        if (m_offset > m_items.size() / 2) {
            m_items.erase(m_items.begin(), m_items.begin() + ptrdiff_t(m_offset));
            m_offset = 0;
        }
    }

private:
    std::vector<T> m_items;
    size_t m_offset = 0;
};

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

    // Most calls one refresh takes: a driver loop faster than that is
    // caught up with over the next refreshes, and the window keeps running.
    static const int MaxBatch = 5000;

    // Takes the calls the journal got since the last refresh (at most
    // MaxBatch) and drops those it no longer holds: one insertion and at
    // most one removal. True when rows were added.
    bool refresh();
    // Calls the journal has that the table has not taken yet.
    bool isBehind() const;
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
    FrontDroppingVector<Journal::Call> m_calls;
    FrontDroppingVector<char> m_shown; // per call: passes the filter
    std::vector<Journal::Call> m_fresh; // kept, so its memory is reused
    quint64 m_base = 1;         // number of m_calls.front()
    quint64 m_next = 1;         // first number not taken yet
    quint64 m_generation = 0;
    std::deque<Run> m_runs;
    FrontDroppingVector<Row> m_rows;

    QString m_text;
    int m_device = 0;
    bool m_failuresOnly = false;
    bool m_expandNew = true;
};
