// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cache/readingcache.h"

#include "core/cache/cachedatabase.h"
#include "core/walk/filecollector.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Names looked up in one query.
constexpr int kLookUpNames = 32;
// Readings written in one transaction.
constexpr size_t kWriteAt = 4096;
// A file modified this shortly before (or after) the run started may be modified again
// within the same tick of a coarse clock (2 s on FAT) without its stamp changing: it is
// read, but not kept. (Times far off, as from a camera's clock, are kept.)
constexpr qint64 kSettledNs = 2'000'000'000;

QString setAsideWarning(const QString& path, const QString& why, const QString& aside)
{
    return QStringLiteral("The reading cache %1 %2; it was set aside as %3 and a new one is made")
        .arg(path, why, aside);
}

} // namespace

QString ReadingCache::defaultPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    // Without a home there is no cache folder: not "/lenstally".
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/lenstally/readings.sqlite");
}

ReadingCache::ReadingCache(const QString& path, sqlite3* db)
    : path(path), db(db), started(QDateTime::currentMSecsSinceEpoch() * 1'000'000)
{
}

ReadingCache::~ReadingCache()
{
    close();
}

void ReadingCache::close()
{
    std::lock_guard<std::mutex> lock(mutex);
    closeDatabase();
}

void ReadingCache::closeDatabase()
{
    // Statements first: SQLite does not close a database that still has some.
    lookUpStatement = sqlite::Statement();
    insertStatement = sqlite::Statement();
    folderStatement = sqlite::Statement();
    addFolderStatement = sqlite::Statement();
    sqlite3_close(db);
    db = nullptr;
}

std::unique_ptr<ReadingCache> ReadingCache::open(const QString& path, QStringList* warnings)
{
    const auto warn = [&](const QString& text) {
        if (warnings)
            warnings->append(text);
    };
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        warn(QStringLiteral("Could not create the folder of the reading cache %1; every file "
                            "is read")
                 .arg(path));
        return nullptr;
    }
    // A database we may not write is left alone: SQLite could not keep its journal.
    if ((info.exists() && !info.isWritable()) || !QFileInfo(info.absolutePath()).isWritable()) {
        warn(QStringLiteral("The reading cache %1 is read-only; every file is read").arg(path));
        return nullptr;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = nullptr;
        QString error;
        const cachedb::State state = cachedb::open(path, &db, &error);
        if (state == cachedb::State::Unopened) {
            warn(QStringLiteral("Could not open the reading cache %1 (%2); every file is read")
                     .arg(path, error));
            return nullptr;
        }
        if (state == cachedb::State::Ready) {
            std::unique_ptr<ReadingCache> cache(new ReadingCache(path, db));
            if (cache->prepare())
                return cache;
            error = QString::fromUtf8(sqlite3_errmsg(db));
        } else if (attempt == 0 &&
                   (state == cachedb::State::Damaged || state == cachedb::State::Newer)) {
            const QString aside = cachedb::setAside(path);
            if (!aside.isEmpty()) {
                warn(
                    setAsideWarning(path,
                                    state == cachedb::State::Damaged
                                        ? QStringLiteral("is damaged")
                                        : QStringLiteral("comes from a newer version of Lenstally"),
                                    aside));
                continue;
            }
        }
        warn(QStringLiteral("Could not use the reading cache %1 (%2); every file is read")
                 .arg(path, error.isEmpty() ? QStringLiteral("unknown error") : error));
        return nullptr;
    }
    return nullptr;
}

bool ReadingCache::prepare()
{
    lookUpStatement = sqlite::Statement(db, cacherows::lookUpSql(kLookUpNames).constData());
    insertStatement = sqlite::Statement(db, cacherows::insertSql().constData());
    folderStatement = sqlite::Statement(db, "SELECT id FROM folders WHERE path = ?1");
    addFolderStatement = sqlite::Statement(db, "INSERT OR IGNORE INTO folders (path) VALUES (?1)");
    return lookUpStatement.ok() && insertStatement.ok() && folderStatement.ok() &&
           addFolderStatement.ok();
}

