#include "journalmodel.h"

#include "journalformat.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>

using Journal::Call;
using Journal::Kind;

namespace {

// Rows are ordered by call number, a group row before the first call of its
// press.
quint64 rowKey(quint64 seq, bool group)
{
    return seq * 2 + (group ? 0 : 1);
}

// As the bench sees it: a negative result with a code (some operations
// answer with a negative result and no code).
bool isFailure(const Call &call)
{
    return call.failed;
}

bool hasOutcome(const Call &call)
{
    return call.operation().kind != Kind::Getter && call.result < 0;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Setter: return JournalModel::tr("запись");
    case Kind::Getter: return JournalModel::tr("чтение");
    case Kind::Action: return JournalModel::tr("действие");
    }
    return QString();
}

QString durationText(qint64 ns)
{
    // Tenths of a microsecond matter for a quick call, not for a printout.
    return QString::number(double(ns) / 1000.0, 'f', ns < 1000000 ? 1 : 0);
}

const QColor failureText(160, 0, 0);
const QColor failureBackground(255, 226, 226);
const QColor groupBackground(236, 236, 236);

} // namespace

JournalModel::JournalModel(CallJournal &journal, QObject *parent)
    : QAbstractTableModel(parent)
    , m_journal(journal)
{
}

JournalModel::~JournalModel() = default;

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case TimeColumn: return tr("Время");
    case DeviceColumn: return tr("Устройство");
    case ThreadColumn: return tr("Поток");
    case OperationColumn: return tr("Операция");
    case KindColumn: return tr("Вид");
    case ValueColumn: return tr("Значение");
    case ResultColumn: return tr("Результат");
    case CodeColumn: return tr("Код");
    case DescriptionColumn: return tr("Описание");
    case DurationColumn: return tr("мкс");
    }
    return QVariant();
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    if (row.group) {
        const Run *run = runStartingAt(row.seq);
        return run ? groupData(*run, index.column(), role) : QVariant();
    }
    return callData(call(row.seq), index.column(), role);
}

