// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exporter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString exportErrorMessage(ExportError error, const QString& target)
{
    switch (error) {
    case ExportError::None:
        break;
    case ExportError::OpenFailed:
        return QStringLiteral("Could not open ") + target;
    case ExportError::WriteFailed:
        return QStringLiteral("Could not write ") + target;
    }
    return QString();
}

namespace {

// A device or a FIFO, which saveAs() writes in place.
bool isWrittenInPlace(const QFileInfo& target)
{
    return target.exists() && !target.isFile() && !target.isDir();
}

} // namespace

ExportError exportTargetError(const QString& fileName)
{
    const QFileInfo target(fileName);
    // Opening a FIFO would wait for its reader; its permission is what can be known now.
    if (isWrittenInPlace(target))
        return target.isWritable() ? ExportError::None : ExportError::OpenFailed;
    // The same opening as saveAs(): its temporary file goes again when cancelled.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return ExportError::OpenFailed;
    file.cancelWriting();
    return ExportError::None;
}

bool Exporter::saveAs(const QString& fileName)
{
    // A device or a FIFO (/dev/null, /dev/stdout into a pipe) is written in place: the
    // atomic rename would replace the node itself by an ordinary file.
    if (isWrittenInPlace(QFileInfo(fileName))) {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            lastError = ExportError::OpenFailed;
            return false;
        }
        const bool written = writeTo(&file) && file.error() == QFileDevice::NoError;
        file.close();
        lastError = written && file.error() == QFileDevice::NoError ? ExportError::None
                                                                    : ExportError::WriteFailed;
        return lastError == ExportError::None;
    }
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
