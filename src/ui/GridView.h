#pragma once

#include "core/Grid.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace tavrel {

// A device table on screen: a QTableView over one grid model. Row 0 of the grid is the
// view's header; every other row is a row of the view. Cells, colours, widths and
// alignments follow the model as the program sets them.
class GridView : public QTableView
{
    Q_OBJECT
public:
    GridView(Grid &grid, QWidget *parent = nullptr);

    Grid &grid() const { return grid_; }

private:
    void applyShape();

    Grid &grid_;
    QAbstractTableModel *model_;
};

} // namespace tavrel
