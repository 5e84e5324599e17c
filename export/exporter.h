// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXPORTER_H
#define LENSTALLY_EXPORTER_H

#include "export/exportcontext.h"
#include "export/exportsection.h"

#include <QList>

class QIODevice;
class QString;

// Why the last write() failed.
enum class ExportError
{
    None,        // written completely
    OpenFailed,  // the file could not be opened (or created) for writing
    WriteFailed, // opened, but a write, the flush or the final rename failed
};

// The user-facing text of a failed export to target (a file name, or "standard output"):
// "Could not open " or "Could not write " and the target; "" for None.
QString exportErrorMessage(ExportError error, const QString& target);

// Whether write() could open fileName now: OpenFailed where it could not (a missing or
// read-only folder, a folder of that name, a device not writable), else None. Leaves the
// target and its folder as they were.
ExportError exportTargetError(const QString& fileName);

// Writes statistics tables, given as titled sections, in one file format.
class Exporter
{
public:
    virtual ~Exporter() = default;

    // Writes every section to the exporter's file, replacing it only when the whole
    // export succeeded; false when the file cannot be opened or any write fails.
    virtual bool write() = 0;

    // Writes every section to an open device; false when any write fails.
    virtual bool writeTo(QIODevice* device) = 0;

    // What made the last write() fail; None after a success or before any write.
    ExportError error() const { return lastError; }

    QList<ExportSection> sections;
    // The folder, date, settings and outcomes of the analysis; the tab-separated text and
    // the ".htm" page do not write them.
    ExportContext context;

protected:
    // What write() does for a file name: writeTo() into a temporary file beside it, which
    // takes the name only when everything was written, and lastError set to the outcome.
    // An existing file stays as it was when the export fails; no temporary file is left.
    // An existing device or FIFO is written in place, never replaced.
    bool saveAs(const QString& fileName);

    ExportError lastError = ExportError::None;
};

#endif
