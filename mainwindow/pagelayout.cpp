#include "pagelayout.h"

#include <QFrame>
#include <QGridLayout>
#include <QHash>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace {

// The caption-and-field grid of a frame: a grid directly in the frame's
// layout (or the layout itself) whose even columns do not stretch and whose
// odd ones do.
QGridLayout *captionGrid(const QFrame *frame)
{
    QLayout *top = frame->layout();
    if (!top)
        return nullptr;
    QList<QLayout *> candidates{top};
    for (int i = 0; i < top->count(); ++i) {
        if (QLayout *inner = top->itemAt(i)->layout())
            candidates.append(inner);
    }
    for (QLayout *layout : candidates) {
        auto *grid = qobject_cast<QGridLayout *>(layout);
        if (!grid || grid->columnCount() < 2)
            continue;
        bool pattern = true;
        for (int column = 0; column < grid->columnCount(); ++column)
            pattern = pattern && ((grid->columnStretch(column) == 0) == (column % 2 == 0));
        if (pattern)
            return grid;
    }
    return nullptr;
}

// The width the widgets of one column of the grid ask for.
int columnWidth(QGridLayout *grid, int column)
{
    int width = 0;
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0;
        int itemColumn = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(i, &row, &itemColumn, &rowSpan, &columnSpan);
        QLayoutItem *item = grid->itemAt(i);
        if (itemColumn == column && columnSpan == 1 && !item->isEmpty())
            width = std::max(width, item->sizeHint().width());
    }
    return width;
}

// The layout that holds the widget as one of its own items.
QLayout *holdingLayout(QLayout *layout, const QWidget *widget)
{
    for (int i = 0; layout && i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == widget)
            return layout;
        if (QLayout *found = holdingLayout(item->layout(), widget))
            return found;
    }
    return nullptr;
}

} // namespace

void lineUpStackedFrames(QWidget *root)
{
    // Only frames one above the other: frames side by side have columns of
    // their own.
    QHash<QLayout *, QList<QGridLayout *>> gridsByColumn;
    for (QFrame *frame : root->findChildren<QFrame *>()) {
        QGridLayout *grid = captionGrid(frame);
        if (!grid || !frame->parentWidget())
            continue;
        auto *column = qobject_cast<QBoxLayout *>(holdingLayout(frame->parentWidget()->layout(), frame));
        if (column && column->direction() == QBoxLayout::TopToBottom)
            gridsByColumn[column].append(grid);
    }
    for (const QList<QGridLayout *> &grids : qAsConst(gridsByColumn)) {
        if (grids.size() < 2)
            continue;
        int columns = 0;
        for (QGridLayout *grid : grids)
            columns = std::max(columns, grid->columnCount());
        // Captions take the width of the widest; fields the width of the
        // widest in their column, so that the stretch shares out the rest
        // alike in every frame and the second caption column lines up too.
        for (int column = 0; column < columns; ++column) {
            int width = 0;
            for (QGridLayout *grid : grids) {
                if (column < grid->columnCount())
                    width = std::max(width, columnWidth(grid, column));
            }
            for (QGridLayout *grid : grids) {
                if (column < grid->columnCount())
                    grid->setColumnMinimumWidth(column, width);
            }
        }
    }
}
