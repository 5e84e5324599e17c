#include "analysis/entryreader.h"

#include "analysis/analysisrequest.h"
#include "analysis/analysisresult.h"
#include "analysis/logging.h"
#include "analysis/makefilter.h"
#include "analysis/modelfilter.h"
#include "analysis/namelist.h"
#include "analysis/orderedanalysis.h"
#include "analysis/stattable.h"
#include "analysis/threadsanitizer.h"

EntryReader::EntryReader() : jobs(defaultJobCount()) {}

EntryReader::~EntryReader() = default;

void EntryReader::configure(const AnalysisRequest& request, AnalysisResult* target)
{
    setJobs(request.readingJobs());
    const QStringList makes = parseNameList(request.makeText);
    const QStringList models = parseNameList(request.modelText);
    if (!makes.isEmpty()) {
        makeFilter = std::make_unique<MakeFilter>(makes);
        makeFilter->except = request.exceptMake;
        addFilter(makeFilter.get());
    }
    if (!models.isEmpty()) {
        modelFilter = std::make_unique<ModelFilter>(models);
        modelFilter->except = request.exceptModel;
        addFilter(modelFilter.get());
    }
    result = target;
    for (int kind = 0; kind < StatKindCount; ++kind)
        setTable(StatKind(kind), &target->table(StatKind(kind)));
}

void EntryReader::setMessageSink(std::function<void(const QString&, const QStringList&)> sink)
{
    messageSink = std::move(sink);
}

void EntryReader::setFiles(QAtomicInt* counter, const QStringList& fileList)
{
    progress = counter;
    files = fileList;
    progress->storeRelaxed(0);
}

void EntryReader::addFilter(IFilter* filter)
{
    filters.append(filter);
}

void EntryReader::setTable(StatKind kind, StatTable* table)
{
    if (kind < 0 || kind >= StatKindCount || tables[kind])
        return;
    tables[kind] = table;
}

void EntryReader::setJobs(int count)
{
    jobs = count;
}

bool EntryReader::wait(QDeadlineTimer deadline)
{
    const bool finished = QThread::wait(deadline);
    if (finished)
        tsanAcquire(this);
    return finished;
}

void EntryReader::run()
{
    runFiles();
    tsanRelease(this);
}

void EntryReader::runFiles()
{
    const QStringList list = files;
    int index = 0;
    const bool complete = analyseInOrder(
        list, filters, jobs, [this] { return isInterruptionRequested(); },
        [&](PictureOutcome outcome, const PictureValues& values) {
            const QString& path = list[index++];
            qCDebug(lcReader, "\"%s\" ", qUtf8Printable(path));
            try {
                if (outcome == PictureOutcome::Counted)
                    addToTables(values, tables);
                if (result) {
                    result->outcomes.add(outcome);
                    if (!values.messages.isEmpty())
                        ++result->outcomes.withMessages;
                }
                if (messageSink && !values.messages.isEmpty())
                    messageSink(path, values.messages);
            } catch (...) {
                // An allocation failure while adding: the file still counts as processed.
            }
            progress->fetchAndAddRelaxed(1);
        });
    if (!complete)
        return;
    for (StatTable* table : tables) {
        if (table)
            table->computePercents();
    }
}
