// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A grid of text cells whose first row and first column are fixed: they stay in place while the
// other cells scroll, cannot be selected and look like buttons. Every cell, fixed or not, is
// addressed by column and row from (0, 0), and its text is kept whatever the row and column
// counts: a cell outside the counts is stored but not shown.

#include <QTableView>
#include <vector>

class QAction;
class TGridCells;

class TTextGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int ColumnWidth = 93;
    static constexpr int DefaultRowHeight = 24;
    static constexpr int LineWidth = 1;

    // Rows take the given heights; rows added later take the default height.
    TTextGrid(QWidget* parent, int columnCount, const std::vector<int>& rowHeights);

    int ColCount() const;
    int RowCount() const;
    // Rows that remain keep their heights; the cells' texts are kept either way.
    void SetColCount(int count);
    void SetRowCount(int count);
    int RowHeight(int row) const;

    QString Cell(int column, int row) const;
    // A new text drops the cell's hint, which spoke of the old one.
    void SetCell(int column, int row, const QString& text);
    // A hint shown over the cell while the mouse rests on it; empty for none.
    QString CellHint(int column, int row) const;
    void SetCellHint(int column, int row, const QString& hint);

    // The selected cells as tab-separated lines, ready to paste into a spreadsheet: each line
    // after its row's fixed cell, under a line of the fixed row's cells when the selection
    // begins on the first row.
    QString SelectionText() const;
    void CopySelection();

    QAction* CopyAction;

    // Typed letters belong to the window's mnemonics, not to a search through the cells.
    void keyboardSearch(const QString&) override {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitRowHeights();

    TGridCells* cells;
    std::vector<int> rowHeights;
    QWidget* corner;
};
