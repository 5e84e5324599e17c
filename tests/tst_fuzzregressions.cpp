// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every input committed under fuzz/regressions through the checks the fuzz
// targets run, in the plain and the sanitizer builds alike, as bytes and as a file.

#include "core/count/stattable.h"
#include "core/session/entryreader.h"
#include "fuzzchecks.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class FuzzRegressionsTest : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void FuzzRegressionsTest::replay_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("path");
    int inputs = 0;
    for (const QString& kind : {QStringLiteral("picture"), QStringLiteral("names")}) {
        const QDir dir(QStringLiteral(LENSTALLY_REGRESSIONS_DIR "/") + kind);
        for (const QFileInfo& file : dir.entryInfoList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(kind + QLatin1Char('/') + file.fileName()))
                << kind << file.absoluteFilePath();
            ++inputs;
        }
    }
    if (inputs == 0)
        qFatal("no regression inputs below %s", LENSTALLY_REGRESSIONS_DIR);
}

void FuzzRegressionsTest::replay()
{
    QFETCH(QString, kind);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (kind == QLatin1String("names")) {
        const QString problem = fuzzchecks::checkNames(data, std::size_t(bytes.size()));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        return;
    }
    const QString problem = fuzzchecks::checkPicture(data, std::size_t(bytes.size()));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // As a file read by the reading step: the same outcome as from memory.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("input.jpg"));
    QVERIFY(QFile::copy(path, copy));
    PictureValues fromMemory;
    const bool counted =
        analyseBuffer(reinterpret_cast<const unsigned char*>(bytes.constData()),
                      std::size_t(bytes.size()), {}, &fromMemory) == PictureOutcome::Counted;
    QAtomicInt progress;
    StatTable cameras;
    EntryReader reader;
    reader.setFiles(&progress, {copy});
    reader.setTable(Camera, &cameras);
    BackgroundRead running(reader);
    QVERIFY(running.wait(60000));
    QCOMPARE(progress.loadRelaxed(), 1);
    QCOMPARE(cameras.total(), counted ? 1 : 0);
}

QTEST_GUILESS_MAIN(FuzzRegressionsTest)
#include "tst_fuzzregressions.moc"
