// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_SHAREBARDELEGATE_H
#define LENSTALLY_SHAREBARDELEGATE_H

#include <QStyledItemDelegate>

// Paints a share ("12.50", per cent) as a light bar behind its text: as long as the share
// is of the cell's width, in the palette's highlight colour at low alpha. The text and
// everything else stay as the styled delegate paints them; a cell whose text is no
// number gets no bar.
class ShareBarDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // Wide enough for twice "100.00", so that a column sized to its contents leaves the
    // bars room to be told apart.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The bar for a share in a cell: share per cent of its width (at least one pixel for
    // a share above 0), inset from its top and bottom; empty for no share or no number.
    static QRect barRect(const QRect& cell, double share);
};

#endif
