// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_INSIGHTSTAB_H
#define LENSTALLY_INSIGHTSTAB_H

#include "core/count/insights.h"

#include <QAbstractTableModel>
#include <QWidget>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

// The lens usage as a table model: one row per lens, the columns of lensUsageHeadings();
// Qt::UserRole holds the number a column sorts by (-1 where the cell is empty).
class LensUsageModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setLenses(std::vector<LensUsage> lenses);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<LensUsage> lenses;
    std::vector<QStringList> cells;
};

// The window's Insights tab: the focal coverage lines above the sortable lens usage table.
class InsightsTab : public QWidget
{
    Q_OBJECT

public:
    explicit InsightsTab(QWidget* parent = nullptr);

    // Shows the insights of the last analysis.
    void setInsights(const Insights& insights);
    void clear();

    QLabel* coverageLabel() const { return coverage; }
    QTableView* lensView() const { return view; }

private:
    QLabel* coverage;
    LensUsageModel* model;
    QSortFilterProxyModel* sorted;
    QTableView* view;
};

#endif