void ReadingCache::replaceDamaged()
{
    damaged = false;
    closeDatabase();
    idOf.clear();
    present.clear();
    // A second damage in one run is the disk's, not the database's: no more tries.
    const QString aside = replaced ? QString() : cachedb::setAside(path);
    if (aside.isEmpty()) {
        warn(QStringLiteral("The reading cache %1 is damaged; every file is read").arg(path));
        return;
    }
    replaced = true;
    QString error;
    if (cachedb::open(path, &db, &error) != cachedb::State::Ready || !prepare()) {
        closeDatabase();
        warn(QStringLiteral("The reading cache %1 is damaged; it was set aside as %2, and "
                            "every file is read")
                 .arg(path, aside));
        return;
    }
    warn(setAsideWarning(path, QStringLiteral("is damaged"), aside));
}

void ReadingCache::warn(const QString& text)
{
    if (!said.contains(text))
        said.append(text);
}

QStringList ReadingCache::warnings() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return said;
}

void ReadingCache::failed(int code, bool whileWriting)
{
    if (sqlite::isDamage(code)) {
        damaged = true; // replaced once the call that found it is over
        return;
    }
    if (!whileWriting)
        return; // a lookup that failed is a file read again
    if (writing) {
        warn(QStringLiteral("Could not write to the reading cache %1 (%2); what was read is "
                            "not kept")
                 .arg(path, QString::fromUtf8(sqlite3_errstr(code))));
    }
    writing = false;
}

QString ReadingCache::canonicalFolder(const QString& walkFolder)
{
    auto it = canonicalOf.find(walkFolder);
    if (it == canonicalOf.end())
        it = canonicalOf.insert(walkFolder, canonicalPath(walkFolder));
    return it.value();
}

qint64 ReadingCache::folderId(const QString& canonical, bool create)
{
    auto it = idOf.find(canonical);
    if (it != idOf.end() && (it.value() >= 0 || !create))
        return it.value();
    if (create) {
        sqlite::Use add(addFolderStatement);
        add->bindName(1, canonical);
        const int code = add->step();
        if (code != SQLITE_DONE) {
            failed(code, true);
            return -1;
        }
    }
    qint64 id = -1;
    sqlite::Use find(folderStatement);
    find->bindName(1, canonical);
    const int code = find->step();
    if (code == SQLITE_ROW)
        id = folderStatement.int64(0);
    else if (code != SQLITE_DONE)
        failed(code, false);
    idOf.insert(canonical, id);
    return id;
}

bool ReadingCache::lookUp(const QStringList& files, int first, int last, Batch* batch,
                          const std::function<bool()>& abandon)
{
    const size_t count = size_t(std::max(last - first, 0));
    batch->readings.assign(count, PictureReading());
    batch->hits.assign(count, 0);
    batch->stamps.assign(count, FileStamp());
    batch->stamped.assign(count, 0);
    batch->folders.assign(count, QString());
    // The files of a folder come one after the other in the list: they are stamped through
    // one handle on the folder and looked up with one query.
    const std::vector<FolderRun> runs = folderRuns(files, first, last);
    for (const FolderRun& run : runs) {
        if (abandon())
            return false;
        stampRun(files, first, run, batch->stamps.data(), batch->stamped.data());
    }
    std::lock_guard<std::mutex> lock(mutex);
    for (const FolderRun& run : runs)
        lookUpRun(run, batch);
    if (damaged)
        replaceDamaged();
    return true;
}

