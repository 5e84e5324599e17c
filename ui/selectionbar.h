// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_SELECTIONBAR_H
#define LENSTALLY_SELECTIONBAR_H

#include <QWidget>

class QLabel;
class QPushButton;
class Selection;

// The line under the outcome line while rows narrow the tables: "Showing 1,234 of 56,789
// counted pictures: Lens is ...; Year is 2023 or 2024" and Show all. Hidden otherwise.
class SelectionBar : public QWidget
{
    Q_OBJECT

public:
    explicit SelectionBar(QWidget* parent = nullptr);

    // Says how many of the counted pictures the selection shows; hides for an empty one.
    void showSelection(const Selection& selection, int selected, int counted);
    // The line as shown, for the tests and the outcome's tool tip.
    QString text() const;

signals:
    // Show all was clicked.
    void showAllRequested();

private:
    QLabel* line;
    QPushButton* showAll;
};

#endif
