// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cache/cacherows.h"

#include "core/cache/sqlitestatement.h"

#include <cstring>

namespace cacherows {

namespace {

const char kColumns[] =
    "name, size, mtime, inode, mode, outcome, make, model, focal, focal35, "
    "plane35, aperture, iso, exposure, lens, date, messages, opening, more, focal35from, "
    "mnfocal, mnaperture, mniso, mnexposure, mnfocal35, mnplane35";

// The messages as UTF-8, each ended by a NUL (which no library message holds); null
// for none, so that a file without messages costs no bytes.
QByteArray packMessages(const QStringList& messages)
{
    QByteArray bytes;
    for (const QString& message : messages) {
        bytes += message.toUtf8();
        bytes += '\0';
    }
    return bytes;
}

QStringList unpackMessages(const char* data, int size)
{
    QStringList messages;
    for (int at = 0; at < size;) {
        const auto* end = static_cast<const char*>(std::memchr(data + at, 0, size_t(size - at)));
        const int length = end ? int(end - (data + at)) : size - at;
        messages.append(QString::fromUtf8(data + at, length));
        at += length + 1;
    }
    return messages;
}

QString sharedText(const sqlite::Statement& row, int column, SharedTexts* shared, int which)
{
    const char* text = row.data(column);
    const int size = row.size(column);
    QByteArray& last = shared->bytes[which];
    if (last.size() != size ||
        (size > 0 && std::memcmp(last.constData(), text, size_t(size)) != 0)) {
        last = QByteArray(text, size);
        shared->texts[which] = QString::fromUtf8(last);
    }
    return shared->texts[which];
}

} // namespace

const char kCreateFiles[] =
    "CREATE TABLE files (folder INTEGER NOT NULL, name TEXT NOT NULL,"
    " size INTEGER NOT NULL, mtime INTEGER NOT NULL, inode INTEGER NOT NULL,"
    " mode INTEGER NOT NULL, outcome INTEGER NOT NULL, make TEXT, model TEXT,"
    " focal REAL, focal35 REAL, plane35 REAL, aperture REAL, iso REAL,"
    " exposure REAL, lens TEXT, date TEXT, messages BLOB, opening INTEGER, more INTEGER,"
    " focal35from INTEGER, mnfocal REAL, mnaperture REAL, mniso REAL, mnexposure REAL,"
    " mnfocal35 REAL, mnplane35 REAL,"
    " PRIMARY KEY (folder, name)) WITHOUT ROWID";

QByteArray lookUpSql(int names)
{
    QByteArray sql =
        QByteArray("SELECT ") + kColumns + " FROM files WHERE folder = ?1 AND name IN (?2";
    for (int i = 1; i < names; ++i)
        sql += ", ?" + QByteArray::number(i + 2);
    return sql + ")";
}

QByteArray insertSql()
{
    QByteArray sql =
        QByteArray("INSERT OR REPLACE INTO files (folder, ") + kColumns + ") VALUES (?1";
    for (int i = 2; i <= 27; ++i)
        sql += ", ?" + QByteArray::number(i);
    return sql + ")";
}

void bindEntry(sqlite::Statement& s, qint64 folder, const QString& name, const FileStamp& stamp,
               const PictureReading& r)
{
    const PictureValues& v = r.values;
    s.bind(1, folder);
    s.bindName(2, name);
    s.bind(3, stamp.size);
    s.bind(4, stamp.modified);
    s.bind(5, stamp.inode);
    s.bind(6, qint64(stamp.mode));
    s.bind(7, qint64(r.outcome));
    if (r.makeRead)
        s.bind(8, r.makeTag);
    if (r.modelRead)
        s.bind(9, r.modelTag);
    s.bind(10, double(v.focalLength));
    s.bind(11, double(v.focalLength35mm));
    s.bind(12, double(v.focalPlane35mm));
    s.bind(13, double(v.aperture));
    s.bind(14, double(v.iso));
    s.bind(15, double(v.exposureTime));
    s.bind(16, v.lens);
    s.bind(17, v.dateText);
    if (!v.messages.isEmpty())
        s.bindBlob(18, packMessages(v.messages));
    s.bind(19, qint64(r.openingMessages));
    s.bind(20, qint64(v.messagesLeftOut));
    s.bind(21, qint64(v.focal35From));
    // What the maker notes hold, for the option that reads them.
    const MakerNoteValues& m = v.makerNotes;
    s.bind(22, double(m.focalLength));
    s.bind(23, double(m.aperture));
    s.bind(24, double(m.iso));
    s.bind(25, double(m.exposureTime));
    s.bind(26, double(m.focalLength35mm));
    s.bind(27, double(m.focalPlane35mm));
}

bool sameStamp(const sqlite::Statement& row, const FileStamp& stamp)
{
    return row.int64(1) == stamp.size && row.int64(2) == stamp.modified &&
           row.int64(3) == stamp.inode && row.int64(4) == stamp.mode;
}

PictureReading reading(const sqlite::Statement& row, SharedTexts* shared)
{
    PictureReading r;
    r.outcome = PictureOutcome(row.int64(5));
    r.makeRead = !row.isNull(6);
    r.makeTag = sharedText(row, 6, shared, 0);
    r.modelRead = !row.isNull(7);
    r.modelTag = sharedText(row, 7, shared, 1);
    nameCamera(&r);
    PictureValues& v = r.values;
    v.focalLength = float(row.real(8));
    v.focalLength35mm = float(row.real(9));
    v.focalPlane35mm = float(row.real(10));
    v.aperture = float(row.real(11));
    v.iso = float(row.real(12));
    v.exposureTime = float(row.real(13));
    v.lens = sharedText(row, 14, shared, 2);
    v.dateText = row.text(15);
    v.messages = unpackMessages(row.data(16), row.size(16));
    r.openingMessages = int(row.int64(17));
    v.messagesLeftOut = int(row.int64(18));
    v.focal35From = Focal35From(row.int64(19));
    MakerNoteValues& m = v.makerNotes;
    m.focalLength = float(row.real(20));
    m.aperture = float(row.real(21));
    m.iso = float(row.real(22));
    m.exposureTime = float(row.real(23));
    m.focalLength35mm = float(row.real(24));
    m.focalPlane35mm = float(row.real(25));
    return r;
}

} // namespace cacherows