QVariant JournalModel::callData(const Call &c, int column, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (column) {
        case TimeColumn:
            return c.group && role == Qt::DisplayRole ? QStringLiteral("    ") + JournalFormat::timeText(c)
                                                      : JournalFormat::timeText(c);
        case DeviceColumn:
            return c.device.isEmpty() ? tr("Устройство %1").arg(c.deviceId) : c.device;
        case ThreadColumn: return c.thread == Journal::Thread::Gui ? tr("GUI") : tr("рабочий");
        case OperationColumn: return JournalFormat::operationText(c);
        case KindColumn: return kindText(c.operation().kind);
        case ValueColumn: return JournalFormat::valueText(c);
        case ResultColumn: return c.result;
        case CodeColumn: return hasOutcome(c) ? QVariant(c.code) : QVariant();
        case DescriptionColumn: return hasOutcome(c) ? c.description : QString();
        case DurationColumn: return durationText(c.durationNs);
        }
        break;
    case Qt::ForegroundRole:
        if (isFailure(c))
            return QBrush(failureText);
        break;
    case Qt::BackgroundRole:
        if (isFailure(c))
            return QBrush(failureBackground);
        break;
    case Qt::TextAlignmentRole:
        if (column == ResultColumn || column == CodeColumn || column == DurationColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant JournalModel::groupData(const Run &run, int column, int role) const
{
    const quint64 first = qMax(run.first, m_base);
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case TimeColumn:
            // To the millisecond: the bold row has less room.
            return (run.expanded ? QStringLiteral("▾ ") : QStringLiteral("▸ "))
                + JournalFormat::timeText(call(first)).chopped(3);
        case DeviceColumn: {
            const Call &c = call(first);
            return c.device.isEmpty() ? tr("Устройство %1").arg(c.deviceId) : c.device;
        }
        case OperationColumn: return run.name;
        case ValueColumn:
            return run.failures ? tr("вызовов: %1, ошибок: %2").arg(run.last - first + 1).arg(run.failures)
                                : tr("вызовов: %1").arg(run.last - first + 1);
        case DurationColumn: return durationText(run.durationNs);
        default: break;
        }
        break;
    case Qt::ToolTipRole:
        if (column == OperationColumn)
            return run.name;
        break;
    case Qt::FontRole: {
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::ForegroundRole:
        if (run.failures)
            return QBrush(failureText);
        break;
    case Qt::BackgroundRole:
        return QBrush(groupBackground);
    case Qt::TextAlignmentRole:
        if (column == DurationColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return QVariant();
}

bool JournalModel::matches(const Call &c) const
{
    if (m_device && c.deviceId != m_device)
        return false;
    if (m_failuresOnly && !isFailure(c))
        return false;
    if (m_text.isEmpty())
        return true;
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    return QLatin1String(c.operation().name).contains(m_text, cs) || c.settingName.contains(m_text, cs)
        || c.description.contains(m_text, cs) || c.device.contains(m_text, cs) || c.groupName.contains(m_text, cs)
        || JournalFormat::valueText(c).contains(m_text, cs);
}

JournalModel::Run *JournalModel::runOf(const Call &c)
{
    if (!c.group || m_runs.empty())
        return nullptr;
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), c.seq,
                               [](quint64 seq, const Run &run) { return seq < run.first; });
    if (it == m_runs.begin())
        return nullptr;
    --it;
    return it->group == c.group && c.seq <= it->last ? &*it : nullptr;
}

const JournalModel::Run *JournalModel::runStartingAt(quint64 first) const
{
    auto it = std::lower_bound(m_runs.begin(), m_runs.end(), first,
                               [](const Run &run, quint64 seq) { return run.first < seq; });
    return it != m_runs.end() && it->first == first ? &*it : nullptr;
}

JournalModel::Run *JournalModel::runStartingAt(quint64 first)
{
    return const_cast<Run *>(static_cast<const JournalModel *>(this)->runStartingAt(first));
}

int JournalModel::rowOfGroup(quint64 first) const
{
    const quint64 key = rowKey(first, true);
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), key,
                               [](const Row &row, quint64 k) { return rowKey(row.seq, row.group) < k; });
    return it != m_rows.end() && it->group && it->seq == first ? int(it - m_rows.begin()) : -1;
}

bool JournalModel::isGroupRow(int row) const
{
    return row >= 0 && row < int(m_rows.size()) && m_rows[size_t(row)].group;
}

bool JournalModel::isExpanded(int row) const
{
    const Run *run = isGroupRow(row) ? runStartingAt(m_rows[size_t(row)].seq) : nullptr;
    return run && run->expanded;
}

void JournalModel::setExpanded(int row, bool expanded)
{
    Run *run = isGroupRow(row) ? runStartingAt(m_rows[size_t(row)].seq) : nullptr;
    if (!run || run->expanded == expanded)
        return;
    run->expanded = expanded;
    if (expanded) {
        std::vector<Row> rows;
        for (quint64 seq = qMax(run->first, m_base); seq <= run->last; ++seq) {
            if (shown(seq))
                rows.push_back(Row{seq, false});
        }
        if (!rows.empty()) {
            beginInsertRows(QModelIndex(), row + 1, row + int(rows.size()));
            m_rows.insert(m_rows.begin() + row + 1, rows.begin(), rows.end());
            endInsertRows();
        }
    } else {
        int count = 0;
        while (row + 1 + count < int(m_rows.size()) && !m_rows[size_t(row + 1 + count)].group
               && m_rows[size_t(row + 1 + count)].seq <= run->last)
            ++count;
        if (count > 0) {
            beginRemoveRows(QModelIndex(), row + 1, row + count);
            m_rows.erase(m_rows.begin() + row + 1, m_rows.begin() + row + 1 + count);
            endRemoveRows();
        }
    }
    emit dataChanged(index(row, TimeColumn), index(row, TimeColumn));
}

void JournalModel::setAllExpanded(bool expanded)
{
    m_expandNew = expanded;
    for (Run &run : m_runs)
        run.expanded = expanded;
    rebuild();
}

