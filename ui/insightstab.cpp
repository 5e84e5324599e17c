// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/insightstab.h"

#include <QLocale>

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column
{
    LensColumn,
    PicturesColumn,
    PercentColumn,
    FocalColumn,
    ShortEndColumn,
    LongEndColumn,
    FavouriteColumn,
    WidestColumn,
    WideOpenColumn,
};

// The number a cell sorts by; -1 where it is empty, so that empty cells come first.
QVariant sortValue(const LensUsage& lens, int column)
{
    switch (column) {
    case LensColumn:
        return lens.label;
    case PicturesColumn:
        return lens.count;
    case PercentColumn:
        return double(lens.percent);
    case FocalColumn:
        // By the short end, then the long one.
        return double(lens.shortest) * 1e6 + double(lens.longest);
    case ShortEndColumn:
        return lens.atShortEnd ? double(*lens.atShortEnd) : -1.0;
    case LongEndColumn:
        return lens.atLongEnd ? double(*lens.atLongEnd) : -1.0;
    case FavouriteColumn:
        return lens.favourite ? double(*lens.favourite) : -1.0;
    case WidestColumn:
        return double(lens.widest);
    case WideOpenColumn:
        return double(lens.wideOpen);
    }
    return QVariant();
}

} // namespace

void LensUsageModel::setLenses(std::vector<LensUsage> newLenses)
{
    beginResetModel();
    lenses = std::move(newLenses);
    cells.clear();
    for (const LensUsage& lens : lenses)
        cells.push_back(lensUsageCells(lens));
    endResetModel();
}

int LensUsageModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(lenses.size());
}

int LensUsageModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(lensUsageHeadings().size());
}

QVariant LensUsageModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= lenses.size())
        return QVariant();
    const QString& text = cells[size_t(index.row())].at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        // Counts in the locale's format, as everywhere in the window.
        if (index.column() == PicturesColumn)
            return QLocale().toString(lenses[size_t(index.row())].count);
        return text;
    case Qt::ToolTipRole:
        return index.column() == LensColumn || index.column() == FavouriteColumn ? text
                                                                                 : QVariant();
    case Qt::TextAlignmentRole:
        return int(index.column() == LensColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                : Qt::AlignRight | Qt::AlignVCenter);
    case Qt::UserRole:
        return sortValue(lenses[size_t(index.row())], index.column());
    default:
        return QVariant();
    }
}

QVariant LensUsageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole)
        return lensUsageHeadings().value(section);
    if (role == Qt::ToolTipRole) {
        switch (section) {
        case FocalColumn:
            return tr("The shortest and longest focal length used with the lens");
        case ShortEndColumn:
            return tr("Share of the lens's pictures at its shortest focal length (zooms only)");
        case LongEndColumn:
            return tr("Share of the lens's pictures at its longest focal length (zooms only)");
        case FavouriteColumn:
            return tr("The focal length used most between the two ends, with its most common "
                      "35 mm equivalent");
        case WidestColumn:
            return tr("The smallest f-number recorded with the lens");
        case WideOpenColumn:
            return tr("Share of the lens's pictures at that f-number");
        default:
            break;
        }
    }
    return QVariant();
}

InsightsTab::InsightsTab(QWidget* parent)
    : QWidget(parent), coverage(new QLabel(this)), model(new LensUsageModel(this)),
      sorted(new QSortFilterProxyModel(this)), view(new QTableView(this))
{
    coverage->setObjectName(QStringLiteral("lblCoverage"));
    coverage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    coverage->setWhatsThis(
        tr("Focal coverage: the narrowest range of 35 mm equivalent focal lengths (smallest "
           "ratio of longest to shortest) that holds 50, 80 and 95 % of the counted pictures "
           "whose 35 mm focal length is known. A zoom covering the 80 % range would have "
           "taken four pictures in five."));
    sorted->setSourceModel(model);
    sorted->setSortRole(Qt::UserRole);
    sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    view->setObjectName(QStringLiteral("tableLensUsage"));
    view->setModel(sorted);
    // Unsorted at first: the model's order, most pictures first, as the Lens table.
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);
    view->setTextElideMode(Qt::ElideMiddle);
    view->setWordWrap(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(LensColumn, QHeaderView::Stretch);
    view->setWhatsThis(
        tr("Lens usage, one row per lens of the Lens table: its pictures and share; the "
           "shortest and longest focal length used; for a zoom, the share of its pictures at "
           "exactly its shortest and its longest focal length; the favourite focal length "
           "between them (with its 35 mm equivalent); the widest aperture recorded and the "
           "share of pictures taken wide open. Click a heading to sort by that column."));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(coverage);
    layout->addWidget(view, 1);
    clear();
}

void InsightsTab::clear()
{
    coverage->setText(tr("No analysis yet."));
    model->setLenses({});
}

void InsightsTab::setInsights(const Insights& insights)
{
    QStringList lines;
    for (const CoverageRange& range : insights.coverage)
        lines << coverageLine(range);
    if (lines.isEmpty())
        lines << tr("No picture with a known 35 mm focal length.");
    coverage->setText(lines.join(QLatin1Char('\n')));
    model->setLenses(insights.lenses);
}
