// SPDX-License-Identifier: GPL-3.0-or-later
// Dropping the entries of files and folders that are gone, after a complete run.
#include "core/cache/readingcache.h"

#include "core/base/fsname.h"

#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <sys/stat.h>

namespace {

// True when path names a folder; the path is the file system's bytes.
bool isFolder(const QString& path)
{
    struct stat info;
    return ::stat(fsname::encode(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

struct PruneStatements
{
    explicit PruneStatements(sqlite3* db)
        : count(db, "SELECT count(*) FROM files WHERE folder = ?1"),
          names(db, "SELECT name FROM files WHERE folder = ?1"),
          drop(db, "DELETE FROM files WHERE folder = ?1 AND name = ?2"),
          folders(db, "SELECT id, path FROM folders WHERE path > ?1 AND path < ?2"),
          dropFolder(db, "DELETE FROM folders WHERE id = ?1"),
          dropFiles(db, "DELETE FROM files WHERE folder = ?1")
    {
    }
    bool ok() const
    {
        return count.ok() && names.ok() && drop.ok() && folders.ok() && dropFolder.ok() &&
               dropFiles.ok();
    }

    sqlite::Statement count;
    sqlite::Statement names;
    sqlite::Statement drop;
    sqlite::Statement folders;
    sqlite::Statement dropFolder;
    sqlite::Statement dropFiles;
};

// Runs a statement that returns no rows with one id bound; SQLITE_OK or the failure.
int runWithId(sqlite::Statement& statement, qint64 id)
{
    sqlite::Use use(statement);
    use->bind(1, id);
    const int code = use->step();
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

// Drops the entries of the folder for which gone says so, unless all kept entries are of
// files the run met (kept <= present). SQLITE_OK or the failure.
int pruneFolder(PruneStatements& s, qint64 id, int present,
                const std::function<bool(const QString&)>& gone)
{
    {
        sqlite::Use count(s.count);
        count->bind(1, id);
        const int code = count->step();
        if (code != SQLITE_ROW)
            return code;
        if (s.count.int64(0) <= present)
            return SQLITE_OK; // every entry is a listed file's
    }
    QStringList dropped;
    {
        sqlite::Use names(s.names);
        names->bind(1, id);
        int code;
        while ((code = names->step()) == SQLITE_ROW) {
            const QString name = s.names.name(0);
            if (gone(name))
                dropped.append(name);
        }
        if (code != SQLITE_DONE)
            return code;
    }
    for (const QString& name : dropped) {
        sqlite::Use drop(s.drop);
        drop->bind(1, id);
        drop->bindName(2, name);
        const int code = drop->step();
        if (code != SQLITE_DONE)
            return code;
    }
    return SQLITE_OK;
}

// Drops the folders below root that the walk did not meet and that are gone. (Hidden
// folders are not walked but are still there: their entries stay.)
int pruneGoneFolders(PruneStatements& s, const QString& root, const QSet<QString>& walked)
{
    const QString below = root == QLatin1String("/") ? root : root + QLatin1Char('/');
    // Every path that starts with below sorts between below and below with its final
    // '/' raised to '0'.
    const QString beyond = below.chopped(1) + QLatin1Char('0');
    QVector<qint64> gone;
    {
        sqlite::Use folders(s.folders);
        folders->bindName(1, below);
        folders->bindName(2, beyond);
        int code;
        while ((code = folders->step()) == SQLITE_ROW) {
            const QString folder = s.folders.name(1);
            if (!walked.contains(folder) && !isFolder(folder))
                gone.append(s.folders.int64(0));
        }
        if (code != SQLITE_DONE)
            return code;
    }
    for (qint64 id : gone) {
        int code = runWithId(s.dropFolder, id);
        if (code == SQLITE_OK)
            code = runWithId(s.dropFiles, id);
        if (code != SQLITE_OK)
            return code;
    }
    return SQLITE_OK;
}

} // namespace

void ReadingCache::prune(const QStringList& files, const QStringList& walkedFolders,
                         const QStringList& extensions)
{
    QSet<QString> types;
    for (const QString& extension : extensions)
        types.insert(extension.toCaseFolded());
    const auto listedType = [&types](const QString& name) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot >= 0 && types.contains(name.mid(dot + 1).toCaseFolded());
    };
    // The listed names of each folder, gathered only for folders that need them.
    QHash<QString, QSet<QString>> listedNames;
    bool gathered = false;
    const auto namesIn = [&](const QString& canonical) -> const QSet<QString>& {
        if (!gathered) {
            for (const QString& file : files)
                listedNames[canonicalFolder(folderOf(file))].insert(nameOf(file));
            gathered = true;
        }
        return listedNames[canonical];
    };

    PruneStatements statements(db);
    if (!statements.ok()) {
        failed(sqlite::lastError(db), true);
        return;
    }
    sqlite::Transaction transaction(db);
    if (!transaction.ok()) {
        failed(transaction.code(), true);
        return;
    }
    int code = SQLITE_OK;
    QSet<QString> walked;
    for (const QString& folder : walkedFolders) {
        const QString canonical = canonicalFolder(folder);
        if (canonical.isEmpty() || walked.contains(canonical))
            continue;
        walked.insert(canonical);
        const qint64 id = folderId(canonical, false);
        if (id < 0)
            continue;
        code = pruneFolder(statements, id, present.value(canonical), [&](const QString& name) {
            return listedType(name) && !namesIn(canonical).contains(name);
        });
        if (code != SQLITE_OK)
            break;
    }
    const QString root = canonicalFolder(walkedFolders.first());
    if (code == SQLITE_OK && !root.isEmpty()) {
        code = pruneGoneFolders(statements, root, walked);
        idOf.clear();
    }
    if (code == SQLITE_OK)
        code = transaction.commit();
    if (code != SQLITE_OK)
        failed(code, true);
}
