// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ROWPICTURESDIALOG_H
#define LENSTALLY_ROWPICTURESDIALOG_H

#include <QDialog>
#include <QStringList>

#include <functional>

class QDialogButtonBox;
class QPushButton;
class QTreeWidget;

// Adds Open Folder (the first selected path's folder in the desktop's file manager) and
// Copy (the selected paths as text, one a line) to buttons, for any list of pictures;
// selected gives the paths as the analysis names them.
void addPathButtons(QDialogButtonBox* buttons, std::function<QStringList()> selected);

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
    QTreeWidget* list;
};

#endif
