// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_READINGCACHE_H
#define LENSTALLY_READINGCACHE_H

#include "core/read/picturereading.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// What the analysis read from each file, kept in an SQLite database between runs and used
// again while the file's size, modification time, inode and mode stay the same. It is a
// cache only: a database that cannot be used (damaged, from a newer program, read-only,
// on a full disk) costs a warning, and the files are read. Safe to use from several
// threads; several programs may use one database at once.
class ReadingCache
{
public:
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

    // Fills (*readings)[i - first] for files[first, last): from the cache where the file is
    // unchanged, else from the file, keeping that reading to be written. Looks a folder's
    // files up together. False, with readings partly filled, when abandon says so.
    bool read(const QStringList& files, int first, int last, std::vector<PictureReading>* readings,
              const std::function<bool()>& abandon);

    // Writes the readings still waiting; after an interrupted run.
    void flush();

    // Writes the readings still waiting, then, after a complete run over a walk, drops the
    // entries of files that are gone: in each walked folder, those of a listed extension
    // that were not listed, and the folders below the first walked one that are gone.
    void finish(const QStringList& files, const QStringList& walkedFolders,
                const QStringList& extensions);

    // Closes the database, setting it aside when it turned out to be damaged; the
    // destructor closes it too. Nothing is read from or written to it afterwards.
    void close();

    // What went wrong with the cache so far, each a line for the user.
    QStringList warnings() const;

private:
    // The last text read from a column, kept to share it with the next equal one.
    struct LastText
    {
        QByteArray bytes;
        QString text;
    };
    // A text column as a string shared with the last one it equalled.
    static QString sharedText(sqlite3_stmt* statement, int column, LastText* last);
    struct Stamp
    {
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds since the epoch
        qint64 inode = 0;
        int mode = 0;
    };
    struct Pending
    {
        QString folder; // canonical
        QString name;
        Stamp stamp;
        PictureReading reading;
    };
    enum class SetUp
    {
        Ready,
        Damaged,
        Newer,
        Failed,
    };

    ReadingCache(const QString& path, sqlite3* db);
    SetUp setUp(QString* error);
    bool prepare();
    // The stamp of the file name in the folder open as the descriptor folder (links followed).
    static bool stampAt(int folder, const char* name, Stamp* stamp);
    // The canonical path of a folder as the walk names it, resolved once. Under the lock.
    QString canonicalFolder(const QString& walkFolder);
    // The database id of a canonical folder, -1 when it has no entries. Under the lock.
    qint64 folderId(const QString& canonical, bool create);
    // Under the lock: looks up names[..] of one folder, filling the readings of the hits.
    void lookUp(const QString& canonical, const QByteArray* names, int count, const Stamp* stamps,
                const char* stamped, PictureReading* readings, char* hit);
    void writePending(); // under the lock
    void prune(const QStringList& files, const QStringList& walkedFolders,
               const QStringList& extensions); // under the lock
    // Notes a failed SQLite call: a damaged database is dropped for the rest of the run and
    // set aside at the end; other failures stop the writing. Under the lock.
    void failed(int code, bool whileWriting);
    bool exec(const char* sql);
    void warn(const QString& text); // under the lock

    QString path;
    sqlite3* db = nullptr;
    sqlite3_stmt* lookUpStatement = nullptr;
    sqlite3_stmt* insertStatement = nullptr;
    sqlite3_stmt* folderStatement = nullptr;
    sqlite3_stmt* addFolderStatement = nullptr;
    mutable std::mutex mutex;
    bool damaged = false;                // no more lookups or writes; set aside when closed
    bool writing = true;                 // false once a write failed
    QHash<QString, QString> canonicalOf; // walk folder -> canonical folder
    QHash<QString, qint64> idOf;         // canonical folder -> id, or -1: none yet
    QHash<QString, int> present;         // canonical folder -> listed files now kept
    std::vector<Pending> pending;
    LastText lastTexts[3]; // make, model, lens
    QStringList said;
    const qint64 started; // when the cache was opened, in ns since the epoch
};

#endif
