// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_SQLITESTATEMENT_H
#define LENSTALLY_SQLITESTATEMENT_H

// Owners for SQLite's statements and transactions, so that no path through the cache
// leaves a statement unfinalized, a read open or a transaction begun.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct sqlite3;
struct sqlite3_stmt;

namespace sqlite {

// True for the result codes that mean the database file itself is damaged.
bool isDamage(int code);

// Runs statements without results; SQLite's result code.
int exec(sqlite3* db, const char* sql);

// The extended code of the last failure on db, for a call that gave no code of its own.
int lastError(sqlite3* db);

// A prepared statement, finalized when it ends. Its calls are SQLite's, one to one.
class Statement
{
public:
    // No statement: ok() is false.
    Statement() = default;
    // Prepares sql; ok() says whether that worked, code() why not.
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    // Takes other's statement (finalizing its own), leaving other without one.
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // True when the statement was prepared.
    bool ok() const { return statement != nullptr; }
    // The result code of the preparation.
    int code() const { return prepared; }

    // Binds parameter index (from 1); text and bytes are copied unless said otherwise.
    void bind(int index, qint64 value);
    void bind(int index, double value);
    void bind(int index, const QString& text);
    void bindText(int index, const QByteArray& utf8, bool copy = true);
    void bindBlob(int index, const QByteArray& bytes);
    // Binds a file or folder name as the file system's bytes (see fsname).
    void bindName(int index, const QString& name);

    // The next row: SQLITE_ROW, SQLITE_DONE or a failure code.
    int step();
    // Ends the current run and clears the bindings; a Use does it for its scope.
    void reset();

    // Columns of the current row, from 0.
    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // A name stored by bindName, as the walk names it.
    QString name(int column) const;
    // The column's bytes, valid until the next step or reset.
    const char* data(int column) const;
    int size(int column) const;

private:
    sqlite3_stmt* statement = nullptr;
    int prepared = 0;
};

// Uses a statement for its scope: the statement is reset when the scope ends, however it
// ends, so that no read keeps a snapshot of the database open.
class Use
{
public:
    // Uses statement until the scope ends.
    explicit Use(Statement& statement) : statement(statement) {}
    ~Use() { statement.reset(); }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    // The statement in use.
    Statement* operator->() { return &statement; }

private:
    Statement& statement;
};

// A write transaction (BEGIN IMMEDIATE) that is rolled back unless committed.
class Transaction
{
public:
    // Begins it on db; ok() says whether it did.
    explicit Transaction(sqlite3* db);
    // Rolls it back unless it was committed.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // True when it began; else code() says why.
    bool ok() const { return open; }
    // The result code of the begin.
    int code() const { return began; }
    // Commits; SQLITE_OK, or the failure code (then it is rolled back when it ends).
    int commit();

private:
    sqlite3* db;
    int began;
    bool open;
};

} // namespace sqlite

#endif
