#ifndef LENSTALLY_ORDEREDANALYSIS_H
#define LENSTALLY_ORDEREDANALYSIS_H

#include "analysis/pictureanalysis.h"

#include <QStringList>
#include <QVector>

#include <functional>

class IFilter;

// The number of reading threads used when none is chosen: the cores, at most 8.
int defaultJobCount();

// Analyses the files on `jobs` threads (1: on the calling thread alone) and hands every
// outcome to `consume` on the calling thread, in list order, one file after the other.
// Asks `stop` before handing over each file; returns false when it stopped early.
// At most a few files per thread are in flight at any time.
bool analyseInOrder(const QStringList& files, const QVector<IFilter*>& filters, int jobs,
                    const std::function<bool()>& stop,
                    const std::function<void(PictureOutcome, const PictureValues&)>& consume);

#endif