void JournalModel::setFilter(const QString &text, int deviceId, bool failuresOnly)
{
    if (text == m_text && deviceId == m_device && failuresOnly == m_failuresOnly)
        return;
    m_text = text;
    m_device = deviceId;
    m_failuresOnly = failuresOnly;
    rebuild();
}

void JournalModel::rebuild()
{
    beginResetModel();
    m_rows.clear();
    size_t runIndex = 0;
    for (Run &run : m_runs)
        run.shown = 0;
    for (size_t i = 0; i < m_calls.size(); ++i) {
        const Call &c = m_calls[i];
        while (runIndex < m_runs.size() && m_runs[runIndex].last < c.seq)
            ++runIndex;
        Run *run = c.group && runIndex < m_runs.size() && m_runs[runIndex].first <= c.seq
                && m_runs[runIndex].group == c.group
            ? &m_runs[runIndex]
            : nullptr;
        const bool passes = matches(c);
        m_shown[i] = passes;
        if (!passes)
            continue;
        if (run) {
            if (run->shown++ == 0)
                m_rows.push_back(Row{run->first, true});
            if (run->expanded)
                m_rows.push_back(Row{c.seq, false});
        } else {
            m_rows.push_back(Row{c.seq, false});
        }
    }
    endResetModel();
}

bool JournalModel::isBehind() const
{
    return m_journal.nextSeq() != m_next || m_journal.generation() != m_generation;
}

void JournalModel::reload()
{
    std::vector<Call> calls;
    m_generation = m_journal.generation();
    m_next = m_journal.copySince(0, calls);
    beginResetModel();
    m_calls.clear();
    m_shown.clear();
    m_runs.clear();
    m_rows.clear();
    // Room for a full journal at once: growing by doubling would copy the
    // calls again and again.
    const size_t capacity = size_t(m_journal.capacity());
    m_calls.reserve(capacity);
    m_shown.reserve(capacity);
    m_base = calls.empty() ? m_next : calls.front().seq;
    endResetModel();
    std::vector<Row> rows;
    for (Call &c : calls) {
        m_calls.push_back(std::move(c));
        m_shown.push_back(0);
    }
    // Presses and filter flags in one pass, as for new calls.
    appendRows(m_base, rows);
    if (!rows.empty()) {
        beginInsertRows(QModelIndex(), 0, int(rows.size()) - 1);
        m_rows.clear();
        m_rows.insert(m_rows.end(), rows.begin(), rows.end());
        endInsertRows();
    }
}

void JournalModel::appendRows(quint64 from, std::vector<Row> &rows)
{
    for (quint64 seq = from; seq < m_base + m_calls.size(); ++seq) {
        const Call &c = call(seq);
        Run *run = nullptr;
        if (c.group) {
            if (!m_runs.empty() && m_runs.back().group == c.group && m_runs.back().last + 1 == seq) {
                run = &m_runs.back();
                run->last = seq;
            } else {
                Run fresh;
                fresh.group = c.group;
                fresh.first = fresh.last = seq;
                fresh.name = c.groupName;
                fresh.expanded = m_expandNew;
                m_runs.push_back(fresh);
                run = &m_runs.back();
            }
            run->failures += isFailure(c) ? 1 : 0;
            run->durationNs += c.durationNs;
        }
        const bool passes = matches(c);
        m_shown[size_t(seq - m_base)] = passes;
        if (!passes)
            continue;
        if (run) {
            if (run->shown++ == 0)
                rows.push_back(Row{run->first, true});
            if (run->expanded)
                rows.push_back(Row{seq, false});
        } else {
            rows.push_back(Row{seq, false});
        }
    }
}

