// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/TextGrid.h"

#include "core/ResultsCsv.h"
#include "ui/Dispatch.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <map>
#include <utility>

// The fixed row is drawn by the horizontal header and the fixed column by the vertical one, so
// that Qt keeps them in place while the other cells scroll; cell (0, 0) is the corner between
// them. The model serves the other cells, shifted by one row and one column.
class TGridCells : public QAbstractTableModel {
public:
    TGridCells(QObject* parent, int columnCount, int rowCount)
        : QAbstractTableModel(parent), columns(columnCount), rows(rowCount) {}

    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : columns - 1;
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : rows - 1;
    }
    Qt::ItemFlags flags(const QModelIndex&) const override
    {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const Content* content = Find(index.column() + 1, index.row() + 1);
        if (!content)
            return {};
        if (role == Qt::DisplayRole)
            return content->Text;
        if (role == Qt::ToolTipRole && !content->Hint.isEmpty())
            return content->Hint;
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return orientation == Qt::Horizontal ? Text(section + 1, 0) : Text(0, section + 1);
    }

    int Columns() const { return columns; }
    int Rows() const { return rows; }

    void SetColumns(int count)
    {
        if (count > columns) {
            beginInsertColumns({}, columns - 1, count - 2);
            columns = count;
            endInsertColumns();
        } else if (count < columns) {
            beginRemoveColumns({}, count - 1, columns - 2);
            columns = count;
            endRemoveColumns();
        }
    }
    void SetRows(int count)
    {
        if (count > rows) {
            beginInsertRows({}, rows - 1, count - 2);
            rows = count;
            endInsertRows();
        } else if (count < rows) {
            beginRemoveRows({}, count - 1, rows - 2);
            rows = count;
            endRemoveRows();
        }
    }

    QString Text(int column, int row) const
    {
        const Content* content = Find(column, row);
        return content ? content->Text : QString();
    }
    QString Hint(int column, int row) const
    {
        const Content* content = Find(column, row);
        return content ? content->Hint : QString();
    }
    void SetText(int column, int row, const QString& text)
    {
        store[{column, row}] = Content{text, QString()};
        Changed(column, row);
    }
    void SetHint(int column, int row, const QString& hint) { store[{column, row}].Hint = hint; }

private:
    struct Content {
        QString Text;
        QString Hint;
    };

    const Content* Find(int column, int row) const
    {
        const auto found = store.find({column, row});
        return found == store.end() ? nullptr : &found->second;
    }
    void Changed(int column, int row)
    {
        if (column >= columns || row >= rows)
            return;
        if (row == 0 && column > 0)
            emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
        else if (column == 0 && row > 0)
            emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
        else if (column > 0 && row > 0)
            emit dataChanged(index(row - 1, column - 1), index(row - 1, column - 1));
    }

    int columns;
    int rows;
    std::map<std::pair<int, int>, Content> store;
};

namespace {

const QColor fixedLineColour(0, 0, 0);
const QColor cellLineColour(192, 192, 192);

// A cell's own area: its box less the line drawn along its right and bottom edges.
QRect CellArea(const QRect& box)
{
    return box.adjusted(0, 0, -TTextGrid::LineWidth, -TTextGrid::LineWidth);
}

void DrawLines(QPainter& painter, const QRect& box, const QColor& colour)
{
    painter.setPen(colour);
    painter.drawLine(box.right(), box.top(), box.right(), box.bottom());
    painter.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
}

void DrawCellText(QPainter& painter, const QRect& area, const QString& text, const QColor& colour)
{
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.setPen(colour);
    painter.drawText(area.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
    painter.restore();
}

// Fixed cells look like buttons: button face, a raised edge, black lines.
void DrawFixedCell(QPainter& painter, const QRect& box, const QString& text, const QPalette& palette)
{
    const QRect area = CellArea(box);
    painter.fillRect(area, palette.color(QPalette::Button));
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());
    DrawLines(painter, box, fixedLineColour);
    DrawCellText(painter, area, text, palette.color(QPalette::ButtonText));
}

class TFixedCells : public QHeaderView {
public:
    TFixedCells(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setSectionsMovable(false);
        setHighlightSections(false);
        setMinimumSectionSize(0);
    }

protected:
    // Beyond the last fixed cell lies plain grid background, not an empty header.
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), palette().color(QPalette::Base));
        painter.setFont(font());
        for (int section = 0; section < count(); ++section) {
            const int start = sectionViewportPosition(section);
            const QRect box = orientation() == Qt::Horizontal
                                  ? QRect(start, 0, sectionSize(section), height())
                                  : QRect(0, start, width(), sectionSize(section));
            if (box.intersects(event->rect()))
                DrawFixedCell(painter, box,
                              model()->headerData(section, orientation()).toString(), palette());
        }
    }
};

