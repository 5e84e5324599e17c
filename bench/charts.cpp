// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's charts and insights cost beside what it already does with a result:
//   bench-charts [PICTURES]
// fills the eight tables as that many pictures (100,000 by default, 3,000 lenses) would,
// then, seven times interleaved, fills sixteen lists as the window does, fills and draws
// the eight charts at 400 x 450 pixels and works out the insights; prints the medians and
// their ratios to the lists.

#include "bench/fakelibrary.h"
#include "core/count/insights.h"
#include "core/count/numberformat.h"
#include "core/session/analysisresult.h"
#include "ui/tablechart.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

void fill(AnalysisResult& result, int pictures)
{
    for (int kind = 0; kind < StatKindCount; ++kind)
        result.table(StatKind(kind)).trackValues();
    std::mt19937 random(20240601);
    for (int i = 0; i < pictures; ++i) {
        const PictureValues v = fakePicture(random);
        addToTables(v, result.tableSet());
    }
    for (int kind = 0; kind < StatKindCount; ++kind) {
        result.table(StatKind(kind)).computePercents();
        result.table(StatKind(kind)).sortByCount();
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double sinceMs(QElapsedTimer& clock)
{
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const int pictures = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    if (pictures <= 0) {
        std::fprintf(stderr, "usage: bench-charts [PICTURES]\n");
        return 2;
    }
    AnalysisResult result;
    fill(result, pictures);
    std::vector<double> lists, chartFill, chartPaint, insights;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer clock;
        clock.start();
        for (int kind = 0; kind < StatKindCount; ++kind) {
            for (int tree = 0; tree < 2; ++tree) {
                QTreeWidget list;
                list.setColumnCount(3);
                const StatTable& table = result.table(StatKind(kind));
                for (unsigned i = 0; i < table.rowCount(); ++i) {
                    auto* item = new QTreeWidgetItem;
                    item->setText(0, displayLabel(StatKind(kind), table.row(i)->label));
                    item->setText(1, QString::number(table.row(i)->count));
                    item->setText(2, percentText(table.row(i)->percent));
                    list.addTopLevelItem(item);
                }
            }
        }
        lists.push_back(sinceMs(clock));
        double filled = 0, painted = 0;
        for (int kind = 0; kind < StatKindCount; ++kind) {
            TableChart chart{StatKind(kind)};
            chart.resize(400, 450);
            QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
            clock.restart();
            chart.setTable(result.table(StatKind(kind)));
            filled += sinceMs(clock);
            chart.render(&image);
            painted += sinceMs(clock);
        }
        chartFill.push_back(filled);
        chartPaint.push_back(painted);
        clock.restart();
        const Insights answers = computeInsights(trackedReadings(result.tableSet()));
        insights.push_back(sinceMs(clock));
        if (answers.lenses.empty())
            return 1;
    }
    const double base = median(lists);
    std::printf("%d pictures, %u lenses; medians of 7 runs\n", pictures,
                result.table(Lens).rowCount());
    std::printf("16 lists filled   %8.2f ms\n", base);
    for (const auto& [name, times] :
         {std::pair{"8 charts filled  ", &chartFill}, std::pair{"8 charts drawn   ", &chartPaint},
          std::pair{"insights         ", &insights}}) {
        const double m = median(*times);
        std::printf("%s %8.2f ms  %5.2f x the lists\n", name, m, m / base);
    }
    return 0;
}