void JournalModel::dropBefore(quint64 seq)
{
    seq = qMin(seq, m_base + m_calls.size());
    if (seq <= m_base)
        return;
    // What the dropped calls counted for in their presses.
    for (quint64 s = m_base; s < seq; ++s) {
        const Call &c = call(s);
        if (Run *run = runOf(c)) {
            run->shown -= shown(s) ? 1 : 0;
            run->failures -= isFailure(c) ? 1 : 0;
            run->durationNs -= c.durationNs;
        }
    }
    // The rows to go are at the front, except group rows of presses that
    // still have calls to show.
    std::vector<int> doomed;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row &row = m_rows[i];
        if (row.group) {
            const Run *run = runStartingAt(row.seq);
            if (row.seq >= seq)
                break;
            if (!run || run->last < seq || run->shown == 0)
                doomed.push_back(int(i));
        } else if (row.seq < seq) {
            doomed.push_back(int(i));
        } else {
            break;
        }
    }
    // Removed as contiguous ranges, from the back so the front ones keep
    // their row numbers.
    for (size_t end = doomed.size(); end > 0;) {
        size_t begin = end - 1;
        while (begin > 0 && doomed[begin - 1] == doomed[begin] - 1)
            --begin;
        beginRemoveRows(QModelIndex(), doomed[begin], doomed[end - 1]);
        if (doomed[begin] == 0)
            m_rows.dropFront(size_t(doomed[end - 1]) + 1);
        else
            m_rows.erase(m_rows.begin() + doomed[begin], m_rows.begin() + doomed[end - 1] + 1);
        endRemoveRows();
        end = begin;
    }
    while (!m_runs.empty() && m_runs.front().last < seq)
        m_runs.pop_front();
    const size_t count = size_t(seq - m_base);
    m_calls.dropFront(count);
    m_shown.dropFront(count);
    m_base = seq;
    if (!m_rows.empty() && m_rows.front().group)
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
}

bool JournalModel::refresh()
{
    if (m_journal.generation() != m_generation) {
        reload();
        return !m_rows.empty();
    }
    // The table holds what the journal holds: what it dropped goes, and
    // so does everything before calls it dropped before they could be taken
    // (the table's calls are numbered without gaps).
    const quint64 held = m_journal.firstSeq();
    m_fresh.clear();
    const quint64 next = m_journal.copySince(m_next, m_fresh, MaxBatch);
    const bool gap = !m_fresh.empty() && m_fresh.front().seq > m_base + m_calls.size();
    dropBefore(gap ? m_fresh.front().seq : held);
    if (m_calls.empty())
        m_base = m_fresh.empty() ? next : m_fresh.front().seq;
    m_next = next;
    if (m_fresh.empty())
        return false;

    const quint64 from = m_base + m_calls.size();
    const Run *lastRun = m_runs.empty() ? nullptr : &m_runs.back();
    const quint64 lastRunFirst = lastRun ? lastRun->first : 0;
    const bool lastRunShown = lastRun && lastRun->shown > 0;
    for (Call &c : m_fresh) {
        m_calls.push_back(std::move(c));
        m_shown.push_back(0);
    }
    m_fresh.clear();
    std::vector<Row> rows;
    appendRows(from, rows);
    // The press that was going on got more calls: its counts change.
    if (lastRunShown) {
        const int row = rowOfGroup(lastRunFirst);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }
    if (rows.empty())
        return false;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
    return true;
}

std::vector<Call> JournalModel::callsOfRows(const QList<int> &rows) const
{
    std::vector<quint64> seqs;
    for (int r : rows) {
        if (r < 0 || r >= int(m_rows.size()))
            continue;
        const Row &row = m_rows[size_t(r)];
        if (!row.group) {
            seqs.push_back(row.seq);
            continue;
        }
        if (const Run *run = runStartingAt(row.seq)) {
            for (quint64 seq = qMax(run->first, m_base); seq <= run->last; ++seq) {
                if (shown(seq))
                    seqs.push_back(seq);
            }
        }
    }
    std::sort(seqs.begin(), seqs.end());
    seqs.erase(std::unique(seqs.begin(), seqs.end()), seqs.end());
    std::vector<Call> calls;
    calls.reserve(seqs.size());
    for (quint64 seq : seqs)
        calls.push_back(call(seq));
    return calls;
}

QString JournalModel::rowsAsText(const QList<int> &rows) const
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    QStringList lines;
    for (int r : sorted) {
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column)
            cells << data(index(r, column), Qt::DisplayRole).toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}
