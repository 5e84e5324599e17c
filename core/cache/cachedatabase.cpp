// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cache/cachedatabase.h"

#include "core/base/fsname.h"

#include "core/cache/cacherows.h"
#include "core/cache/sqlitestatement.h"
#include "core/read/exifaccess.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace cachedb {

namespace {

// The layout of the database. A newer one is set aside, an older one emptied.
constexpr int kSchema = 4;
// What is read from a file and how. Raise it whenever readFile() reads something else or
// reads it differently: every entry written under another value is dropped.
constexpr int kReadingRules = 3;
// How long a program waits for another one's write before it gives up.
constexpr int kBusyMs = 10000;

// The rules text: our own rules and the library's version, whose changes may change
// what is read as much as ours do.
QString readingRules()
{
    return QStringLiteral("reading %1; Exiv2 %2").arg(kReadingRules).arg(exif::libraryVersion());
}

State failure(int code, QString* error)
{
    *error = QString::fromUtf8(sqlite3_errstr(code));
    return sqlite::isDamage(code) ? State::Damaged : State::Failed;
}

// The database's layout version; -1, with *code set, when it cannot be read.
int schemaOf(sqlite3* db, int* code)
{
    sqlite::Statement statement(db, "PRAGMA user_version");
    *code = statement.ok() ? statement.step() : statement.code();
    return *code == SQLITE_ROW ? int(statement.int64(0)) : -1;
}

// Creates the tables where the layout is older, and empties them where the rules changed.
// In the caller's transaction.
State update(sqlite3* db, QString* error)
{
    int code = SQLITE_OK;
    const int current = schemaOf(db, &code);
    if (code != SQLITE_ROW)
        return failure(code, error);
    if (current > kSchema)
        return State::Newer;
    if (current != kSchema) {
        const QByteArray create =
            QByteArray("DROP TABLE IF EXISTS files; DROP TABLE IF EXISTS folders; "
                       "DROP TABLE IF EXISTS meta;"
                       "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                       "CREATE TABLE folders (id INTEGER PRIMARY KEY, path TEXT NOT "
                       "NULL UNIQUE);") +
            cacherows::kCreateFiles + "; PRAGMA user_version=" + QByteArray::number(kSchema);
        if ((code = sqlite::exec(db, create.constData())) != SQLITE_OK)
            return failure(code, error);
    }
    QString rules;
    {
        sqlite::Statement read(db, "SELECT value FROM meta WHERE key = 'rules'");
        code = read.ok() ? read.step() : read.code();
        if (code == SQLITE_ROW)
            rules = read.text(0);
        else if (code != SQLITE_DONE)
            return failure(code, error);
    }
    if (rules == readingRules())
        return State::Ready;
    // Entries read under other rules are dropped.
    if ((code = sqlite::exec(db, "DELETE FROM files; DELETE FROM folders;")) != SQLITE_OK)
        return failure(code, error);
    sqlite::Statement write(db, "INSERT OR REPLACE INTO meta VALUES ('rules', ?1)");
    if (!write.ok())
        return failure(write.code(), error);
    write.bind(1, readingRules());
    code = write.step();
    return code == SQLITE_DONE ? State::Ready : failure(code, error);
}

// Turns the journal to WAL. That takes the database for itself, and SQLite answers busy at
// once rather than wait: when another program opens a new cache at the same moment.
int walMode(sqlite3* db)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        sqlite::Statement wal(db, "PRAGMA journal_mode=WAL");
        const int code = wal.ok() ? wal.step() : wal.code();
        if ((code & 0xff) != SQLITE_BUSY || clock.elapsed() > kBusyMs)
            return code;
        sqlite3_sleep(10);
    }
}

State setUp(sqlite3* db, QString* error)
{
    int code = SQLITE_OK;
    if (schemaOf(db, &code) > kSchema)
        return State::Newer;
    if (code != SQLITE_ROW)
        return failure(code, error);

    // WAL lets one program read while another writes; NORMAL syncs at checkpoints only,
    // which may lose the last writes on a power cut but never damages the database.
    if ((code = walMode(db)) != SQLITE_ROW)
        return failure(code, error);
    if ((code = sqlite::exec(db, "PRAGMA synchronous=NORMAL")) != SQLITE_OK)
        return failure(code, error);

    // Read again inside the transaction: another program may have set it up meanwhile.
    sqlite::Transaction transaction(db);
    if (!transaction.ok())
        return failure(transaction.code(), error);
    const State state = update(db, error);
    if (state != State::Ready)
        return state;
    code = transaction.commit();
    return code == SQLITE_OK ? State::Ready : failure(code, error);
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

} // namespace

State open(const QString& path, sqlite3** db, QString* error)
{
    *db = nullptr;
    sqlite3* opened = nullptr;
    const int code =
        sqlite3_open_v2(fsname::encode(path).constData(), &opened,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close(opened);
        *error = QString::fromUtf8(sqlite3_errstr(code));
        return State::Unopened;
    }
    sqlite3_busy_timeout(opened, kBusyMs);
    const State state = setUp(opened, error);
    if (state == State::Ready)
        *db = opened;
    else
        sqlite3_close(opened);
    return state;
}

QString setAside(const QString& path)
{
    const QString aside = asideName(path);
    if (!QFile::rename(path, aside))
        return QString();
    const QString wal = QStringLiteral("-wal");
    QFile::rename(path + wal, aside + wal);
    QFile::remove(path + QStringLiteral("-shm"));
    // One copy is enough to look into what went wrong; each may be as big as the cache.
    const QFileInfo info(path);
    QDir folder = info.dir();
    const QString prefix = info.fileName() + QStringLiteral(".set-aside-");
    const QString kept = QFileInfo(aside).fileName();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.startsWith(prefix) && name != kept && name != kept + wal)
            folder.remove(name);
    }
    return aside;
}

} // namespace cachedb
