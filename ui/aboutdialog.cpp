// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/aboutdialog.h"
#include "ui_aboutdialog.h"

#include "aboutlinks.h"

#include <utility>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    // The addresses are build options, so the form's link texts carry them as %1; a link
    // without an address would lead nowhere and is not shown.
    const std::pair<QLabel*, QString> links[] = {
        {ui->label_4, QStringLiteral(LENSTALLY_WEBSITE_URL)},
        {ui->label_5, QStringLiteral(LENSTALLY_DONATE_URL)},
    };
    for (const auto& [label, address] : links) {
        label->setText(label->text().arg(address.toHtmlEscaped()));
        label->setVisible(!address.isEmpty());
    }
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
