// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CACHEROWS_H
#define LENSTALLY_CACHEROWS_H

// One file's entry in the reading cache: its stamp and its reading as columns.

#include "core/cache/filestamp.h"
#include "core/read/picturereading.h"

#include <QByteArray>
#include <QString>

namespace sqlite {
class Statement;
}

namespace cacherows {

// The files table, one row per file of a folder.
extern const char kCreateFiles[];

// A query for the entries of up to names files of one folder: ?1 the folder's id, ?2 and
// on the names. Rows start with the name.
QByteArray lookUpSql(int names);

// The statement that writes an entry, bound by bindEntry.
QByteArray insertSql();

// Binds a file's entry to the insert statement.
void bindEntry(sqlite::Statement& insert, qint64 folder, const QString& name,
               const FileStamp& stamp, const PictureReading& reading);

// True when the lookup's row was kept for a file with this stamp.
bool sameStamp(const sqlite::Statement& row, const FileStamp& stamp);

// The last texts read from the make, model and lens columns: a library's files mostly
// repeat their camera and lens, and sharing the strings spares an allocation each.
struct SharedTexts
{
    QByteArray bytes[3];
    QString texts[3];
};

// The reading kept in the lookup's row.
PictureReading reading(const sqlite::Statement& row, SharedTexts* shared);

} // namespace cacherows

#endif