void ReadingCache::lookUpRun(const FolderRun& run, Batch* batch)
{
    const QString canonical = canonicalFolder(run.folder);
    for (int k = run.begin; k < run.end; ++k)
        batch->folders[size_t(k)] = canonical;
    if (!db || damaged || canonical.isEmpty())
        return;
    const qint64 folder = folderId(canonical, false);
    if (folder < 0)
        return;
    const int count = run.end - run.begin;
    int found = 0;
    for (int from = 0; from < count; from += kLookUpNames) {
        const int to = std::min(count, from + kLookUpNames);
        sqlite::Use query(lookUpStatement);
        query->bind(1, folder);
        for (int i = from; i < to; ++i)
            query->bindText(i - from + 2, run.names[size_t(i)], false);
        int code;
        int after = 0; // rows mostly come in the order of the names: look there first
        while ((code = query->step()) == SQLITE_ROW) {
            const char* name = lookUpStatement.data(0);
            const int size = lookUpStatement.size(0);
            const int chunk = to - from;
            int at = -1;
            for (int k = 0; k < chunk && at < 0; ++k) {
                const int i = from + (after + k) % chunk;
                const QByteArray& candidate = run.names[size_t(i)];
                if (candidate.size() == size &&
                    std::memcmp(candidate.constData(), name, size_t(size)) == 0)
                    at = i;
            }
            if (at < 0)
                continue;
            const size_t b = size_t(run.begin + at);
            if (batch->hits[b] || !batch->stamped[b])
                continue;
            after = at - from + 1;
            if (!cacherows::sameStamp(lookUpStatement, batch->stamps[b]))
                continue; // changed: read again
            batch->readings[b] = cacherows::reading(lookUpStatement, &sharedTexts);
            batch->hits[b] = 1;
            ++found;
        }
        if (code != SQLITE_DONE) {
            // What was found before the failure came from intact pages: keep it, read the rest.
            failed(code, false);
            break;
        }
    }
    if (found)
        present[canonical] += found;
}

void ReadingCache::store(const QStringList& files, int first, const Batch& batch)
{
    std::vector<Pending> fresh;
    for (size_t i = 0; i < batch.readings.size(); ++i) {
        if (batch.hits[i] || !batch.stamped[i] || batch.folders[i].isEmpty() ||
            batch.readings[i].unopened || std::abs(batch.stamps[i].modified - started) < kSettledNs)
            continue;
        fresh.push_back(
            {batch.folders[i], nameOf(files[first + int(i)]), batch.stamps[i], batch.readings[i]});
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (!db || !writing)
        return;
    for (Pending& entry : fresh)
        pending.push_back(std::move(entry));
    if (pending.size() >= kWriteAt)
        writePending();
}

void ReadingCache::writePending()
{
    if (pending.empty())
        return;
    if (!db || !writing) {
        pending.clear();
        return;
    }
    const int code = writeEntries(pending);
    if (code != SQLITE_OK) {
        failed(code, true);
        if (damaged) {
            // What was read goes into the new database (once at most: it is replaced once).
            replaceDamaged();
            writePending();
            return;
        }
    }
    pending.clear(); // keeping its room for the next ones
}

int ReadingCache::writeEntries(const std::vector<Pending>& entries)
{
    sqlite::Transaction transaction(db);
    if (!transaction.ok())
        return transaction.code();
    QHash<QString, int> added;
    int code = SQLITE_DONE;
    for (const Pending& entry : entries) {
        const qint64 folder = folderId(entry.folder, true);
        if (folder < 0) {
            code = sqlite::lastError(db);
            break;
        }
        sqlite::Use insert(insertStatement);
        cacherows::bindEntry(insertStatement, folder, entry.name, entry.stamp, entry.reading);
        if ((code = insert->step()) != SQLITE_DONE)
            break;
        ++added[entry.folder];
    }
    if (code == SQLITE_DONE)
        code = transaction.commit();
    if (code != SQLITE_OK) {
        // Folder ids handed out in the rolled back transaction are gone again.
        idOf.clear();
        return code;
    }
    for (auto it = added.cbegin(); it != added.cend(); ++it)
        present[it.key()] += it.value();
    return SQLITE_OK;
}

void ReadingCache::flush()
{
    std::lock_guard<std::mutex> lock(mutex);
    writePending();
}

void ReadingCache::finish(const QStringList& files, const QStringList& walkedFolders,
                          const QStringList& extensions)
{
    std::lock_guard<std::mutex> lock(mutex);
    writePending();
    if (!db || !writing || walkedFolders.isEmpty())
        return;
    prune(files, walkedFolders, extensions);
    if (damaged)
        replaceDamaged();
}
