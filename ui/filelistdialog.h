// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FILELISTDIALOG_H
#define LENSTALLY_FILELISTDIALOG_H

#include "core/session/analysisresult.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QSortFilterProxyModel;
class QTableView;

// Every recorded file of an analysis, one row each: the path and the columns of
// lenstally-report --files. Sorts numbers by value (Qt::UserRole).
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    FileListModel(const QStringList& paths, const FileRecords& records, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The path of a row as the analysis names it.
    QString path(int row) const { return paths[size_t(row)]; }

private:
    std::vector<QString> paths;
    std::vector<FileLabels> rows;
};

// The list behind every number, from the window's outcome line: filterable by outcome,
// sortable, with Open Folder and Copy as in RowPicturesDialog.
class FileListDialog : public QDialog
{
    Q_OBJECT

public:
    FileListDialog(const QStringList& paths, const FileRecords& records, QWidget* parent = nullptr);

    // The paths selected, in the list's current order.
    QStringList selectedPaths() const;

private:
    FileListModel* model;
    QSortFilterProxyModel* proxy;
    QTableView* view;
    QComboBox* outcomeFilter;
};

#endif
