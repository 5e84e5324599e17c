// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FILELISTEXPORTER_H
#define LENSTALLY_FILELISTEXPORTER_H

#include "export/exporter.h"

#include <QString>
#include <QStringList>

#include <vector>

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

    // Adds a column "selected": 1 or 0 for each counted file by file-list index, empty for
    // the others; the vector must outlive the exporter.
    void setSelectedFiles(const std::vector<char>* selected) { selectedFiles = selected; }

    bool write() override;
    bool writeTo(QIODevice* device) override;

private:
    QString fileName;
    const QStringList& paths;
    const FileRecords& records;
    const std::vector<char>* selectedFiles = nullptr;
};

#endif
