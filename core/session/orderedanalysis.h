// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ORDEREDANALYSIS_H
#define LENSTALLY_ORDEREDANALYSIS_H

#include "core/count/tally.h"

#include <QStringList>
#include <QVector>

#include <functional>

class IFilter;
class ReadingCache;

// The number of reading threads used when none is chosen: the cores, at most 8.
int defaultJobCount();

// Analyses the files on `jobs` threads, the calling one included, and hands every
// outcome to `consume` on the calling thread, in list order, one file after the other.
// Asks `stop` (on the calling thread) before handing over each file, before each file
// it reads and while it waits; returns false when it stopped early.
// At most a few batches of files per thread are in flight at any time. With a cache, the
// files it holds unchanged are taken from it rather than read.
bool analyseInOrder(const QStringList& files, const QVector<IFilter*>& filters, int jobs,
                    const std::function<bool()>& stop,
                    const std::function<void(PictureOutcome, const PictureValues&)>& consume,
                    ReadingCache* cache = nullptr);

#endif
