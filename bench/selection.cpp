// SPDX-License-Identifier: GPL-3.0-or-later
// The time a drill-down takes to re-tabulate every table:
//   bench-selection [PICTURES]
// counts that many made-up pictures (default 200,000) into the eight tables, keeping each
// picture's row, then times, side by side, counting them from their values again (what a
// new analysis of the read values would cost) and re-tabulating the tables for a few
// selections, as the window does on every change of selection. Medians of nine runs.

#include "core/count/selection.h"
#include "bench/fakelibrary.h"
#include "core/count/tally.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The label of a table's row with the most pictures, then of the next ones.
QStringList topLabels(const StatTable& table, int n)
{
    QStringList labels;
    for (unsigned i = 0; i < table.rowCount() && labels.size() < n; ++i)
        labels.append(table.row(i)->label);
    return labels;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const int pictures = arguments.isEmpty() ? 200000 : arguments[0].toInt();
    if (pictures <= 0) {
        std::fprintf(stderr, "usage: bench-selection [PICTURES]\n");
        return 2;
    }
    std::mt19937 random(20240601);
    std::vector<PictureValues> values;
    values.reserve(size_t(pictures));
    for (int i = 0; i < pictures; ++i)
        values.push_back(fakePicture(random));

    std::array<StatTable, StatKindCount> tables;
    TableSet fill{};
    ConstTableSet read{};
    for (int k = 0; k < StatKindCount; ++k) {
        tables[size_t(k)].trackValues();
        fill[size_t(k)] = &tables[size_t(k)];
        read[size_t(k)] = &tables[size_t(k)];
    }
    for (const PictureValues& v : values)
        addToTables(v, fill);
    for (StatTable& t : tables)
        t.sortByCount();

    Selection lens;
    lens.setLabels(Lens, topLabels(tables[Lens], 1));
    Selection lensYears = lens;
    lensYears.setLabels(Year, topLabels(tables[Year], 2));
    Selection wide = lensYears;
    wide.setLabels(Camera, topLabels(tables[Camera], 20));
    wide.setLabels(Aperture, topLabels(tables[Aperture], 5));
    const struct
    {
        const char* name;
        Selection selection;
    } cases[] = {{"no selection", Selection()},
                 {"one lens", lens},
                 {"lens, two years", lensYears},
                 {"4 tables, 28 rows", wide}};

    std::vector<double> recount;
    std::vector<std::vector<double>> times(std::size(cases));
    std::vector<int> selected(std::size(cases));
    for (int run = 0; run < 9; ++run) {
        // Counting again from the values, the way the tables were filled.
        std::array<StatTable, StatKindCount> again;
        TableSet againSet{};
        for (int k = 0; k < StatKindCount; ++k)
            againSet[size_t(k)] = &again[size_t(k)];
        QElapsedTimer clock;
        clock.start();
        for (const PictureValues& v : values)
            addToTables(v, againSet);
        recount.push_back(double(clock.nsecsElapsed()) / 1e6);
        for (size_t c = 0; c < std::size(cases); ++c) {
            std::array<StatTable, StatKindCount> out;
            clock.restart();
            const SelectedPictures chosen = selectPictures(read, cases[c].selection);
            tabulateSelection(read, cases[c].selection, chosen, out, true);
            times[c].push_back(double(clock.nsecsElapsed()) / 1e6);
            selected[c] = chosen.selected;
        }
    }
    const double base = median(recount);
    std::printf("%d pictures; counting from the values again: %.2f ms\n", pictures, base);
    for (size_t c = 0; c < std::size(cases); ++c) {
        const double t = median(times[c]);
        std::printf("%-18s %7d selected  %7.2f ms  (%.3f of counting again)\n", cases[c].name,
                    selected[c], t, t / base);
    }
    return 0;
}
