#include "ui/GridView.h"

#include "ui/Layout.h"

#include <QColor>
#include <QHeaderView>

namespace tavrel {

namespace {

// A Windows colour value (0x00BBGGRR) as a Qt colour; the system colours (high bit set)
// leave the view's own.
QVariant toColor(quint32 color)
{
    if (color & 0x80000000u)
        return {};
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

Qt::Alignment toAlignment(int code)
{
    switch (code) {
    case Grid::LeftTop:
        return Qt::AlignLeft | Qt::AlignTop;
    case Grid::LeftCenter:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case Grid::LeftBottom:
        return Qt::AlignLeft | Qt::AlignBottom;
    case Grid::CenterTop:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Grid::CenterCenter:
        return Qt::AlignCenter;
    case Grid::CenterBottom:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case Grid::RightTop:
        return Qt::AlignRight | Qt::AlignTop;
    case Grid::RightCenter:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Grid::RightBottom:
        return Qt::AlignRight | Qt::AlignBottom;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter; // general: text to the left
    }
}

class GridTableModel : public QAbstractTableModel
{
public:
    GridTableModel(Grid &grid, QObject *parent) : QAbstractTableModel(parent), grid_(grid)
    {
        connect(&grid_, &Grid::cellChanged, this, [this](int row, int col) {
            if (row == 0) {
                Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
            } else {
                // One list of roles for every change: a live cell costs no allocation.
                static const QList<int> kRoles = {Qt::DisplayRole, Qt::BackgroundRole};
                const QModelIndex cell = index(row - 1, col);
                Q_EMIT dataChanged(cell, cell, kRoles);
            }
        });
        connect(&grid_, &Grid::shapeChanged, this, [this] {
            beginResetModel();
            endResetModel();
        });
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(grid_.rows() - 1, 0);
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : grid_.cols(); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const int row = index.row() + 1;
        switch (role) {
        case Qt::DisplayRole:
            return grid_.text(row, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(toAlignment(grid_.colAlignment(index.column())));
        case Qt::BackgroundRole:
            return toColor(grid_.cellBackColor(row, index.column()));
        case Qt::ToolTipRole:
            return grid_.rowToolTip(row).isEmpty() ? QVariant() : grid_.rowToolTip(row);
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section >= grid_.cols() || grid_.rows() < 1)
            return {};
        if (role == Qt::DisplayRole)
            return grid_.text(0, section);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(toAlignment(grid_.colAlignment(section)));
        return {};
    }

private:
    Grid &grid_;
};

} // namespace

GridView::GridView(Grid &grid, QWidget *parent)
    : QTableView(parent)
    , grid_(grid)
    , model_(new GridTableModel(grid, this))
{
    setModel(model_);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    // The last column takes the width the others leave, so no bare header stands beside it.
    horizontalHeader()->setStretchLastSection(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(&grid_, &Grid::shapeChanged, this, &GridView::applyShape);
    applyShape();
}

void GridView::applyShape()
{
    const qreal dpi = logicalDpiX();
    for (int col = 0; col < grid_.cols(); ++col) {
        const int twips = grid_.colWidth(col);
        if (twips >= 0)
            setColumnWidth(col, layout::toPixels(twips, dpi));
    }
}

} // namespace tavrel
