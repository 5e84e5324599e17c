// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ABOUTDIALOG_H
#define LENSTALLY_ABOUTDIALOG_H

#include <QDialog>

namespace Ui {
class AboutDialog;
}

// The about box: name, version, icon, credit line, web site and donation links.
// Fixed in size and modal; hidden, not destroyed, by its Ok button.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);
    ~AboutDialog() override;

private slots:
    void on_pushButton_clicked();

private:
    Ui::AboutDialog* ui;
};

#endif
