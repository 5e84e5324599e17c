// SPDX-License-Identifier: GPL-3.0-or-later
// The SQLite owners of the reading cache: a transaction left uncommitted is rolled back,
// and a statement used in a scope is ready to run again afterwards.
#include "core/cache/sqlitestatement.h"

#include <QtTest>

#include <sqlite3.h>

class TestSqliteStatement : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void transactionKeepsOnlyWhatWasCommitted_data();
    void transactionKeepsOnlyWhatWasCommitted();
    void useResetsTheStatementAndItsBindings();

private:
    sqlite3* db = nullptr;
};

void TestSqliteStatement::init()
{
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    QCOMPARE(sqlite::exec(db, "CREATE TABLE t (v INTEGER); INSERT INTO t VALUES (1), (2)"),
             SQLITE_OK);
}

void TestSqliteStatement::cleanup()
{
    sqlite3_close(db);
    db = nullptr;
}

void TestSqliteStatement::transactionKeepsOnlyWhatWasCommitted_data()
{
    QTest::addColumn<bool>("commit");
    QTest::addColumn<qint64>("rows");
    QTest::newRow("committed") << true << qint64(3);
    QTest::newRow("left") << false << qint64(2);
}

void TestSqliteStatement::transactionKeepsOnlyWhatWasCommitted()
{
    QFETCH(bool, commit);
    QFETCH(qint64, rows);
    {
        sqlite::Transaction transaction(db);
        QVERIFY(transaction.ok());
        QCOMPARE(sqlite::exec(db, "INSERT INTO t VALUES (3)"), SQLITE_OK);
        if (commit)
            QCOMPARE(transaction.commit(), SQLITE_OK);
    }
    // No transaction is left open: another one begins.
    QVERIFY(sqlite::Transaction(db).ok());
    sqlite::Statement count(db, "SELECT count(*) FROM t");
    QCOMPARE(count.step(), SQLITE_ROW);
    QCOMPARE(count.int64(0), rows);
}

void TestSqliteStatement::useResetsTheStatementAndItsBindings()
{
    sqlite::Statement select(db, "SELECT v, ?1 FROM t ORDER BY v");
    QVERIFY(select.ok());
    {
        sqlite::Use use(select);
        use->bind(1, QStringLiteral("bound"));
        QCOMPARE(use->step(), SQLITE_ROW);
        QCOMPARE(use->step(), SQLITE_ROW);
        QCOMPARE(select.int64(0), qint64(2));
        QCOMPARE(select.text(1), QStringLiteral("bound"));
    }
    // From the first row again, the parameter unbound.
    QCOMPARE(select.step(), SQLITE_ROW);
    QCOMPARE(select.int64(0), qint64(1));
    QVERIFY(select.isNull(1));
    QVERIFY(!sqlite::Statement(db, "SELECT nonsense FROM nowhere").ok());
}

QTEST_GUILESS_MAIN(TestSqliteStatement)
#include "tst_sqlitestatement.moc"
