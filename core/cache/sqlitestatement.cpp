// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cache/sqlitestatement.h"

#include "core/base/fsname.h"

#include <sqlite3.h>

#include <utility>

namespace sqlite {

bool isDamage(int code)
{
    code &= 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

int exec(sqlite3* db, const char* sql)
{
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    // The extended code tells a full disk from other I/O failures.
    return code == SQLITE_OK ? code : sqlite3_extended_errcode(db);
}

int lastError(sqlite3* db)
{
    return sqlite3_extended_errcode(db);
}

Statement::Statement(sqlite3* db, const char* sql)
{
    prepared = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (prepared != SQLITE_OK) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(statement);
}

Statement::Statement(Statement&& other) noexcept
    : statement(std::exchange(other.statement, nullptr)), prepared(other.prepared)
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(statement);
        statement = std::exchange(other.statement, nullptr);
        prepared = other.prepared;
    }
    return *this;
}

void Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(statement, index, value);
}

void Statement::bind(int index, double value)
{
    sqlite3_bind_double(statement, index, value);
}

void Statement::bind(int index, const QString& text)
{
    bindText(index, text.toUtf8());
}

void Statement::bindText(int index, const QByteArray& utf8, bool copy)
{
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()),
                      copy ? SQLITE_TRANSIENT : SQLITE_STATIC);
}

void Statement::bindBlob(int index, const QByteArray& bytes)
{
    sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

void Statement::bindName(int index, const QString& name)
{
    bindText(index, fsname::encode(name));
}

int Statement::step()
{
    return statement ? sqlite3_step(statement) : SQLITE_MISUSE;
}

void Statement::reset()
{
    if (!statement)
        return;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

qint64 Statement::int64(int column) const
{
    return sqlite3_column_int64(statement, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(statement, column);
}

QString Statement::text(int column) const
{
    const char* bytes = data(column); // before size(): it may convert the value
    return QString::fromUtf8(bytes, size(column));
}

QString Statement::name(int column) const
{
    return fsname::decode(QByteArray(data(column), size(column)));
}

const char* Statement::data(int column) const
{
    // As a blob: the bytes as stored, without a text conversion.
    return static_cast<const char*>(sqlite3_column_blob(statement, column));
}

int Statement::size(int column) const
{
    return sqlite3_column_bytes(statement, column);
}

Transaction::Transaction(sqlite3* db) : db(db), began(exec(db, "BEGIN IMMEDIATE"))
{
    open = began == SQLITE_OK;
}

Transaction::~Transaction()
{
    if (open)
        exec(db, "ROLLBACK");
}

int Transaction::commit()
{
    const int code = exec(db, "COMMIT");
    if (code == SQLITE_OK)
        open = false;
    return code;
}

} // namespace sqlite
