// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FOLDERLIST_H
#define LENSTALLY_FOLDERLIST_H

#include <QStringList>
#include <QWidget>

class QListWidget;
class QPushButton;

// The further folders an analysis takes beside the folder field: a short list with Add
// and Remove. Each folder is listed once.
class FolderList : public QWidget
{
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    // The folders in the list's order.
    QStringList folders() const;
    // Replaces the list with the folders, blanks and repeats dropped.
    void setFolders(const QStringList& folders);
    // Appends those of the folders not listed yet.
    void addFolders(const QStringList& folders);

    QPushButton* addButton() const { return btnAdd; }
    QPushButton* removeButton() const { return btnRemove; }
    QListWidget* listWidget() const { return list; }

private:
    void chooseFolder();
    void removeSelected();

    QListWidget* list;
    QPushButton* btnAdd;
    QPushButton* btnRemove;
};

#endif
