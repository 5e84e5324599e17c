#ifndef LENSTALLY_EXPORTER_H
#define LENSTALLY_EXPORTER_H

#include "export/exportsection.h"

#include <QList>

class QIODevice;

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

    QList<ExportSection> sections;
};

#endif
