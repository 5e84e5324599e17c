// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folderlist.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FolderList::FolderList(QWidget* parent)
    : QWidget(parent), list(new QListWidget(this)), btnAdd(new QPushButton(tr("A&dd..."), this)),
      btnRemove(new QPushButton(tr("Remo&ve"), this))
{
    list->setObjectName(QStringLiteral("lstMoreFolders"));
    btnAdd->setObjectName(QStringLiteral("btnAddFolder"));
    btnRemove->setObjectName(QStringLiteral("btnRemoveFolder"));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setTextElideMode(Qt::ElideMiddle);
    // A few rows: the list is for the odd second disk or phone backup, not a library; it
    // may shrink to two so that the window still fits a small screen.
    const int row = list->fontMetrics().height();
    list->setMinimumHeight(row * 2 + 2 * list->frameWidth() + 4);
    list->setMaximumHeight(row * 3 + 2 * list->frameWidth() + 6);
    list->setWhatsThis(tr("Further folders analysed together with the folder above; a "
                          "picture reached from two of them is counted once"));
    btnAdd->setWhatsThis(tr("Adds a folder to the further folders"));
    btnRemove->setWhatsThis(tr("Removes the selected folders from the list"));
    btnRemove->setEnabled(false);
    // The buttons beside each other, level with the list's first row: stacked, they would
    // make the row taller than the list.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnRemove);
    auto* column = new QVBoxLayout;
    column->addLayout(buttons);
    column->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list, 1);
    layout->addLayout(column);
    connect(btnAdd, &QPushButton::clicked, this, &FolderList::chooseFolder);
    connect(btnRemove, &QPushButton::clicked, this, &FolderList::removeSelected);
    connect(list, &QListWidget::itemSelectionChanged, this,
            [this] { btnRemove->setEnabled(!list->selectedItems().isEmpty()); });
}

QStringList FolderList::folders() const
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

void FolderList::setFolders(const QStringList& folders)
{
    list->clear();
    addFolders(folders);
}

void FolderList::addFolders(const QStringList& folders)
{
    QStringList listed = this->folders();
    for (const QString& folder : folders) {
        if (folder.trimmed().isEmpty() || listed.contains(folder))
            continue;
        listed << folder;
        auto* item = new QListWidgetItem(folder, list);
        item->setToolTip(folder);
    }
}

void FolderList::chooseFolder()
{
    const QString start = list->count() > 0 ? list->item(list->count() - 1)->text() : QString();
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Add Folder"), start, QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        addFolders({QDir::toNativeSeparators(folder)});
}

void FolderList::removeSelected()
{
    qDeleteAll(list->selectedItems());
}
