// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/entryreader.h"

#include "core/cache/readingcache.h"
#include "core/count/countingoptions.h"
#include "core/count/makefilter.h"
#include "core/count/modelfilter.h"
#include "core/count/namelist.h"
#include "core/count/stattable.h"
#include "core/read/logging.h"
#include "core/session/analysisrequest.h"
#include "core/session/analysisresult.h"
#include "core/session/orderedanalysis.h"

#include <QHash>

#include <algorithm>
#include <vector>

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
    estimate35mm = request.estimate35mm;
    valueRules.makerNotes = request.makerNotes;
    valueRules.countIncomplete = request.countIncomplete;
    pairsOnce = request.pairsOnce;
    dateRange = request.hasDateRange();
    takenFrom = request.takenFrom;
    takenUntil = request.takenUntil;
    cacheFile = request.cacheFile;
    extensions = request.extensions();
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
    if (int(kind) < 0 || int(kind) >= StatKindCount || tables[kind])
        return;
    tables[kind] = table;
}

void EntryReader::setJobs(int count)
{
    jobs = count;
}

bool EntryReader::read(const std::function<bool()>& stop)
{
    return cacheFile.isEmpty() ? runFiles(nullptr, stop) : runWithCache(stop);
}

bool EntryReader::runWithCache(const std::function<bool()>& stop)
{
    QStringList warnings;
    std::unique_ptr<ReadingCache> cache = ReadingCache::open(cacheFile, &warnings);
    const bool complete = runFiles(cache.get(), stop);
    if (cache) {
        if (complete)
            cache->finish(files, walkedFolders, extensions);
        else
            cache->flush();
        cache->close();
        warnings += cache->warnings();
    }
    if (result)
        result->cacheWarnings = warnings;
    return complete;
}

void EntryReader::keepPictures()
{
    keepingPictures = true;
    for (StatTable* table : tables) {
        if (table)
            table->trackValues();
    }
}

void EntryReader::apply(int index, PictureOutcome outcome, const PictureValues& values)
{
    const QString& path = files.at(index);
    try {
        if (outcome == PictureOutcome::Counted) {
            addToTables(values, tables);
            if (keepingPictures && result)
                result->countedFiles.push_back(index);
        }
        if (result) {
            result->outcomes.add(outcome);
            if (!values.messages.isEmpty())
                ++result->outcomes.withMessages;
        }
        if (messageSink && !values.messages.isEmpty())
            messageSink(path, messageLines(values));
        if (keepingFileRecords && result)
            result->fileRecords.record(index, outcome, values);
    } catch (...) {
        // An allocation failure while adding: the file still counts as processed.
    }
}

bool EntryReader::runFiles(ReadingCache* cache, const std::function<bool()>& stop)
{
    const QStringList list = files;

    // With pairs counted once, the files of a shot wait until its last file is read; then
    // its first counted RAW file (else its first counted file) is counted, and the other
    // counted ones become pair duplicates. All in list order, whatever the threads.
    struct Waiting
    {
        int index;
        PictureOutcome outcome;
        PictureValues values;
    };
    std::vector<int> shots;
    std::vector<int> filesLeft; // by shot
    QHash<int, std::vector<Waiting>> waiting;
    if (pairsOnce) {
        shots = shotNumbers(list);
        for (int shot : shots) {
            if (size_t(shot) >= filesLeft.size())
                filesLeft.resize(size_t(shot) + 1, 0);
            ++filesLeft[size_t(shot)];
        }
    }
    const auto settle = [&](std::vector<Waiting>& members) {
        const Waiting* chosen = nullptr;
        for (const Waiting& w : members) {
            if (w.outcome != PictureOutcome::Counted)
                continue;
            if (!chosen || (!isRawFile(list[chosen->index]) && isRawFile(list[w.index])))
                chosen = &w;
        }
        for (Waiting& w : members) {
            const PictureOutcome outcome = w.outcome == PictureOutcome::Counted && &w != chosen
                                               ? PictureOutcome::PairDuplicate
                                               : w.outcome;
            apply(w.index, outcome, w.values);
        }
    };

    int index = 0;
    const bool complete = analyseInOrder(
        list, filters, jobs, stop,
        [&](PictureOutcome outcome, const PictureValues& read) {
            const int at = index++;
            const QString& path = list[at];
            qCDebug(lcReader, "\"%s\" ", qUtf8Printable(path));
            const PictureValues* values = &read;
            PictureValues adjusted;
            // A picture counted by default has all four values: the rules change only the
            // others.
            if (outcome == PictureOutcome::Unusable) {
                adjusted = read;
                outcome = applyValueRules(outcome, valueRules, &adjusted);
                values = &adjusted;
            }
            if (outcome == PictureOutcome::Counted && estimate35mm &&
                values->focalLength35mm == 0.0f && values->focalPlane35mm > 0.0f) {
                if (values != &adjusted)
                    adjusted = read;
                adjusted.focalLength35mm = adjusted.focalPlane35mm;
                adjusted.focal35From = Focal35From::FocalPlane;
                values = &adjusted;
            }
            if (outcome == PictureOutcome::Counted && dateRange &&
                !withinDates(takenOn(values->dateText), takenFrom, takenUntil))
                outcome = PictureOutcome::OutsideDates;
            const int shot = pairsOnce ? shots[size_t(at)] : -1;
            if (shot < 0 || (filesLeft[size_t(shot)] == 1 && !waiting.contains(shot))) {
                apply(at, outcome, *values);
            } else {
                try {
                    std::vector<Waiting>& members = waiting[shot];
                    members.push_back({at, outcome, *values});
                    if (--filesLeft[size_t(shot)] == 0) {
                        settle(members);
                        waiting.remove(shot);
                    }
                } catch (...) {
                }
            }
            progress->fetchAndAddRelaxed(1);
        },
        cache);
    // After a stop, the shots whose other files were never read count what was read.
    std::vector<std::vector<Waiting>*> unsettled;
    for (auto it = waiting.begin(); it != waiting.end(); ++it)
        unsettled.push_back(&it.value());
    std::sort(unsettled.begin(), unsettled.end(),
              [](const auto* a, const auto* b) { return a->front().index < b->front().index; });
    for (std::vector<Waiting>* members : unsettled)
        settle(*members);
    // After a stop too: what was counted so far, with its shares.
    for (StatTable* table : tables) {
        if (table)
            table->computePercents();
    }
    return complete;
}
