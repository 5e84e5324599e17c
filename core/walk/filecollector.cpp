// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/walk/filecollector.h"

#include "core/base/workerthreads.h"

#include "core/base/fsname.h"
#include "core/walk/exclusion.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

QStringList pictureExtensions(bool jpeg, bool tiff, bool raw, bool heif)
{
    QStringList list;
    if (jpeg)
        list << QStringLiteral("jpg") << QStringLiteral("jpeg");
    if (tiff)
        list << QStringLiteral("tif") << QStringLiteral("tiff");
    if (raw) {
        list << QStringLiteral("3rf") << QStringLiteral("ari") << QStringLiteral("arw")
             << QStringLiteral("srf") << QStringLiteral("sr2") << QStringLiteral("bay")
             << QStringLiteral("crw") << QStringLiteral("cr2") << QStringLiteral("cap")
             << QStringLiteral("iiq") << QStringLiteral("eip") << QStringLiteral("dcs")
             << QStringLiteral("dcr") << QStringLiteral("drf") << QStringLiteral("k25")
             << QStringLiteral("kdc") << QStringLiteral("dng") << QStringLiteral("erf")
             << QStringLiteral("fff") << QStringLiteral("mef") << QStringLiteral("mos")
             << QStringLiteral("mrw") << QStringLiteral("nef") << QStringLiteral("nrw")
             << QStringLiteral("orf") << QStringLiteral("ptx") << QStringLiteral("pef")
             << QStringLiteral("pxn") << QStringLiteral("r3d") << QStringLiteral("raf")
             << QStringLiteral("raw") << QStringLiteral("rw2") << QStringLiteral("rwl")
             << QStringLiteral("rwz") << QStringLiteral("x3f") << QStringLiteral("cr3");
    }
    if (heif) {
        list << QStringLiteral("heic") << QStringLiteral("heif") << QStringLiteral("hif")
             << QStringLiteral("avif");
    }
    return list;
}

