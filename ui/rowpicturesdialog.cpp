// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rowpicturesdialog.h"

#include "core/base/fsname.h"

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
        auto* item = new QTreeWidgetItem({fsname::display(path)});
        item->setData(0, Qt::UserRole, path);
        item->setToolTip(0, fsname::display(path));
        items.append(item);
    }
    list->addTopLevelItems(items);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    addPathButtons(buttons, [this] { return selectedPaths(); });
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
            paths << item->data(0, Qt::UserRole).toString();
    }
    return paths;
}

void addPathButtons(QDialogButtonBox* buttons, std::function<QStringList()> selected)
{
    QPushButton* open =
        buttons->addButton(QObject::tr("Open Folder"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("btnOpenFolder"));
    open->setWhatsThis(QObject::tr("Opens the folder of the selected picture"));
    QPushButton* copy = buttons->addButton(QObject::tr("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("btnCopy"));
    copy->setWhatsThis(QObject::tr("Copies the paths of the selected pictures"));
    QObject::connect(open, &QPushButton::clicked, buttons, [selected] {
        const QStringList paths = selected();
        if (paths.isEmpty())
            return;
        // The folder's own bytes, percent-encoded: a name that is not UTF-8 stays itself.
        const QString folder = paths.first().left(paths.first().lastIndexOf(QLatin1Char('/')));
        QDesktopServices::openUrl(QUrl::fromEncoded(
            "file://" + fsname::encode(folder.isEmpty() ? QStringLiteral("/") : folder)
                            .toPercentEncoding("/")));
    });
    QObject::connect(copy, &QPushButton::clicked, buttons, [selected] {
        QStringList shown;
        for (const QString& path : selected())
            shown << fsname::display(path);
        QApplication::clipboard()->setText(shown.join(QLatin1Char('\n')));
    });
}
