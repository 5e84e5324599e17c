// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/filelistdialog.h"

#include "core/base/fsname.h"
#include "ui/rowpicturesdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column
{
    Path,
    Outcome,
    Make,
    Model,
    Lens,
    Focal,
    Focal35,
    Focal35From,
    FNumber,
    IsoColumn,
    Exposure,
    Taken,
    Messages,
    ColumnCount
};

QString columnText(const FileLabels& l, int column)
{
    switch (column) {
    case Outcome:
        return outcomeText(l.outcome);
    case Make:
        return l.make;
    case Model:
        return l.model;
    case Lens:
        return l.lens;
    case Focal:
        return l.focalLength;
    case Focal35:
        return l.focalLength35mm;
    case Focal35From:
        return focal35FromText(l.focal35From);
    case FNumber:
        return l.aperture;
    case IsoColumn:
        return l.iso;
    case Exposure:
        return l.exposureTime;
    case Taken:
        return l.taken;
    case Messages:
        return QString::number(l.messages);
    }
    return QString();
}

// What a number column sorts by: "1/125" as 0.008, "" and "Unknown" first.
double sortValue(const QString& label)
{
    if (label.startsWith(QLatin1String("1/")))
        return 1.0 / std::max(1.0, label.mid(2).toDouble());
    bool ok = false;
    const double value = label.toDouble(&ok);
    return ok ? value : -1.0;
}

} // namespace

FileListModel::FileListModel(const QStringList& list, const FileRecords& records, QObject* parent)
    : QAbstractTableModel(parent)
{
    const int count = std::min(int(list.size()), records.size());
    for (int i = 0; i < count; ++i) {
        if (!records.recorded(i))
            continue;
        paths.push_back(list[i]);
        rows.push_back(records.labels(i));
    }
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows.size()))
        return QVariant();
    const int column = index.column();
    const QString text = column == Path ? fsname::display(paths[size_t(index.row())])
                                        : columnText(rows[size_t(index.row())], column);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text;
    case Qt::UserRole:
        if (column == Focal || column == Focal35 || column == FNumber || column == IsoColumn ||
            column == Exposure || column == Messages)
            return sortValue(text);
        return text;
    default:
        return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char* const titles[ColumnCount] = {
        "Path",       "Outcome",  "Make", "Model",         "Lens",  "Focal length", "35 mm",
        "35 mm from", "F-number", "ISO",  "Exposure time", "Taken", "Messages"};
    return section >= 0 && section < ColumnCount ? tr(titles[section]) : QVariant();
}

FileListDialog::FileListDialog(const QStringList& paths, const FileRecords& records,
                               QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FileListDialog"));
    setWindowTitle(tr("Files of the analysis"));
    model = new FileListModel(paths, records, this);
    proxy = new QSortFilterProxyModel(this);
    proxy->setSourceModel(model);
    proxy->setSortRole(Qt::UserRole);
    proxy->setFilterKeyColumn(Outcome);

    outcomeFilter = new QComboBox(this);
    outcomeFilter->setObjectName(QStringLiteral("cmbOutcome"));
    outcomeFilter->addItem(tr("All files"));
    for (PictureOutcome outcome :
         {PictureOutcome::Counted, PictureOutcome::Filtered, PictureOutcome::Unusable,
          PictureOutcome::Unreadable, PictureOutcome::OutsideDates, PictureOutcome::PairDuplicate})
        outcomeFilter->addItem(outcomeText(outcome));
    connect(outcomeFilter, &QComboBox::currentIndexChanged, this, [this](int index) {
        proxy->setFilterRegularExpression(
            index <= 0
                ? QString()
                : QLatin1Char('^') + QRegularExpression::escape(outcomeFilter->itemText(index)) +
                      QLatin1Char('$'));
    });

    view = new QTableView(this);
    view->setObjectName(QStringLiteral("tableFiles"));
    view->setModel(proxy);
    view->setSortingEnabled(true);
    view->sortByColumn(-1, Qt::AscendingOrder); // list order until a header is clicked
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setTextElideMode(Qt::ElideMiddle);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->setColumnWidth(Path, 320);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    addPathButtons(buttons, [this] { return selectedPaths(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outcomeFilter);
    layout->addWidget(view);
    layout->addWidget(buttons);
    resize(900, 480);
}

QStringList FileListDialog::selectedPaths() const
{
    QStringList selected;
    for (int row = 0; row < proxy->rowCount(); ++row) {
        if (view->selectionModel()->isRowSelected(row, QModelIndex()))
            selected << model->path(proxy->mapToSource(proxy->index(row, 0)).row());
    }
    return selected;
}
