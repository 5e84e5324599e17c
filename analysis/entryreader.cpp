#include "analysis/entryreader.h"

#include "analysis/logging.h"
#include "analysis/orderedanalysis.h"
#include "analysis/stattable.h"
#include "analysis/threadsanitizer.h"

EntryReader::EntryReader() : jobs(defaultJobCount()) {}

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
            qCDebug(lcReader, "\"%s\" ", qUtf8Printable(list[index++]));
            try {
                if (outcome == PictureOutcome::Counted)
                    addToTables(values, tables);
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
