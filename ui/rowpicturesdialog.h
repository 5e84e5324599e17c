// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ROWPICTURESDIALOG_H
#define LENSTALLY_ROWPICTURESDIALOG_H

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTreeWidget;

// The pictures counted in one row of a table: their paths, sortable, with Open Folder
// (the selected picture's folder in the desktop's file manager) and Copy (the selected
// paths as text, one a line).
class RowPicturesDialog : public QDialog
{
    Q_OBJECT

public:
    RowPicturesDialog(const QString& title, const QStringList& paths, QWidget* parent = nullptr);

    // The paths selected, in the list's current order.
    QStringList selectedPaths() const;

private:
    void openFolder();
    void copyPaths();

    QTreeWidget* list;
    QPushButton* btnOpenFolder;
    QPushButton* btnCopy;
};

#endif
