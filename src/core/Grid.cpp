#include "core/Grid.h"

#include "core/Error.h"

#include <algorithm>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(Error::Number number)
{
    throw Error::standard(number, u"Grid"_s);
}

[[noreturn]] void outOfRange()
{
    fail(Error::SubscriptOutOfRange);
}

} // namespace

Grid::Grid(QObject *parent) : Control(parent)
{
    resize(2, 2);
}

void Grid::setRows(int rows)
{
    if (rows < 0)
        fail(Error::InvalidRowValue);
    if (rows == rows_)
        return;
    resize(rows, cols_);
    Q_EMIT shapeChanged();
}

void Grid::setCols(int cols)
{
    if (cols < 0)
        fail(Error::InvalidColValue);
    if (cols == cols_)
        return;
    resize(rows_, cols);
    Q_EMIT shapeChanged();
}

void Grid::setRow(int row)
{
    if (row < 0 || row >= rows_)
        fail(Error::InvalidRowValue);
    row_ = row;
}

const QString &Grid::text(int row, int col) const
{
    return texts_[cellIndex(row, col)];
}

void Grid::setText(int row, int col, const QString &text)
{
    QString &cell = texts_[cellIndex(row, col)];
    if (cell == text)
        return;
    copyText(cell, text); // the cell keeps its own room, so live cells stay allocation-free
    Q_EMIT cellChanged(row, col);
}

int Grid::colWidth(int col) const
{
    checkCol(col);
    return columns_[std::size_t(col)].width;
}

void Grid::setColWidth(int col, int twips)
{
    checkCol(col);
    if (twips < -1)
        fail(Error::InvalidPropertyValue);
    int &width = columns_[std::size_t(col)].width;
    if (width == twips)
        return;
    width = twips;
    Q_EMIT shapeChanged();
}

int Grid::colAlignment(int col) const
{
    checkCol(col);
    return columns_[std::size_t(col)].alignment;
}

void Grid::setColAlignment(int col, int alignment)
{
    checkCol(col);
    if (alignment < LeftTop || alignment > General)
        fail(Error::InvalidPropertyValue);
    int &current = columns_[std::size_t(col)].alignment;
    if (current == alignment)
        return;
    current = alignment;
    Q_EMIT shapeChanged();
}

quint32 Grid::cellBackColor(int row, int col) const
{
    return colors_[cellIndex(row, col)];
}

void Grid::setCellBackColor(int row, int col, quint32 color)
{
    quint32 &cell = colors_[cellIndex(row, col)];
    if (cell == color)
        return;
    cell = color;
    Q_EMIT cellChanged(row, col);
}

const QString &Grid::rowToolTip(int row) const
{
    if (row < 0 || row >= rows_)
        outOfRange();
    return rowToolTips_[std::size_t(row)];
}

void Grid::setRowToolTip(int row, const QString &text)
{
    if (row < 0 || row >= rows_)
        outOfRange();
    rowToolTips_[std::size_t(row)] = text;
}

std::size_t Grid::cellIndex(int row, int col) const
{
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        outOfRange();
    return std::size_t(row) * std::size_t(cols_) + std::size_t(col);
}

void Grid::checkCol(int col) const
{
    if (col < 0 || col >= cols_)
        outOfRange();
}

void Grid::resize(int rows, int cols)
{
    const std::size_t count = std::size_t(rows) * std::size_t(cols);
    if (cols == cols_) {
        // Rows are stored one after another: growing or shrinking happens at the end.
        texts_.resize(count);
        colors_.resize(count, kDefaultColor);
    } else {
        std::vector<QString> texts(count);
        std::vector<quint32> colors(count, kDefaultColor);
        const int keptRows = std::min(rows, rows_);
        const int keptCols = std::min(cols, cols_);
        for (int r = 0; r < keptRows; ++r) {
            for (int c = 0; c < keptCols; ++c) {
                const std::size_t from = std::size_t(r) * std::size_t(cols_) + std::size_t(c);
                const std::size_t to = std::size_t(r) * std::size_t(cols) + std::size_t(c);
                texts[to] = std::move(texts_[from]);
                colors[to] = colors_[from];
            }
        }
        texts_ = std::move(texts);
        colors_ = std::move(colors);
        columns_.resize(std::size_t(cols));
    }
    rowToolTips_.resize(std::size_t(rows));
    rows_ = rows;
    cols_ = cols;
    if (row_ >= rows_)
        row_ = rows_ > 0 ? rows_ - 1 : 0;
}

} // namespace tavrel
