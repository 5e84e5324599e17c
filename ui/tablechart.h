// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TABLECHART_H
#define LENSTALLY_TABLECHART_H

#include "core/count/chartscale.h"
#include "core/count/statkind.h"

#include <QString>
#include <QWidget>

#include <vector>

class StatTable;

// The chart of one table beside its lists: bars of the picture count per value. Numeric
// values stand where they lie on a logarithmic axis, the unknown row apart at the right;
// years in order; cameras and lenses as ranked bars, as many as fit. Drawn in the
// window's palette.
class TableChart : public QWidget
{
    Q_OBJECT

public:
    explicit TableChart(StatKind kind, QWidget* parent = nullptr);

    // Copies what the chart shows from the table (any order); empty for no rows.
    void setTable(const StatTable& table);
    void clear();
    // The number of bars it has to draw, the unknown row included.
    int barCount() const { return int(bars.size()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Bar
    {
        QString label;
        qint64 key = 0;
        int count = 0;
        float percent = 0;
    };
    void paintColumns(QPainter& painter, const QRect& area);
    void paintRanked(QPainter& painter, const QRect& area);
    // The bar under a point, for its tool tip; -1 for none.
    int barAt(const QPoint& point) const;

    StatKind kind;
    std::vector<Bar> bars; // in the chart's order, the unknown row last
    LogAxis axis;
    bool hasAxis = false;
    int largest = 0;
    std::vector<QRect> barRects; // where the last paint put each bar
};

#endif
