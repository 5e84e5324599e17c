// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CACHEDATABASE_H
#define LENSTALLY_CACHEDATABASE_H

// The reading cache's database file: opening it with its layout and rules up to date, and
// setting a damaged one aside.

#include <QString>

struct sqlite3;

namespace cachedb {

enum class State
{
    Ready,
    Unopened, // SQLite could not open the file
    Damaged,  // not a database, or a damaged one
    Newer,    // written by a newer version of the program
    Failed,   // anything else: locked for too long, no room, no permission
};

// Opens or creates the database at path and brings its layout and reading rules up to
// date; *db is the open database when Ready, else null with *error saying why.
State open(const QString& path, sqlite3** db, QString* error);

// Moves the database at path (with its journal) out of the way and deletes the copies
// set aside before it; the new name, or "" when it could not be moved.
QString setAside(const QString& path);

} // namespace cachedb

#endif