namespace {

// Case folding is what a case-insensitive QString::compare applies.
QSet<QString> foldedSet(const QStringList& extensions)
{
    QSet<QString> folded;
    for (const QString& ext : extensions)
        folded.insert(ext.toCaseFolded());
    return folded;
}

// The text after the last dot of a file name, as QFileInfo::suffix() gives it.
QString suffixOf(const QString& name)
{
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

// One folder of the walk, once read: its matching files, and its subfolders to walk.
struct Folder
{
    QByteArray nativePath;
    QString path;
    bool descend = true;   // false for a linked folder: only its own files are listed
    bool unlisted = false; // the folder could not be opened
    bool listed = false;   // the folder was read to its end
    QByteArray relative;   // below the root ("a/b"); kept only when patterns leave things out
    int leftOutFolders = 0;
    int leftOutFiles = 0;
    QStringList files;
    std::vector<char> viaLink;                       // per file: reached through a symbolic link
    std::vector<std::unique_ptr<Folder>> subfolders; // in the order the listing gave them
};

// One pass over a folder: its matching files, sorted by name ignoring case (as QDir
// lists them by default), and, when it is descended into, its non-hidden subfolders,
// not yet read. The entry types come from the listing itself wherever the file system
// gives them: a stat() only for links and unknown types.
// With an exclusion, the entries it names are left out and counted.
void readFolder(Folder* folder, const QSet<QString>& folded, const WalkExclusion* exclusion)
{
    DIR* dir = ::opendir(folder->nativePath.constData());
    if (!dir) {
        folder->unlisted = true;
        return;
    }
    // Each matching name with its sort key, lowered once rather than in every comparison.
    struct Match
    {
        QString key;
        QString name;
        bool viaLink;
    };
    std::vector<Match> matching;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool isFile = entry->d_type == DT_REG;
        bool isFolder = entry->d_type == DT_DIR;
        bool linked = entry->d_type == DT_LNK;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            const QByteArray full = folder->nativePath + '/' + name;
            struct stat info;
            if (::stat(full.constData(), &info) != 0)
                continue; // a dangling link: neither file nor folder
            isFile = S_ISREG(info.st_mode);
            isFolder = S_ISDIR(info.st_mode);
            if (entry->d_type == DT_UNKNOWN)
                linked = ::lstat(full.constData(), &info) == 0 && S_ISLNK(info.st_mode);
        }
        const auto leftOut = [&] {
            if (!exclusion)
                return false;
            const QByteArray relative =
                folder->relative.isEmpty() ? QByteArray(name) : folder->relative + '/' + name;
            return exclusion->excludes(relative, name);
        };
        if (isFile) {
            const QString fileName = fsname::decode(name);
            if (folded.contains(suffixOf(fileName).toCaseFolded())) {
                if (leftOut())
                    ++folder->leftOutFiles;
                else
                    matching.push_back({fileName.toLower(), fileName, linked || !folder->descend});
            }
        } else if (isFolder && folder->descend && name[0] != '.') {
            if (leftOut()) {
                ++folder->leftOutFolders;
                continue;
            }
            auto sub = std::make_unique<Folder>();
            if (exclusion)
                sub->relative =
                    folder->relative.isEmpty() ? QByteArray(name) : folder->relative + '/' + name;
            sub->path = folder->path + QLatin1Char('/') + fsname::decode(name);
            sub->nativePath = folder->nativePath + '/' + name;
            sub->descend = !linked;
            folder->subfolders.push_back(std::move(sub));
        }
    }
    ::closedir(dir);
    folder->listed = true;
    std::sort(matching.begin(), matching.end(), [](const Match& a, const Match& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    const QString prefix = folder->path + QLatin1Char('/');
    folder->files.reserve(qsizetype(matching.size()));
    for (const Match& match : matching) {
        folder->files.append(prefix + match.name);
        folder->viaLink.push_back(match.viaLink);
    }
}

// Reads the root and every folder below it on `jobs` threads, the calling one included;
// each thread takes the next folder found and not yet read.
void readTree(Folder* root, const QSet<QString>& folded, int jobs, const WalkWatch* watch,
              const WalkExclusion* exclusion)
{
    std::mutex mutex;
    std::condition_variable found;
    std::vector<Folder*> pending{root};
    int reading = 0;
    const auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            found.wait(lock, [&] { return !pending.empty() || reading == 0; });
            if (!pending.empty() && watch && watch->stop && watch->stop()) {
                pending.clear(); // stopped: the folders not yet read stay empty
                found.notify_all();
            }
            if (pending.empty())
                return; // nothing left to read, and no thread reading will find more
            Folder* folder = pending.back();
            pending.pop_back();
            ++reading;
            lock.unlock();
            readFolder(folder, folded, exclusion);
            if (watch && watch->found)
                watch->found->fetchAndAddRelaxed(int(folder->files.size()));
            lock.lock();
            --reading;
            for (auto it = folder->subfolders.rbegin(); it != folder->subfolders.rend(); ++it)
                pending.push_back(it->get());
            if (!folder->subfolders.empty() || reading == 0)
                found.notify_all();
        }
    };
    runOnThreads(jobs, work);
}

// Appends the files of a read folder, then those of each subfolder in turn.
void gather(Folder& folder, QStringList* files, std::vector<char>* viaLink, QStringList* unlisted,
            QStringList* walked, FolderWalk* counts = nullptr)
{
    if (counts) {
        counts->leftOutFolders += folder.leftOutFolders;
        counts->leftOutFiles += folder.leftOutFiles;
    }
    if (folder.unlisted && unlisted)
        unlisted->append(folder.path.isEmpty() ? QStringLiteral("/") : folder.path);
    if (folder.listed && walked)
        walked->append(folder.path.isEmpty() ? QStringLiteral("/") : folder.path);
    files->append(std::move(folder.files));
    viaLink->insert(viaLink->end(), folder.viaLink.begin(), folder.viaLink.end());
    for (const std::unique_ptr<Folder>& sub : folder.subfolders)
        gather(*sub, files, viaLink, unlisted, walked, counts);
}

// Appends to kept the files of one root's walk whose canonical path seen does not hold
// yet, noting theirs. Only files reached through a link need resolving: the others lie
// below the root along folders that are no links, so the root's canonical path and their
// own relative path name them.
void keepFirstOfEach(const QString& root, const QStringList& files,
                     const std::vector<char>& viaLink, QSet<QString>* seen, QStringList* kept)
{
    const QString canonicalRoot = canonicalPath(root.isEmpty() ? QStringLiteral("/") : root);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        QString key = viaLink[size_t(i)] || canonicalRoot.isEmpty()
                          ? canonicalPath(path)
                          : canonicalRoot + path.mid(root.size());
        if (key.isEmpty())
            key = path;
        if (seen->contains(key))
            continue;
        seen->insert(key);
        kept->append(path);
    }
}

