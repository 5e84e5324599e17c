// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_SHAREBARDELEGATE_H
#define LENSTALLY_SHAREBARDELEGATE_H

#include <QStyledItemDelegate>

// Paints a share ("12.50", per cent) as a bar in the palette's highlight colour with the
// number right-aligned beside it, so that shares compare at a glance. The bar is scaled
// to the largest share of its list (LargestShareRole on the cell; 100 when unset), so the
// largest row fills the room left of the number. A cell whose text is no number gets no
// bar.
class ShareBarDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The largest share of the cell's list, as a double.
    static constexpr int LargestShareRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The number's room plus one and a half times as much for the bar.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The bar for a share of largest in the room for it: as long as share is of largest
    // (at least one pixel for a share above 0), inset from its top and bottom; empty for
    // no share.
    static QRect barRect(const QRect& room, double share, double largest);
};

#endif
