// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_READINGCACHE_H
#define LENSTALLY_READINGCACHE_H

#include "core/cache/cacherows.h"
#include "core/cache/filestamp.h"
#include "core/cache/sqlitestatement.h"
#include "core/read/picturereading.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct sqlite3;

// What the analysis read from each file, kept in an SQLite database between runs and used
// again while the file's size, modification time, inode and mode stay the same. It only
// looks readings up and keeps them: the caller reads the files it does not know. It is a
// cache only: a database that cannot be used (damaged, from a newer program, read-only,
// on a full disk) costs a warning, and the files are read. Safe to use from several
// threads; several programs may use one database at once.
class ReadingCache
{
public:
    // Files looked up together: the readings the cache had, and what it needs to keep the
    // others once they are read.
    class Batch
    {
    public:
        std::vector<PictureReading> readings; // by index from the batch's first file
        std::vector<char> hits;               // 1 where the reading came from the cache

    private:
        friend class ReadingCache;
        std::vector<FileStamp> stamps;
        std::vector<char> stamped;    // 0 where the file could not be stamped
        std::vector<QString> folders; // canonical; "" where unknown
    };

    ~ReadingCache();
    ReadingCache(const ReadingCache&) = delete;
    ReadingCache& operator=(const ReadingCache&) = delete;

    // The cache the window and the report share: readings.sqlite in a "lenstally" folder
    // of the user's cache folder (~/.cache/lenstally/ on Linux); "" (no cache) when the
    // user has no cache folder.
    static QString defaultPath();

    // Opens or creates the database at path, setting a damaged or newer one aside under
    // another name; null, with a warning, when no cache can be had there.
    static std::unique_ptr<ReadingCache> open(const QString& path, QStringList* warnings);

    // Stamps files[first, last) and fills batch->readings of those unchanged since they
    // were kept, marking them in batch->hits; the others are left empty. Looks a folder's
    // files up together; opens no picture. False when abandon says so.
    bool lookUp(const QStringList& files, int first, int last, Batch* batch,
                const std::function<bool()>& abandon);

    // Keeps the readings of the batch's misses, which the caller has read since lookUp;
    // not those of files that could not be opened or may change unseen.
    void store(const QStringList& files, int first, const Batch& batch);

    // Writes the readings still waiting; after an interrupted run.
    void flush();

    // Writes the readings still waiting, then, after a complete run over a walk, drops the
    // entries of files that are gone: in each walked folder, those of a listed extension
    // that were not listed, and the folders below the first walked one that are gone.
    void finish(const QStringList& files, const QStringList& walkedFolders,
                const QStringList& extensions);

    // Writes nothing more and closes the database; the destructor closes it too.
    void close();

    // What went wrong with the cache so far, each a line for the user.
    QStringList warnings() const;

private:
    struct Pending
    {
        QString folder; // canonical
        QString name;
        FileStamp stamp;
        PictureReading reading;
    };

    ReadingCache(const QString& path, sqlite3* db);
    bool prepare();
    void closeDatabase(); // under the lock
    // Sets a database found damaged aside and goes on with a new one. Under the lock.
    void replaceDamaged();
    // The canonical path of a folder as the walk names it, resolved once. Under the lock.
    QString canonicalFolder(const QString& walkFolder);
    // The database id of a canonical folder, -1 when it has no entries. Under the lock.
    qint64 folderId(const QString& canonical, bool create);
    // Looks up the run of one folder in the batch, filling the readings of the hits.
    // Under the lock.
    void lookUpRun(const FolderRun& run, Batch* batch);
    void writePending();                                   // under the lock
    int writeEntries(const std::vector<Pending>& entries); // under the lock
    void prune(const QStringList& files, const QStringList& walkedFolders,
               const QStringList& extensions); // under the lock
    // Notes a failed SQLite call: a damaged database is replaced once the call is over;
    // other failures stop the writing. Under the lock.
    void failed(int code, bool whileWriting);
    void warn(const QString& text); // under the lock

    QString path;
    sqlite3* db = nullptr;
    sqlite::Statement lookUpStatement;
    sqlite::Statement insertStatement;
    sqlite::Statement folderStatement;
    sqlite::Statement addFolderStatement;
    mutable std::mutex mutex;
    bool damaged = false;                // found damaged: to be replaced
    bool replaced = false;               // replaced once: a second damage ends the cache
    bool writing = true;                 // false once a write failed
    QHash<QString, QString> canonicalOf; // walk folder -> canonical folder
    QHash<QString, qint64> idOf;         // canonical folder -> id, or -1: none yet
    QHash<QString, int> present;         // canonical folder -> listed files now kept
    std::vector<Pending> pending;
    cacherows::SharedTexts sharedTexts;
    QStringList said;
    const qint64 started; // when the cache was opened, in ns since the epoch
};

#endif
