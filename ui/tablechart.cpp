// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tablechart.h"

#include <QLocale>

#include "core/count/numberformat.h"
#include "core/count/stattable.h"
#include "core/session/analysisresult.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr double unknownShare = 0.12; // of the plot's width, right, for the unknown row

QString picturesText(int count)
{
    return count == 1 ? QObject::tr("1 picture")
                      : QObject::tr("%1 pictures").arg(QLocale().toString(count));
}

} // namespace

TableChart::TableChart(StatKind kind, QWidget* parent) : QWidget(parent), kind(kind)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setWhatsThis(tr("The pictures of each row as a bar. Focal lengths, apertures, ISO speeds "
                    "and exposure times stand where they lie on a logarithmic scale, so that "
                    "24, 50 and 200 mm are as far apart as a photographer sees them; "
                    "\"Unknown\" stands apart on the right. Years are in order; cameras and "
                    "lenses are ranked, most pictures first. Hover a bar for its numbers."));
}

void TableChart::clear()
{
    bars.clear();
    barRects.clear();
    hasAxis = false;
    largest = 0;
    update();
}

void TableChart::setTable(const StatTable& table)
{
    bars.clear();
    largest = 0;
    for (const unsigned i : chartOrder(table, kind)) {
        const StatRow& row = *table.row(i);
        bars.push_back({displayLabel(kind, row.label), row.key, row.count, row.percent});
        largest = std::max(largest, row.count);
    }
    hasAxis = chartForm(kind) == ChartForm::LogAxis && tableAxis(table, &axis);
    barRects.assign(bars.size(), QRect());
    update();
}

QSize TableChart::sizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 12);
}

QSize TableChart::minimumSizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 24, fontMetrics().height() * 6);
}

void TableChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const int margin = fontMetrics().averageCharWidth();
    const QRect area = rect().adjusted(margin, margin / 2, -margin, -margin / 2);
    if (bars.empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(area, Qt::AlignCenter, tr("No pictures"));
        return;
    }
    if (chartForm(kind) == ChartForm::Ranked)
        paintRanked(painter, area);
    else
        paintColumns(painter, area);
}

void TableChart::paintColumns(QPainter& painter, const QRect& area)
{
    const QFontMetrics fm = fontMetrics();
    const QColor text = palette().color(QPalette::Text);
    QColor grid = palette().color(QPalette::Text);
    grid.setAlphaF(0.18);
    const QColor bar = palette().color(QPalette::Highlight);
    // The largest count over the plot, the axis labels below it.
    painter.setPen(text);
    painter.drawText(area.left(), area.top() + fm.ascent(), picturesText(largest));
    const QRect plot = area.adjusted(0, fm.height() + 2, 0, -(fm.height() + 4));
    const bool unknown = !bars.empty() && bars.back().key <= 0;
    // The unknown row's room holds its label whole.
    const int unknownWidth = std::max(
        int(plot.width() * unknownShare),
        fm.horizontalAdvance(unknown ? bars.back().label : QString()) + fm.averageCharWidth() * 2);
    const int knownWidth = unknown && bars.size() > 1 ? plot.width() - unknownWidth : plot.width();
    painter.setPen(grid);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    const int labelTop = plot.bottom() + 3;
    // Wide where there are few values, thin where there are many.
    const int columnWidth = std::clamp(knownWidth / std::max<int>(3 * int(bars.size()), 1), 2,
                                       fm.averageCharWidth() * 2);
    const auto height = [&](int count) {
        return std::max(1, int(double(count) / largest * plot.height() + 0.5));
    };
    const auto drawBar = [&](size_t i, int centre, int width) {
        const int h = height(bars[i].count);
        const QRect r(centre - width / 2, plot.bottom() - h + 1, width, h);
        painter.fillRect(r, bar);
        barRects[i] = r;
    };
    const auto drawLabel = [&](const QString& label, int centre) {
        const int w = fm.horizontalAdvance(label);
        painter.setPen(text);
        painter.drawText(QRect(centre - w / 2 - 1, labelTop, w + 2, fm.height()), Qt::AlignCenter,
                         label);
    };
    if (chartForm(kind) == ChartForm::LogAxis) {
        if (hasAxis) {
            const int widest = fm.horizontalAdvance(kind == ExposureTime ? QStringLiteral("1/8000")
                                                                         : QStringLiteral("1000"));
            const double gap = double(widest + fm.averageCharWidth() * 2) / knownWidth;
            for (const qint64 key : axisTicks(kind, axis, gap)) {
                const int x = plot.left() + int(axis.position(key) * knownWidth);
                painter.setPen(grid);
                painter.drawLine(x, plot.top(), x, plot.bottom());
                drawLabel(tickLabel(kind, key), x);
            }
        }
        for (size_t i = 0; i < bars.size(); ++i) {
            if (bars[i].key > 0)
                drawBar(i, plot.left() + int(axis.position(bars[i].key) * knownWidth), columnWidth);
        }
        if (unknown && bars.size() > 1) {
            painter.setPen(grid);
            painter.drawLine(plot.left() + knownWidth, plot.top(), plot.left() + knownWidth,
                             plot.bottom());
        }
        if (unknown) {
            const int centre = bars.size() > 1
                                   ? plot.left() + knownWidth + (plot.width() - knownWidth) / 2
                                   : plot.center().x();
            drawBar(bars.size() - 1, centre, columnWidth * 3);
            drawLabel(fm.elidedText(bars.back().label, Qt::ElideRight,
                                    std::max(plot.width() - knownWidth, fm.height() * 3)),
                      centre);
        }
        return;
    }
    // In order, one slot each; labels where they do not crowd the one before.
    const double slot = double(plot.width()) / double(bars.size());
    const int width = std::max(1, std::min(int(slot * 0.7), fm.averageCharWidth() * 4));
    int lastLabelEnd = plot.left() - fm.averageCharWidth();
    for (size_t i = 0; i < bars.size(); ++i) {
        const int centre = plot.left() + int(slot * (double(i) + 0.5));
        drawBar(i, centre, width);
        const int w = fm.horizontalAdvance(bars[i].label);
        if (centre - w / 2 > lastLabelEnd + fm.averageCharWidth()) {
            drawLabel(bars[i].label, centre);
            lastLabelEnd = centre + w / 2;
        }
    }
}

