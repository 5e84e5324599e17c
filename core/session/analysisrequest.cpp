// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/analysisrequest.h"

#include "core/base/fsname.h"
#include "core/session/orderedanalysis.h"
#include "core/walk/filecollector.h"

#include <QFileInfo>

#include <dirent.h>

QStringList AnalysisRequest::extensions() const
{
    return pictureExtensions(jpeg, tiff, raw, heif);
}

QStringList AnalysisRequest::folders() const
{
    return QStringList{folder} + moreFolders;
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

QString refusedFolder(const AnalysisRequest& request, Refusal refusal)
{
    for (const QString& folder : request.folders()) {
        if (refusal == Refusal::InvalidFolder && !QFileInfo(folder).isDir())
            return folder;
        if (refusal == Refusal::UnreadableFolder) {
            DIR* dir = ::opendir(fsname::encode(collectRoot(folder)).constData());
            if (!dir)
                return folder;
            ::closedir(dir);
        }
    }
    return request.folder;
}

Refusal listRequestFiles(const AnalysisRequest& request, FileListing* listing,
                         const WalkWatch* watch)
{
    *listing = FileListing();
    if (request.folder.trimmed().isEmpty())
        return Refusal::NoFolder;
    // Every folder is checked before any is walked: a typing error costs no long walk.
    const QStringList folders = request.folders();
    for (const QString& folder : folders) {
        if (!QFileInfo(folder).isDir())
            return Refusal::InvalidFolder;
    }
    FolderWalk walk = collectFolders(folders, request.extensions(), WalkExclusion(request.exclude),
                                     request.readingJobs(), watch);
    // A chosen folder that could not be listed refuses the run; one below it is a warning.
    for (const QString& folder : folders) {
        if (walk.unlisted.contains(collectRoot(folder)))
            return Refusal::UnreadableFolder;
    }
    listing->files = std::move(walk.files);
    listing->walkedFolders = std::move(walk.walked);
    listing->unlistedFolders = std::move(walk.unlisted);
    listing->leftOutFolders = walk.leftOutFolders;
    listing->leftOutFiles = walk.leftOutFiles;
    return listing->files.isEmpty() ? Refusal::NoFiles : Refusal::None;
}
