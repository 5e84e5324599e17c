#include "export/exporter.h"

#include <QSaveFile>

bool Exporter::saveAs(const QString& fileName)
{
    // Binary mode: the formats spell out their own line endings.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        lastError = ExportError::OpenFailed;
        return false;
    }
    // On failure the destructor discards the temporary file.
    const bool written = writeTo(&file) && file.commit();
    lastError = written ? ExportError::None : ExportError::WriteFailed;
    return written;
}
