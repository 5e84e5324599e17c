#include "analysis/entryreader.h"

#include "analysis/logging.h"
#include "analysis/stattable.h"

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

void EntryReader::run()
{
    const QStringList list = files;
    for (const QString& path : list) {
        if (isInterruptionRequested())
            return;
        qCDebug(lcReader) << path;
        try {
            PictureValues values;
            if (analyseFile(path, filters, &values) == PictureOutcome::Counted)
                addToTables(values, tables);
        } catch (...) {
            // An allocation failure while adding: the file still counts as processed.
        }
        progress->fetchAndAddRelaxed(1);
    }
    for (StatTable* table : tables) {
        if (table)
            table->computePercents();
    }
}
