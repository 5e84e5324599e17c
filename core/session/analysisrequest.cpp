// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/analysisrequest.h"

#include "core/session/orderedanalysis.h"
#include "core/walk/filecollector.h"

#include <QFileInfo>

QStringList AnalysisRequest::extensions() const
{
    return pictureExtensions(jpeg, tiff, raw, heif);
}

int AnalysisRequest::readingJobs() const
{
    return jobs > 0 ? jobs : defaultJobCount();
}

QString refusalMessage(Refusal refusal)
{
    switch (refusal) {
    case Refusal::None:
        break;
    case Refusal::NoFolder:
        return QStringLiteral("No folder was specified");
    case Refusal::InvalidFolder:
        return QStringLiteral("Invalid Folder");
    case Refusal::UnreadableFolder:
        return QStringLiteral("Could not read the folder");
    case Refusal::NoFiles:
        return QStringLiteral("No files were found");
    }
    return QString();
}

QString refusalLine(Refusal refusal, const QString& folder)
{
    if (refusal == Refusal::InvalidFolder || refusal == Refusal::UnreadableFolder)
        return refusalMessage(refusal) + QStringLiteral(": ") + folder;
    return refusalMessage(refusal);
}

Refusal listRequestFiles(const AnalysisRequest& request, FileListing* listing,
                         const WalkWatch* watch)
{
    *listing = FileListing();
    if (request.folder.trimmed().isEmpty())
        return Refusal::NoFolder;
    const QFileInfo info(request.folder);
    if (!info.isDir())
        return Refusal::InvalidFolder;
    QStringList unlisted;
    listing->files = collectFiles(request.folder, request.extensions(), request.readingJobs(),
                                  &unlisted, watch, &listing->walkedFolders);
    // The chosen folder itself comes first when it could not be listed.
    if (!unlisted.isEmpty() && unlisted.first() == collectRoot(request.folder))
        return Refusal::UnreadableFolder;
    listing->unlistedFolders = unlisted;
    return listing->files.isEmpty() ? Refusal::NoFiles : Refusal::None;
}
