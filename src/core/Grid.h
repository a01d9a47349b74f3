#pragma once

#include "core/Controls.h"

#include <QString>

#include <vector>

namespace tavrel {

// A table of text cells: row 0 is the header row, cells are addressed (row, column) as
// text, columns carry a width in twips and an alignment code, and every cell has a
// background colour (a 32-bit Windows colour value). The view shows it as a table and
// follows cellChanged() for single cells and shapeChanged() for everything else.
//
// Setting a cell to what it already holds changes nothing and notifies nobody, so the
// update cycle can write its live cells every time without cost. Out-of-range addresses
// and invalid values raise an Error, which the routines that write grids ignore.
class Grid : public Control
{
    Q_OBJECT
public:
    // Alignment codes of the grid control.
    enum Alignment {
        LeftTop = 0,
        LeftCenter = 1,
        LeftBottom = 2,
        CenterTop = 3,
        CenterCenter = 4,
        CenterBottom = 5,
        RightTop = 6,
        RightCenter = 7,
        RightBottom = 8,
        General = 9,
    };
    static constexpr quint32 kDefaultColor = 0x80000005; // the window background
    static constexpr quint32 kGreen = 65280, kRed = 255, kYellow = 65535;

    // A new grid has 2 rows and 2 columns, like the grid control placed on a form.
    explicit Grid(QObject *parent = nullptr);

    int rows() const { return rows_; }
    // Keeps the cells that remain; new cells are empty with the default colour.
    void setRows(int rows);
    int cols() const { return cols_; }
    void setCols(int cols);
    // The current row.
    int row() const { return row_; }
    void setRow(int row);

    const QString &text(int row, int col) const;
    void setText(int row, int col, const QString &text);

    // Width in twips; -1 is the default width.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    quint32 cellBackColor(int row, int col) const;
    void setCellBackColor(int row, int col, quint32 color);

    // A note on a whole row, shown when the pointer rests on it; read when shown, so
    // setting it notifies nobody.
    const QString &rowToolTip(int row) const;
    void setRowToolTip(int row, const QString &text);

Q_SIGNALS:
    void cellChanged(int row, int col);
    void shapeChanged(); // rows, cols, widths or alignment changed

private:
    std::size_t cellIndex(int row, int col) const; // raises when out of range
    void checkCol(int col) const;
    void resize(int rows, int cols);

    struct Column
    {
        int width = -1;
        int alignment = General;
    };

    int rows_ = 0;
    int cols_ = 0;
    int row_ = 0;
    std::vector<QString> texts_;  // row by row
    std::vector<quint32> colors_; // same layout as texts_
    std::vector<QString> rowToolTips_;
    std::vector<Column> columns_;
};

} // namespace tavrel