void TableChart::paintRanked(QPainter& painter, const QRect& area)
{
    const QFontMetrics fm = fontMetrics();
    const QColor text = palette().color(QPalette::Text);
    const QColor bar = palette().color(QPalette::Highlight);
    const int pitch = fm.height() + fm.height() / 3;
    const int rows = std::max(1, area.height() / pitch);
    int labelWidth = 0;
    for (size_t i = 0; i < bars.size() && int(i) < rows; ++i)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(bars[i].label));
    labelWidth = std::min(labelWidth, area.width() * 2 / 5);
    const int valueWidth = fm.horizontalAdvance(QStringLiteral("100.00 %")) + fm.averageCharWidth();
    const int barLeft = area.left() + labelWidth + fm.averageCharWidth();
    const int barSpan = std::max(1, area.right() - valueWidth - barLeft);
    for (size_t i = 0; i < bars.size(); ++i) {
        if (int(i) >= rows) {
            barRects[i] = QRect();
            continue;
        }
        const int top = area.top() + int(i) * pitch;
        painter.setPen(text);
        painter.drawText(QRect(area.left(), top, labelWidth, pitch),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         fm.elidedText(bars[i].label, Qt::ElideMiddle, labelWidth));
        const int w = std::max(1, int(double(bars[i].count) / largest * barSpan + 0.5));
        const QRect r(barLeft, top + pitch / 6, w, pitch - pitch / 3);
        painter.fillRect(r, bar);
        barRects[i] = r;
        painter.drawText(QRect(r.right() + fm.averageCharWidth() / 2, top, valueWidth, pitch),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         percentText(bars[i].percent) + QStringLiteral(" %"));
    }
}

int TableChart::barAt(const QPoint& point) const
{
    // The nearest bar within a few pixels across, so that a thin column can be hit.
    const int reach = fontMetrics().averageCharWidth() / 2;
    for (size_t i = 0; i < barRects.size(); ++i) {
        const QRect& r = barRects[i];
        if (!r.isNull() && r.adjusted(-reach, -reach, reach, 0).contains(point))
            return int(i);
    }
    return -1;
}

bool TableChart::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int i = barAt(help->pos());
        if (i >= 0) {
            const Bar& b = bars[size_t(i)];
            QToolTip::showText(
                help->globalPos(),
                tr("%1: %2, %3 %").arg(b.label, picturesText(b.count), percentText(b.percent)),
                this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}