// Drops every file whose canonical path an earlier one of the list has.
void dropLinkedTwins(const QString& root, QStringList* files, const std::vector<char>& viaLink)
{
    if (std::find(viaLink.begin(), viaLink.end(), char(1)) == viaLink.end())
        return;
    QSet<QString> seen;
    QStringList kept;
    kept.reserve(files->size());
    keepFirstOfEach(root, *files, viaLink, &seen, &kept);
    *files = std::move(kept);
}

} // namespace

namespace {

// The walk's name for the root: absolute and clean, "" for the file system root, so that
// "/" + "/name" does not double the slash.
QString rootPath(const QString& folder)
{
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString canonicalPath(const QString& path)
{
    char* resolved = ::realpath(fsname::encode(path).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = fsname::decode(resolved);
    ::free(resolved);
    return result;
}

QString collectRoot(const QString& folder)
{
    const QString path = rootPath(folder);
    return path.isEmpty() ? QStringLiteral("/") : path;
}

QStringList collectFiles(const QString& folder, const QStringList& extensions, int jobs,
                         QStringList* unlisted, const WalkWatch* watch, QStringList* walked)
{
    const QSet<QString> folded = foldedSet(extensions);
    QStringList files;
    Folder root;
    root.path = rootPath(folder);
    root.nativePath = fsname::encode(collectRoot(folder));
    readTree(&root, folded, std::max(jobs, 1), watch, nullptr);
    std::vector<char> viaLink;
    gather(root, &files, &viaLink, unlisted, walked);
    dropLinkedTwins(root.path, &files, viaLink);
    return files;
}

namespace {

// One chosen folder's walk, before files met twice are dropped.
struct RootWalk
{
    QString root; // as the walk names it ("" for the file system root)
    QStringList files;
    std::vector<char> viaLink;
};

// The files of every walk, each file once at its first place: a file's canonical path is its
// root's canonical path and its path below the root, or its own when it was reached
// through a link.
QStringList dropTwinsAcross(const std::vector<RootWalk>& walks)
{
    QSet<QString> seen;
    QStringList kept;
    for (const RootWalk& walk : walks)
        keepFirstOfEach(walk.root, walk.files, walk.viaLink, &seen, &kept);
    return kept;
}

} // namespace

FolderWalk collectFolders(const QStringList& folders, const QStringList& extensions,
                          const WalkExclusion& exclusion, int jobs, const WalkWatch* watch)
{
    FolderWalk result;
    // One folder and nothing left out is the plain walk, to the byte.
    if (folders.size() == 1 && exclusion.isEmpty()) {
        result.files = collectFiles(folders.first(), extensions, jobs, &result.unlisted, watch,
                                    &result.walked);
        return result;
    }
    const QSet<QString> folded = foldedSet(extensions);
    std::vector<RootWalk> walks;
    QSet<QString> rootsSeen;
    QSet<QString> unlistedSeen;
    for (const QString& folder : folders) {
        // The same folder named twice (or through a link) is walked once.
        const QString canonical = canonicalPath(collectRoot(folder));
        if (!canonical.isEmpty() && rootsSeen.contains(canonical))
            continue;
        rootsSeen.insert(canonical);
        Folder root;
        root.path = rootPath(folder);
        root.nativePath = fsname::encode(collectRoot(folder));
        readTree(&root, folded, std::max(jobs, 1), watch,
                 exclusion.isEmpty() ? nullptr : &exclusion);
        RootWalk walk;
        walk.root = root.path;
        QStringList unlisted;
        gather(root, &walk.files, &walk.viaLink, &unlisted, &result.walked, &result);
        for (const QString& path : unlisted) {
            if (!unlistedSeen.contains(path))
                result.unlisted.append(path);
            unlistedSeen.insert(path);
        }
        walks.push_back(std::move(walk));
    }
    result.files = walks.size() == 1 ? QStringList() : dropTwinsAcross(walks);
    if (walks.size() == 1) {
        dropLinkedTwins(walks.front().root, &walks.front().files, walks.front().viaLink);
        result.files = std::move(walks.front().files);
    }
    return result;
}
