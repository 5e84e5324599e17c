// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/selectionbar.h"

#include "core/count/selection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

SelectionBar::SelectionBar(QWidget* parent) : QWidget(parent)
{
    line = new QLabel(this);
    line->setObjectName(QStringLiteral("lblSelection"));
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Many chosen rows make a long line: cut at the window's edge, whole in the tool tip.
    line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    showAll = new QPushButton(tr("Show all"), this);
    showAll->setObjectName(QStringLiteral("btnShowAll"));
    showAll->setToolTip(tr("Show every counted picture again (Escape)"));
    showAll->setWhatsThis(tr("Clears the rows chosen in the tables, so that every table shows "
                             "every counted picture again; Escape does the same"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(line, 1);
    row->addWidget(showAll);
    connect(showAll, &QPushButton::clicked, this, &SelectionBar::showAllRequested);
    hide();
}

void SelectionBar::showSelection(const Selection& selection, int selected, int counted)
{
    if (selection.isEmpty()) {
        line->clear();
        hide();
        return;
    }
    const QLocale numbers;
    line->setText(
        tr("Showing %1 of %2 counted pictures: %3")
            .arg(numbers.toString(selected), numbers.toString(counted), selection.describe()));
    line->setToolTip(line->text());
    show();
}

QString SelectionBar::text() const
{
    return line->text();
}
