// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/filelistexporter.h"

#include "core/base/fsname.h"
#include "core/session/analysisresult.h"
#include "export/csvexporter.h"

#include <QIODevice>

#include <algorithm>

FileListExporter::FileListExporter(const QString& fileName, const QStringList& paths,
                                   const FileRecords& records)
    : fileName(fileName), paths(paths), records(records)
{
}

bool FileListExporter::write()
{
    return saveAs(fileName);
}

bool FileListExporter::writeTo(QIODevice* device)
{
    QByteArray bytes("path,outcome,make,model,lens,focal_length,focal_length_35mm,"
                     "focal_length_35mm_from,f_number,iso,exposure_time,taken,messages");
    bytes += selectedFiles ? ",selected\r\n" : "\r\n";
    const int count = std::min(int(paths.size()), records.size());
    for (int i = 0; i < count; ++i) {
        if (!records.recorded(i))
            continue;
        const FileLabels l = records.labels(i);
        QString line = CSVExporter::field(fsname::display(paths[i]));
        for (const QString& text :
             {outcomeText(l.outcome), l.make, l.model, l.lens, l.focalLength, l.focalLength35mm,
              focal35FromText(l.focal35From), l.aperture, l.iso, l.exposureTime, l.taken}) {
            line += QLatin1Char(',');
            line += CSVExporter::field(text);
        }
        line += QLatin1Char(',') + QString::number(l.messages);
        if (selectedFiles) {
            line += QLatin1Char(',');
            if (l.outcome == PictureOutcome::Counted && size_t(i) < selectedFiles->size())
                line += QLatin1Char((*selectedFiles)[size_t(i)] ? '1' : '0');
        }
        line += QLatin1String("\r\n");
        bytes += line.toUtf8();
        // Written as it goes: 100,000 files make some 10 MB of text.
        if (bytes.size() >= (1 << 16)) {
            if (device->write(bytes) != bytes.size())
                return false;
            bytes.clear();
        }
    }
    return device->write(bytes) == bytes.size();
}
