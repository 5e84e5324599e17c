// SPDX-License-Identifier: GPL-3.0-or-later
// The time each export format takes for the tables of 100,000 pictures:
//   bench-exports [PICTURES] [--write DIR]
// fills the eight tables as that many pictures from a few thousand cameras and lenses
// would, then writes every format into memory and into a file, five times each, and
// prints the median per format, and of working out the insights (coverage and lens usage)
// from the tables' tracked rows. --write also leaves one file per format in DIR.

#include "bench/fakelibrary.h"
#include "core/count/insights.h"
#include "core/session/analysisresult.h"
#include "export/resultexport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void fill(AnalysisResult& result, int pictures)
{
    std::mt19937 random(20240601);
    // As the window keeps them, so that the insights can be worked out.
    for (int kind = 0; kind < StatKindCount; ++kind)
        result.table(StatKind(kind)).trackValues();
    for (int i = 0; i < pictures; ++i) {
        const PictureValues v = fakePicture(random);
        addToTables(v, result.tableSet());
        result.outcomes.add(PictureOutcome::Counted);
    }
    for (int kind = 0; kind < StatKindCount; ++kind) {
        StatTable& t = result.table(StatKind(kind));
        t.computePercents();
        showInBothOrders(
            t, [](const StatTable&) {}, [](const StatTable&) {});
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString writeDir;
    const qsizetype write = arguments.indexOf(QStringLiteral("--write"));
    if (write >= 0 && write + 1 < arguments.size()) {
        writeDir = arguments[write + 1];
        arguments.remove(write, 2);
    }
    const int pictures = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    if (pictures <= 0) {
        std::fprintf(stderr, "usage: bench-exports [PICTURES] [--write DIR]\n");
        return 2;
    }

    AnalysisResult result;
    fill(result, pictures);
    AnalysisRequest request;
    request.folder = QStringLiteral("/pictures/<all> & \"more\"");
    request.jpeg = true;
    request.makeText = QStringLiteral("Make 1; Make 2");
    request.exceptMake = true;
    ExportContext context =
        makeExportContext(request, result.outcomes, QDateTime::currentDateTime());
    std::vector<double> insightTimes;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        context.insights = computeInsights(trackedReadings(result.tableSet()));
        insightTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("%d pictures; rows per table:", pictures);
    for (int kind = 0; kind < StatKindCount; ++kind)
        std::printf(" %u", result.table(StatKind(kind)).rowCount());
    std::printf("\n");

    std::printf("insights    %zu lenses, %zu ranges  %7.2f ms\n", context.insights.lenses.size(),
                context.insights.coverage.size(), median(insightTimes));

    QTemporaryDir dir;
    const struct
    {
        ExportFormat format;
        const char* name;
    } formats[] = {{ExportFormat::Tab, "stats.txt"},
                   {ExportFormat::Html, "stats.htm"},
                   {ExportFormat::Page, "stats.html"},
                   {ExportFormat::Csv, "stats.csv"},
                   {ExportFormat::Json, "stats.json"}};
    for (const auto& f : formats) {
        const QString file = QDir(writeDir.isEmpty() ? dir.path() : writeDir).filePath(f.name);
        const std::unique_ptr<Exporter> exporter = makeExporter(f.format, file);
        exporter->sections = exportSections(f.format, result.tableSet());
        exporter->context = context;
        std::vector<double> memory;
        std::vector<double> disk;
        qint64 size = 0;
        for (int run = 0; run < 5; ++run) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QElapsedTimer clock;
            clock.start();
            if (!exporter->writeTo(&buffer))
                return 1;
            memory.push_back(double(clock.nsecsElapsed()) / 1e6);
            size = buffer.size();
            clock.restart();
            if (!exporter->write())
                return 1;
            disk.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::printf("%-11s %9lld bytes  %7.2f ms into memory  %7.2f ms into a file\n", f.name, size,
                    median(memory), median(disk));
    }
    return 0;
}
