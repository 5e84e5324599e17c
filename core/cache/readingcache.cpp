// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cache/readingcache.h"

#include "core/read/exifaccess.h"
#include "core/walk/filecollector.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The layout of the database. A newer one is set aside, an older one emptied.
constexpr int kSchema = 1;
// What is read from a file and how. Raise it whenever readFile() reads something else or
// reads it differently: every entry written under another value is dropped.
constexpr int kReadingRules = 1;
// Names looked up in one query.
constexpr int kLookUpNames = 32;
// Readings written in one transaction.
constexpr size_t kWriteAt = 4096;
// How long a program waits for another one's write before it gives up.
constexpr int kBusyMs = 10000;
// A file modified this shortly before (or after) the run started may be modified again
// within the same tick of a coarse clock (2 s on FAT) without its stamp changing: it is
// read, but not kept. (Times far off, as from a camera's clock, are kept.)
constexpr qint64 kSettledNs = 2'000'000'000;

const char kColumns[] = "name, size, mtime, inode, mode, outcome, make, model, focal, focal35, "
                        "plane35, aperture, iso, exposure, lens, date, messages, opening";

// The rules text: our own rules and the library's version, whose changes may change
// what is read as much as ours do.
QString readingRules()
{
    return QStringLiteral("reading %1; Exiv2 %2").arg(kReadingRules).arg(exif::libraryVersion());
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void bindText(sqlite3_stmt* statement, int index, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

QByteArray packMessages(const QStringList& messages)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << messages;
    return bytes;
}

QStringList unpackMessages(const void* data, int size)
{
    QStringList messages;
    if (!data || size <= 0)
        return messages;
    QDataStream stream(QByteArray::fromRawData(static_cast<const char*>(data), size));
    stream.setVersion(QDataStream::Qt_6_0);
    stream >> messages;
    return messages;
}

// A free name beside path for a database set aside.
QString asideName(const QString& path)
{
    const QString base = path + QStringLiteral(".set-aside-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QLatin1Char('-') + QString::number(i);
    return name;
}

// Moves the database (and its journal) out of the way; the new name, or "" on failure.
QString setAside(const QString& path)
{
    const QString aside = asideName(path);
    if (!QFile::rename(path, aside))
        return QString();
    QFile::rename(path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    return aside;
}

bool isDamage(int code)
{
    code &= 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

} // namespace

QString ReadingCache::defaultPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    // Without a home there is no cache folder: not "/lenstally".
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/lenstally/readings.sqlite");
}

// A text column as a string shared with the last one it equalled: a library's files mostly
// repeat their camera and lens, and sharing spares an allocation each.
QString ReadingCache::sharedText(sqlite3_stmt* statement, int column, LastText* last)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    if (last->bytes.size() != size ||
        std::memcmp(last->bytes.constData(), text, size_t(size)) != 0) {
        last->bytes = QByteArray(text, size);
        last->text = QString::fromUtf8(last->bytes);
    }
    return last->text;
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
    if (!db)
        return;
    for (sqlite3_stmt* statement :
         {lookUpStatement, insertStatement, folderStatement, addFolderStatement})
        sqlite3_finalize(statement);
    lookUpStatement = insertStatement = folderStatement = addFolderStatement = nullptr;
    sqlite3_close(db);
    db = nullptr;
    if (!damaged)
        return;
    const QString aside = setAside(path);
    warn(aside.isEmpty()
             ? QStringLiteral("The reading cache %1 is damaged; every file was read").arg(path)
             : QStringLiteral("The reading cache %1 is damaged; it was set aside as %2, and "
                              "every file was read")
                   .arg(path, aside));
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
        const int code = sqlite3_open_v2(
            QFile::encodeName(path).constData(), &db,
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (code != SQLITE_OK) {
            warn(QStringLiteral("Could not open the reading cache %1 (%2); every file is read")
                     .arg(path, QString::fromUtf8(sqlite3_errstr(code))));
            sqlite3_close(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, kBusyMs);
        std::unique_ptr<ReadingCache> cache(new ReadingCache(path, db));
        QString error;
        const SetUp state = cache->setUp(&error);
        if (state == SetUp::Ready && cache->prepare())
            return cache;
        cache.reset();
        if (attempt == 0 && (state == SetUp::Damaged || state == SetUp::Newer)) {
            const QString aside = setAside(path);
            if (!aside.isEmpty()) {
                warn(QStringLiteral("The reading cache %1 %2; it was set aside as %3 and a new "
                                    "one is made")
                         .arg(path,
                              state == SetUp::Damaged
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

bool ReadingCache::exec(const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

ReadingCache::SetUp ReadingCache::setUp(QString* error)
{
    const auto fail = [&](int code) {
        *error = QString::fromUtf8(sqlite3_errstr(code));
        return isDamage(code) ? SetUp::Damaged : SetUp::Failed;
    };
    const auto lastFail = [&] { return fail(sqlite3_extended_errcode(db)); };

    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr);
    if (code == SQLITE_OK)
        code = sqlite3_step(statement);
    const int schema = code == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    if (code != SQLITE_ROW)
        return fail(code);
    if (schema > kSchema)
        return SetUp::Newer;

    // WAL lets one program read while another writes; NORMAL syncs at checkpoints only,
    // which may lose the last writes on a power cut but never damages the database.
    // Turning it on takes the database for itself, and SQLite answers busy at once rather
    // than wait: when another program opens a new cache at the same moment.
    QElapsedTimer clock;
    clock.start();
    do {
        if (code != SQLITE_ROW)
            sqlite3_sleep(10);
        statement = nullptr;
        code = sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &statement, nullptr);
        if (code == SQLITE_OK)
            code = sqlite3_step(statement);
        sqlite3_finalize(statement);
    } while ((code & 0xff) == SQLITE_BUSY && clock.elapsed() <= kBusyMs);
    if (code != SQLITE_ROW)
        return fail(code);
    if (!exec("PRAGMA synchronous=NORMAL"))
        return lastFail();

    if (!exec("BEGIN IMMEDIATE"))
        return lastFail();
    // Read again inside the transaction: another program may have set it up meanwhile.
    statement = nullptr;
    code = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr);
    if (code == SQLITE_OK)
        code = sqlite3_step(statement);
    const int current = code == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    bool ok = code == SQLITE_ROW;
    if (ok && current > kSchema) {
        exec("ROLLBACK");
        return SetUp::Newer;
    }
    if (ok && current != kSchema) {
        ok = exec("DROP TABLE IF EXISTS files; DROP TABLE IF EXISTS folders; "
                  "DROP TABLE IF EXISTS meta;"
                  "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                  "CREATE TABLE folders (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE);"
                  "CREATE TABLE files (folder INTEGER NOT NULL, name TEXT NOT NULL,"
                  " size INTEGER NOT NULL, mtime INTEGER NOT NULL, inode INTEGER NOT NULL,"
                  " mode INTEGER NOT NULL, outcome INTEGER NOT NULL, make TEXT, model TEXT,"
                  " focal REAL, focal35 REAL, plane35 REAL, aperture REAL, iso REAL,"
                  " exposure REAL, lens TEXT, date TEXT, messages BLOB, opening INTEGER,"
                  " PRIMARY KEY (folder, name)) WITHOUT ROWID;") &&
             exec(QByteArray("PRAGMA user_version=" + QByteArray::number(kSchema)).constData());
    }
    // Entries read under other rules are dropped.
    QString rules;
    if (ok) {
        statement = nullptr;
        code = sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE key = 'rules'", -1, &statement,
                                  nullptr);
        if (code == SQLITE_OK)
            code = sqlite3_step(statement);
        if (code == SQLITE_ROW)
            rules = columnText(statement, 0);
        sqlite3_finalize(statement);
        ok = code == SQLITE_ROW || code == SQLITE_DONE;
    }
    if (ok && rules != readingRules()) {
        statement = nullptr;
        ok = exec("DELETE FROM files; DELETE FROM folders;") &&
             sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO meta VALUES ('rules', ?1)", -1,
                                &statement, nullptr) == SQLITE_OK;
        if (ok) {
            bindText(statement, 1, readingRules());
            ok = sqlite3_step(statement) == SQLITE_DONE;
        }
        sqlite3_finalize(statement);
    }
    if (!ok || !exec("COMMIT")) {
        const SetUp state = lastFail();
        exec("ROLLBACK");
        return state;
    }
    return SetUp::Ready;
}

bool ReadingCache::prepare()
{
    QByteArray lookUp =
        QByteArray("SELECT ") + kColumns + " FROM files WHERE folder = ?1 AND name IN (?2";
    for (int i = 1; i < kLookUpNames; ++i)
        lookUp += ", ?" + QByteArray::number(i + 2);
    lookUp += ")";
    const QByteArray insert = QByteArray("INSERT OR REPLACE INTO files (folder, ") + kColumns +
                              ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
                              "?14, ?15, ?16, ?17, ?18, ?19)";
    return sqlite3_prepare_v2(db, lookUp.constData(), -1, &lookUpStatement, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(db, insert.constData(), -1, &insertStatement, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(db, "SELECT id FROM folders WHERE path = ?1", -1, &folderStatement,
                              nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO folders (path) VALUES (?1)", -1,
                              &addFolderStatement, nullptr) == SQLITE_OK;
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
    if (isDamage(code)) {
        damaged = true; // said, and set aside, when closed
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

bool ReadingCache::stampAt(int folder, const char* name, Stamp* stamp)
{
    struct stat info;
    if (::fstatat(folder, name, &info, 0) != 0 || !S_ISREG(info.st_mode))
        return false;
    stamp->size = qint64(info.st_size);
    stamp->modified = qint64(info.st_mtim.tv_sec) * 1000000000 + qint64(info.st_mtim.tv_nsec);
    stamp->inode = qint64(info.st_ino);
    // A change of permissions may make a file unreadable, or readable again.
    stamp->mode = int(info.st_mode & 07777);
    return true;
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
    qint64 id = -1;
    if (create) {
        sqlite3_reset(addFolderStatement);
        bindText(addFolderStatement, 1, canonical);
        const int code = sqlite3_step(addFolderStatement);
        if (code != SQLITE_DONE) {
            failed(code, true);
            return -1;
        }
    }
    sqlite3_reset(folderStatement);
    bindText(folderStatement, 1, canonical);
    const int code = sqlite3_step(folderStatement);
    if (code == SQLITE_ROW)
        id = sqlite3_column_int64(folderStatement, 0);
    else if (code != SQLITE_DONE)
        failed(code, false);
    sqlite3_reset(folderStatement);
    idOf.insert(canonical, id);
    return id;
}

void ReadingCache::lookUp(const QString& canonical, const QByteArray* names, int count,
                          const Stamp* stamps, const char* stamped, PictureReading* readings,
                          char* hit)
{
    if (!db || damaged || canonical.isEmpty())
        return;
    const qint64 folder = folderId(canonical, false);
    if (folder < 0)
        return;
    for (int from = 0; from < count; from += kLookUpNames) {
        const int to = std::min(count, from + kLookUpNames);
        sqlite3_reset(lookUpStatement);
        sqlite3_clear_bindings(lookUpStatement);
        sqlite3_bind_int64(lookUpStatement, 1, folder);
        for (int i = from; i < to; ++i) {
            sqlite3_bind_text(lookUpStatement, i - from + 2, names[i].constData(),
                              int(names[i].size()), SQLITE_STATIC);
        }
        int code;
        int after = 0; // rows mostly come in the order of the names: look there first
        while ((code = sqlite3_step(lookUpStatement)) == SQLITE_ROW) {
            const auto* name = static_cast<const char*>(sqlite3_column_blob(lookUpStatement, 0));
            const int size = sqlite3_column_bytes(lookUpStatement, 0);
            const int chunk = to - from;
            int at = -1;
            for (int k = 0; k < chunk && at < 0; ++k) {
                const int i = from + (after + k) % chunk;
                if (names[i].size() == size &&
                    std::memcmp(names[i].constData(), name, size_t(size)) == 0)
                    at = i;
            }
            if (at < 0 || hit[at] || !stamped[at])
                continue;
            after = at - from + 1;
            const Stamp& stamp = stamps[at];
            if (sqlite3_column_int64(lookUpStatement, 1) != stamp.size ||
                sqlite3_column_int64(lookUpStatement, 2) != stamp.modified ||
                sqlite3_column_int64(lookUpStatement, 3) != stamp.inode ||
                sqlite3_column_int(lookUpStatement, 4) != stamp.mode)
                continue; // changed: read again
            PictureReading& r = readings[at];
            r = PictureReading();
            r.outcome = PictureOutcome(sqlite3_column_int(lookUpStatement, 5));
            r.makeRead = sqlite3_column_type(lookUpStatement, 6) != SQLITE_NULL;
            r.makeTag = sharedText(lookUpStatement, 6, &lastTexts[0]);
            r.modelRead = sqlite3_column_type(lookUpStatement, 7) != SQLITE_NULL;
            r.modelTag = sharedText(lookUpStatement, 7, &lastTexts[1]);
            nameCamera(&r);
            PictureValues& v = r.values;
            v.focalLength = float(sqlite3_column_double(lookUpStatement, 8));
            v.focalLength35mm = float(sqlite3_column_double(lookUpStatement, 9));
            v.focalPlane35mm = float(sqlite3_column_double(lookUpStatement, 10));
            v.aperture = float(sqlite3_column_double(lookUpStatement, 11));
            v.iso = float(sqlite3_column_double(lookUpStatement, 12));
            v.exposureTime = float(sqlite3_column_double(lookUpStatement, 13));
            v.lens = sharedText(lookUpStatement, 14, &lastTexts[2]);
            v.dateText = columnText(lookUpStatement, 15);
            v.messages = unpackMessages(sqlite3_column_blob(lookUpStatement, 16),
                                        sqlite3_column_bytes(lookUpStatement, 16));
            r.openingMessages = sqlite3_column_int(lookUpStatement, 17);
            hit[at] = 1;
        }
        sqlite3_reset(lookUpStatement);
        if (code != SQLITE_DONE) {
            failed(code, false);
            // What was found before the failure came from intact pages: keep it, read the rest.
            return;
        }
    }
}

bool ReadingCache::read(const QStringList& files, int first, int last,
                        std::vector<PictureReading>* readings, const std::function<bool()>& abandon)
{
    const int count = std::max(last - first, 0);
    readings->assign(size_t(count), PictureReading());
    const size_t n = size_t(count);
    std::vector<Stamp> stamps(n);
    std::vector<char> stamped(stamps.size(), 0);
    std::vector<char> hit(stamps.size(), 0);
    std::vector<QString> folders(stamps.size());

    // The files of a folder come one after the other in the list: they are stamped through
    // one handle on the folder, sparing the kernel the walk along the path, and looked up
    // with one query. A name's bytes are the same for the file system and the database.
    struct Group
    {
        int begin;
        int end;
        QString folder;
        std::vector<QByteArray> names;
    };
    std::vector<Group> groups;
    for (int i = 0; i < count;) {
        const QString& path = files[first + i];
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QStringView folder = QStringView(path).left(slash);
        Group group{i, i, folderOf(path), {}};
        for (; group.end < count; ++group.end) {
            const QString& next = files[first + group.end];
            if (next.lastIndexOf(QLatin1Char('/')) != slash ||
                QStringView(next).left(slash) != folder)
                break;
            group.names.push_back(QStringView(next).mid(slash + 1).toUtf8());
        }
        i = group.end;
        groups.push_back(std::move(group));
    }
    for (const Group& group : groups) {
        if (abandon())
            return false;
        const int folder =
            ::open(QFile::encodeName(group.folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        for (int k = group.begin; k < group.end; ++k) {
            const QByteArray& name = group.names[size_t(k - group.begin)];
            stamped[size_t(k)] =
                folder >= 0 ? stampAt(folder, name.constData(), &stamps[size_t(k)])
                            : stampAt(AT_FDCWD, QFile::encodeName(files[first + k]).constData(),
                                      &stamps[size_t(k)]);
        }
        if (folder >= 0)
            ::close(folder);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const Group& group : groups) {
            const int i = group.begin;
            const int j = group.end;
            const QString canonical = canonicalFolder(group.folder);
            for (int k = i; k < j; ++k)
                folders[size_t(k)] = canonical;
            lookUp(canonical, group.names.data(), j - i, stamps.data() + i, stamped.data() + i,
                   readings->data() + i, hit.data() + i);
            int found = 0;
            for (int k = i; k < j; ++k)
                found += hit[size_t(k)];
            if (found)
                present[canonical] += found;
        }
    }
    std::vector<Pending> fresh;
    for (int i = 0; i < count; ++i) {
        if (hit[size_t(i)])
            continue;
        if (abandon())
            return false;
        const QString& file = files[first + i];
        PictureReading& reading = (*readings)[size_t(i)];
        reading = readFile(file);
        if (!stamped[size_t(i)] || folders[size_t(i)].isEmpty() ||
            std::abs(stamps[size_t(i)].modified - started) < kSettledNs)
            continue;
        // A file that cannot even be opened may be readable next time: not kept.
        if (reading.outcome == PictureOutcome::Unreadable) {
            const int fd =
                ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                continue;
            ::close(fd);
        }
        fresh.push_back({folders[size_t(i)], nameOf(file), stamps[size_t(i)], reading});
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (!db || !writing || damaged)
        return true;
    for (Pending& entry : fresh)
        pending.push_back(std::move(entry));
    if (pending.size() >= kWriteAt)
        writePending();
    return true;
}

void ReadingCache::writePending()
{
    if (pending.empty())
        return;
    if (!db || !writing || damaged) {
        pending.clear();
        return;
    }
    if (!exec("BEGIN IMMEDIATE")) {
        failed(sqlite3_extended_errcode(db), true);
        pending.clear();
        return;
    }
    QHash<QString, int> added;
    int code = SQLITE_DONE;
    for (const Pending& entry : pending) {
        const qint64 folder = folderId(entry.folder, true);
        if (folder < 0) {
            code = sqlite3_extended_errcode(db);
            break;
        }
        const PictureReading& r = entry.reading;
        const PictureValues& v = r.values;
        sqlite3_stmt* s = insertStatement;
        sqlite3_reset(s);
        sqlite3_bind_int64(s, 1, folder);
        bindText(s, 2, entry.name);
        sqlite3_bind_int64(s, 3, entry.stamp.size);
        sqlite3_bind_int64(s, 4, entry.stamp.modified);
        sqlite3_bind_int64(s, 5, entry.stamp.inode);
        sqlite3_bind_int(s, 6, entry.stamp.mode);
        sqlite3_bind_int(s, 7, int(r.outcome));
        if (r.makeRead)
            bindText(s, 8, r.makeTag);
        else
            sqlite3_bind_null(s, 8);
        if (r.modelRead)
            bindText(s, 9, r.modelTag);
        else
            sqlite3_bind_null(s, 9);
        sqlite3_bind_double(s, 10, double(v.focalLength));
        sqlite3_bind_double(s, 11, double(v.focalLength35mm));
        sqlite3_bind_double(s, 12, double(v.focalPlane35mm));
        sqlite3_bind_double(s, 13, double(v.aperture));
        sqlite3_bind_double(s, 14, double(v.iso));
        sqlite3_bind_double(s, 15, double(v.exposureTime));
        bindText(s, 16, v.lens);
        bindText(s, 17, v.dateText);
        if (v.messages.isEmpty()) {
            sqlite3_bind_null(s, 18);
        } else {
            const QByteArray packed = packMessages(v.messages);
            sqlite3_bind_blob(s, 18, packed.constData(), int(packed.size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_int(s, 19, r.openingMessages);
        code = sqlite3_step(s);
        sqlite3_reset(s);
        if (code != SQLITE_DONE)
            break;
        ++added[entry.folder];
    }
    pending.clear();
    if (code == SQLITE_DONE && exec("COMMIT")) {
        for (auto it = added.cbegin(); it != added.cend(); ++it)
            present[it.key()] += it.value();
        return;
    }
    if (code == SQLITE_DONE)
        code = sqlite3_extended_errcode(db);
    exec("ROLLBACK");
    // Folder ids handed out in the rolled back transaction are gone again.
    idOf.clear();
    failed(code, true);
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
    if (!db || !writing || damaged || walkedFolders.isEmpty())
        return;
    prune(files, walkedFolders, extensions);
}

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

    sqlite3_stmt* countStatement = nullptr;
    sqlite3_stmt* namesStatement = nullptr;
    sqlite3_stmt* dropStatement = nullptr;
    sqlite3_stmt* foldersStatement = nullptr;
    sqlite3_stmt* dropFolderStatement = nullptr;
    sqlite3_stmt* dropFilesStatement = nullptr;
    const auto finalize = [&] {
        for (sqlite3_stmt* s : {countStatement, namesStatement, dropStatement, foldersStatement,
                                dropFolderStatement, dropFilesStatement})
            sqlite3_finalize(s);
    };
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM files WHERE folder = ?1", -1, &countStatement,
                           nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "SELECT name FROM files WHERE folder = ?1", -1, &namesStatement,
                           nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "DELETE FROM files WHERE folder = ?1 AND name = ?2", -1,
                           &dropStatement, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "SELECT id, path FROM folders WHERE path > ?1 AND path < ?2", -1,
                           &foldersStatement, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "DELETE FROM folders WHERE id = ?1", -1, &dropFolderStatement,
                           nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "DELETE FROM files WHERE folder = ?1", -1, &dropFilesStatement,
                           nullptr) != SQLITE_OK ||
        !exec("BEGIN IMMEDIATE")) {
        failed(sqlite3_extended_errcode(db), true);
        finalize();
        return;
    }

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
        sqlite3_reset(countStatement);
        sqlite3_bind_int64(countStatement, 1, id);
        code = sqlite3_step(countStatement);
        const qint64 kept = code == SQLITE_ROW ? sqlite3_column_int64(countStatement, 0) : 0;
        sqlite3_reset(countStatement);
        if (code != SQLITE_ROW)
            break;
        code = SQLITE_OK;
        if (kept <= present.value(canonical))
            continue; // every entry is a listed file's
        QStringList gone;
        sqlite3_reset(namesStatement);
        sqlite3_bind_int64(namesStatement, 1, id);
        while ((code = sqlite3_step(namesStatement)) == SQLITE_ROW) {
            const QString name = columnText(namesStatement, 0);
            if (listedType(name) && !namesIn(canonical).contains(name))
                gone.append(name);
        }
        sqlite3_reset(namesStatement);
        if (code != SQLITE_DONE)
            break;
        code = SQLITE_OK;
        for (const QString& name : gone) {
            sqlite3_reset(dropStatement);
            sqlite3_bind_int64(dropStatement, 1, id);
            bindText(dropStatement, 2, name);
            code = sqlite3_step(dropStatement);
            sqlite3_reset(dropStatement);
            if (code != SQLITE_DONE)
                break;
            code = SQLITE_OK;
        }
        if (code != SQLITE_OK)
            break;
    }

    // Folders below the walked one that the walk did not meet and that are gone. (Hidden
    // folders are not walked but are still there: their entries stay.)
    const QString root = canonicalFolder(walkedFolders.first());
    if (code == SQLITE_OK && !root.isEmpty()) {
        const QString below = root == QLatin1String("/") ? root : root + QLatin1Char('/');
        // Every path that starts with below sorts between below and below with its final
        // '/' raised to '0'.
        const QString beyond = below.chopped(1) + QLatin1Char('0');
        QVector<qint64> goneFolders;
        sqlite3_reset(foldersStatement);
        bindText(foldersStatement, 1, below);
        bindText(foldersStatement, 2, beyond);
        while ((code = sqlite3_step(foldersStatement)) == SQLITE_ROW) {
            const QString folder = columnText(foldersStatement, 1);
            if (!walked.contains(folder) && !QFileInfo(folder).isDir())
                goneFolders.append(sqlite3_column_int64(foldersStatement, 0));
        }
        sqlite3_reset(foldersStatement);
        code = code == SQLITE_DONE ? SQLITE_OK : code;
        for (qint64 id : goneFolders) {
            if (code != SQLITE_OK)
                break;
            sqlite3_reset(dropFolderStatement);
            sqlite3_bind_int64(dropFolderStatement, 1, id);
            code = sqlite3_step(dropFolderStatement);
            sqlite3_reset(dropFolderStatement);
            code = code == SQLITE_DONE ? SQLITE_OK : code;
            if (code == SQLITE_OK) {
                sqlite3_reset(dropFilesStatement);
                sqlite3_bind_int64(dropFilesStatement, 1, id);
                code = sqlite3_step(dropFilesStatement);
                sqlite3_reset(dropFilesStatement);
                code = code == SQLITE_DONE ? SQLITE_OK : code;
            }
        }
        idOf.clear();
    }
    finalize();
    if (code == SQLITE_OK && exec("COMMIT"))
        return;
    if (code == SQLITE_OK)
        code = sqlite3_extended_errcode(db);
    exec("ROLLBACK");
    failed(code, true);
}