// The other cells: window colour, silver lines; the current cell of a focused grid carries a
// dotted focus rectangle, the other selected cells the highlight colours.
class TCellPainter : public QAbstractItemDelegate {
public:
    using QAbstractItemDelegate::QAbstractItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QRect area = CellArea(option.rect);
        const bool focused = option.state & QStyle::State_HasFocus;
        const bool highlighted = (option.state & QStyle::State_Selected) && !focused;
        const QPalette& palette = option.palette;
        painter->fillRect(area, palette.color(highlighted ? QPalette::Highlight : QPalette::Base));
        DrawLines(*painter, option.rect, cellLineColour);
        DrawCellText(*painter, area, index.data().toString(),
                     palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
        if (focused) {
            painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
            painter->drawRect(area.adjusted(0, 0, -1, -1));
        }
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return option.rect.size();
    }
};

}  // namespace

TTextGrid::TTextGrid(QWidget* parent, int columnCount, const std::vector<int>& heights)
    : QTableView(parent),
      cells(new TGridCells(this, columnCount, int(heights.size()))),
      rowHeights(heights)
{
    setHorizontalHeader(new TFixedCells(Qt::Horizontal, this));
    setVerticalHeader(new TFixedCells(Qt::Vertical, this));
    setModel(cells);
    setItemDelegate(new TCellPainter(this));
    setShowGrid(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setCornerButtonEnabled(false);
    // Tab leaves the grid for the window's next control, as in every other control.
    setTabKeyNavigation(false);

    horizontalHeader()->setDefaultSectionSize(ColumnWidth + LineWidth);
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight + LineWidth);
    verticalHeader()->setFixedWidth(ColumnWidth + LineWidth);
    FitRowHeights();

    // The corner is cell (0, 0); Qt gives it a button of its own, which we paint as a fixed cell.
    corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner)
        corner->installEventFilter(this);

    CopyAction = new QAction(QStringLiteral("Copier"), this);
    CopyAction->setShortcut(QKeySequence::Copy);
    CopyAction->setShortcutContext(Qt::WidgetShortcut);
    addAction(CopyAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(CopyAction, &QAction::triggered, this, Guarded(this, &TTextGrid::CopySelection));

    setCurrentIndex(cells->index(0, 0));
}

int TTextGrid::ColCount() const
{
    return cells->Columns();
}

int TTextGrid::RowCount() const
{
    return cells->Rows();
}

// The fixed row and column always remain.
void TTextGrid::SetColCount(int count)
{
    cells->SetColumns(std::max(count, 1));
}

void TTextGrid::SetRowCount(int count)
{
    cells->SetRows(std::max(count, 1));
    FitRowHeights();
}

int TTextGrid::RowHeight(int row) const
{
    return row >= 0 && row < int(rowHeights.size()) ? rowHeights[row] : DefaultRowHeight;
}

QString TTextGrid::Cell(int column, int row) const
{
    return cells->Text(column, row);
}

void TTextGrid::SetCell(int column, int row, const QString& text)
{
    cells->SetText(column, row, text);
    if (column == 0 && row == 0 && corner)
        corner->update();
}

QString TTextGrid::CellHint(int column, int row) const
{
    return cells->Hint(column, row);
}

void TTextGrid::SetCellHint(int column, int row, const QString& hint)
{
    cells->SetHint(column, row, hint);
}

QString TTextGrid::SelectionText() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    int top = selected.first().row(), bottom = top;
    int left = selected.first().column(), right = left;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    // Pasted elsewhere, figures mean nothing without the fixed cells that name them: each line
    // begins with its row's name, and a selection from the first row comes under the columns'.
    // The names were typed by users: a spreadsheet must take each whole, and never as a formula,
    // as in the CSV export.
    const auto lineText = [](const QStringList& line) {
        return JoinedFields(line, QLatin1Char('\t')) + QLatin1Char('\n');
    };
    QString text;
    if (top == 0) {
        QStringList line{Cell(0, 0)};
        for (int column = left; column <= right; ++column)
            line << Cell(column + 1, 0);
        text += lineText(line);
    }
    for (int row = top; row <= bottom; ++row) {
        QStringList line{CsvTypedText(Cell(0, row + 1))};
        for (int column = left; column <= right; ++column)
            line << (selectionModel()->isSelected(cells->index(row, column))
                         ? Cell(column + 1, row + 1)
                         : QString());
        text += lineText(line);
    }
    return text;
}

void TTextGrid::CopySelection()
{
    const QString text = SelectionText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool TTextGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == corner && event->type() == QEvent::Paint) {
        QPainter painter(corner);
        painter.setFont(font());
        DrawFixedCell(painter, corner->rect(), Cell(0, 0), palette());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TTextGrid::FitRowHeights()
{
    rowHeights.resize(cells->Rows(), DefaultRowHeight);
    horizontalHeader()->setFixedHeight(rowHeights[0] + LineWidth);
    for (int row = 1; row < cells->Rows(); ++row)
        verticalHeader()->resizeSection(row - 1, rowHeights[row] + LineWidth);
}
