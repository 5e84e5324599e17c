// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/aboutdialog.h"
#include "ui_aboutdialog.h"

#include "aboutlinks.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    // The addresses are build options, so the form's link texts carry them as %1.
    ui->label_4->setText(
        ui->label_4->text().arg(QStringLiteral(LENSTALLY_WEBSITE_URL).toHtmlEscaped()));
    ui->label_5->setText(
        ui->label_5->text().arg(QStringLiteral(LENSTALLY_DONATE_URL).toHtmlEscaped()));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(width(), height());
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::on_pushButton_clicked()
{
    close();
}
