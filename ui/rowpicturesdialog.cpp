// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rowpicturesdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

RowPicturesDialog::RowPicturesDialog(const QString& title, const QStringList& paths,
                                     QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("RowPicturesDialog"));
    setWindowTitle(title);
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("treePictures"));
    list->setHeaderLabels({tr("Picture")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setTextElideMode(Qt::ElideMiddle);
    list->setUniformRowHeights(true);
    QList<QTreeWidgetItem*> items;
    items.reserve(paths.size());
    for (const QString& path : paths) {
        auto* item = new QTreeWidgetItem({path});
        item->setToolTip(0, path);
        items.append(item);
    }
    list->addTopLevelItems(items);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    btnOpenFolder = buttons->addButton(tr("Open Folder"), QDialogButtonBox::ActionRole);
    btnOpenFolder->setObjectName(QStringLiteral("btnOpenFolder"));
    btnOpenFolder->setWhatsThis(tr("Opens the folder of the selected picture"));
    btnCopy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnCopy->setWhatsThis(tr("Copies the paths of the selected pictures"));
    connect(btnOpenFolder, &QPushButton::clicked, this, &RowPicturesDialog::openFolder);
    connect(btnCopy, &QPushButton::clicked, this, &RowPicturesDialog::copyPaths);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addWidget(buttons);
    resize(640, 400);
}

QStringList RowPicturesDialog::selectedPaths() const
{
    QStringList paths;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->isSelected())
            paths << item->text(0);
    }
    return paths;
}

void RowPicturesDialog::openFolder()
{
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(paths.first()).absolutePath()));
}

void RowPicturesDialog::copyPaths()
{
    QApplication::clipboard()->setText(selectedPaths().join(QLatin1Char('\n')));
}
