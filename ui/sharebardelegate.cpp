// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sharebardelegate.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const int margin = 4;

// The width the number takes at the cell's right: the widest share, "100.00", and a margin
// either side.
int numberWidth(const QFontMetrics& metrics)
{
    return metrics.horizontalAdvance(QStringLiteral("100.00")) + 2 * margin;
}

} // namespace

QRect ShareBarDelegate::barRect(const QRect& room, double share, double largest)
{
    if (!(share > 0) || !(largest > 0))
        return QRect();
    const QRect inner = room.adjusted(0, 3, 0, -3);
    const double part = std::min(share / largest, 1.0);
    const int width = std::max(1, int(std::lround(inner.width() * part)));
    return QRect(inner.left(), inner.top(), width, inner.height());
}

QSize ShareBarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(std::max(size.width(), 5 * numberWidth(option.fontMetrics) / 2));
    return size;
}

void ShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    // The background and selection as the style draws them; the text goes beside the bar.
    opt.text.clear();
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const int textWidth = numberWidth(opt.fontMetrics);
    bool isNumber = false;
    const double share = text.toDouble(&isNumber);
    const QVariant largest = index.data(LargestShareRole);
    const QRect room = opt.rect.adjusted(margin, 0, -textWidth, 0);
    const QRect bar =
        isNumber ? barRect(room, share, largest.isValid() ? largest.toDouble() : 100) : QRect();
    if (!bar.isEmpty()) {
        painter->fillRect(
            bar, opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight));
    }
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(opt.rect.adjusted(0, 0, -margin, 0), Qt::AlignRight | Qt::AlignVCenter, text);
    painter->restore();
}
