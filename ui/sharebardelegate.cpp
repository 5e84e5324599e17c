// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sharebardelegate.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

QRect ShareBarDelegate::barRect(const QRect& cell, double share)
{
    if (!(share > 0))
        return QRect();
    const QRect inner = cell.adjusted(1, 2, -1, -2);
    const int width = std::max(1, int(std::lround(inner.width() * std::min(share, 100.0) / 100)));
    return QRect(inner.left(), inner.top(), width, inner.height());
}

QSize ShareBarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(
        std::max(size.width(), 2 * option.fontMetrics.horizontalAdvance(QStringLiteral("100.00"))));
    return size;
}

void ShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    bool isNumber = false;
    const double share = index.data(Qt::DisplayRole).toString().toDouble(&isNumber);
    const QRect bar = isNumber ? barRect(option.rect, share) : QRect();
    const bool selected = option.state & QStyle::State_Selected;
    // Under the text; on a selected row the selection is painted over it, so the bar goes on
    // top of that in the selection's text colour instead.
    if (!bar.isEmpty() && !selected) {
        QColor colour = option.palette.color(QPalette::Highlight);
        colour.setAlpha(60);
        painter->fillRect(bar, colour);
    }
    QStyledItemDelegate::paint(painter, option, index);
    if (!bar.isEmpty() && selected) {
        QColor colour = option.palette.color(QPalette::HighlightedText);
        colour.setAlpha(50);
        painter->fillRect(bar, colour);
    }
}
