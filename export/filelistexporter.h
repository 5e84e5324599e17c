// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FILELISTEXPORTER_H
#define LENSTALLY_FILELISTEXPORTER_H

#include "export/exporter.h"

#include <QString>
#include <QStringList>

class FileRecords;

// The list behind every number: one CSV row per recorded file, in file-list order, as
// CSVExporter quotes fields (RFC 4180, CR LF, no byte-order mark, formulas guarded), under
// the header "path,outcome,make,model,lens,focal_length,focal_length_35mm,
// focal_length_35mm_from,f_number,iso,exposure_time,taken,messages". Paths are shown with
// bytes that are not UTF-8 as U+FFFD. The sections are not written.
class FileListExporter : public Exporter
{
public:
    // Touches no file until write(); paths and records must outlive the exporter.
    FileListExporter(const QString& fileName, const QStringList& paths, const FileRecords& records);

    bool write() override;
    bool writeTo(QIODevice* device) override;

private:
    QString fileName;
    const QStringList& paths;
    const FileRecords& records;
};

#endif
