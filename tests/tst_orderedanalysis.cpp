// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/ifilter.h"
#include "core/count/stattable.h"
#include "core/read/fastreader.h"
#include "core/session/entryreader.h"
#include "core/session/orderedanalysis.h"
#include "export/htmlexporter.h"
#include "export/resultexport.h"
#include "export/tabexporter.h"
#include "slowfilter.h"
#include "testpictures.h"
#include "testsupport.h"

#include <QScopeGuard>

#include <QtTest>

#include <cmath>

using namespace testpictures;

namespace {

// Both exports of the tables, after the sorts the results display makes.
QByteArray exports(StatTable (&tables)[StatKindCount])
{
    TableSet set;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        tables[kind].sortByValue();
        tables[kind].sortByCount();
        set[size_t(kind)] = &tables[kind];
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TABExporter tab(QString{});
    tab.sections = resultSections(set);
    tab.writeTo(&buffer);
    HTMLExporter html(QString{});
    html.sections = resultSections(set);
    html.writeTo(&buffer);
    return buffer.data();
}

// Every row of every table, in order, with all its fields.
QString dump(StatTable (&tables)[StatKindCount])
{
    QString out;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        out += QStringLiteral("table %1\n").arg(kind);
        for (unsigned i = 0; i < tables[kind].rowCount(); ++i) {
            const StatRow* r = tables[kind].row(i);
            out += QStringLiteral("%1|%2|%3|%4\n")
                       .arg(r->label)
                       .arg(r->key)
                       .arg(r->count)
                       .arg(double(r->percent), 0, 'g', 9);
        }
    }
    return out;
}

// Lets every picture pass after a pause, counting the pictures it is asked about
// once `late` is set.
class LateCountingFilter : public IFilter
{
public:
    bool accepts(const PictureReading&) override
    {
        if (late.loadRelaxed())
            lateCalls.fetchAndAddRelaxed(1);
        QThread::msleep(10);
        return true;
    }
    QAtomicInt late;
    QAtomicInt lateCalls;
};

QString exposureText(float seconds)
{
    // Exact: a float is a dyadic fraction, written as numerator / 2^30.
    return QStringLiteral("%1/1073741824").arg(qint64(std::ldexp(double(seconds), 30)));
}

} // namespace

class TestOrderedAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outcomesArriveInListOrder_data();
    void outcomesArriveInListOrder();
    void stopEndsWithinTheList_data();
    void stopEndsWithinTheList();
    void tablesIdenticalForAnyThreadCount_data();
    void tablesIdenticalForAnyThreadCount();
    void interruptionWithSeveralThreads();
    void interruptionWaitsForNoWholeBatch();
    void messagesOfOtherFilesUnderThreads();

private:
    QTemporaryDir dir;
    QStringList files;    // pictures with ISO 100 + index, and some broken files
    QStringList labelled; // pictures whose exposure label depends on which came first
};

void TestOrderedAnalysis::initTestCase()
{
    for (int i = 0; i < 60; ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        if (i % 7 == 3) {
            QVERIFY(writeBytes(path, "broken"));
        } else {
            QList<Tag> tags =
                typicalTags(i % 2 ? "Canon" : "NIKON", QStringLiteral("M%1").arg(i % 5));
            tags = withTag(tags, "Exif.Photo.ISOSpeedRatings",
                           Tag::textTag("Exif.Photo.ISOSpeedRatings", QString::number(100 + i)));
            QVERIFY(writePicture(path, i % 3 ? Format::Jpeg : Format::Tiff, tags));
        }
        files << path;
    }
    // 1.25 s and the float just below it share a microsecond but read 1.3 and 1.2: two
    // rows, each keyed by the time its label states.
    const float justBelow = std::nextafter(1.25f, 0.0f);
    for (int i = 0; i < 40; ++i) {
        const float seconds = i % 2 ? 1.25f : justBelow;
        const QString path = dir.filePath(QStringLiteral("e%1.jpg").arg(i));
        QVERIFY(
            writePicture(path, Format::Jpeg,
                         withTag(typicalTags(), "Exif.Photo.ExposureTime",
                                 Tag::textTag("Exif.Photo.ExposureTime", exposureText(seconds)))));
        labelled << path;
    }
}

void TestOrderedAnalysis::outcomesArriveInListOrder_data()
{
    QTest::addColumn<int>("jobs");
    for (int jobs : {1, 2, 3, 8})
        QTest::addRow("%d threads", jobs) << jobs;
}

void TestOrderedAnalysis::outcomesArriveInListOrder()
{
    QFETCH(int, jobs);
    QList<int> isos;
    const bool complete = analyseInOrder(
        files, {}, jobs, [] { return false; },
        [&](PictureOutcome outcome, const PictureValues& values) {
            isos << (outcome == PictureOutcome::Counted ? int(values.iso) : -1);
        });
    QVERIFY(complete);
    QCOMPARE(isos.size(), files.size());
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(isos[i], i % 7 == 3 ? -1 : 100 + i);
}

void TestOrderedAnalysis::stopEndsWithinTheList_data()
{
    outcomesArriveInListOrder_data();
}

void TestOrderedAnalysis::stopEndsWithinTheList()
{
    QFETCH(int, jobs);
    int handed = 0;
    const bool complete = analyseInOrder(
        files, {}, jobs, [&handed] { return handed == 5; },
        [&](PictureOutcome, const PictureValues&) { ++handed; });
    QVERIFY(!complete);
    QCOMPARE(handed, 5);
}

void TestOrderedAnalysis::tablesIdenticalForAnyThreadCount_data()
{
    outcomesArriveInListOrder_data();
}

void TestOrderedAnalysis::tablesIdenticalForAnyThreadCount()
{
    QFETCH(int, jobs);
    const QStringList all = files + labelled;
    QString dumps[2];
    QByteArray exported[2];
    for (int pass = 0; pass < 2; ++pass) {
        StatTable tables[StatKindCount];
        QAtomicInt counter;
        EntryReader reader;
        reader.setJobs(pass == 0 ? 1 : jobs);
        reader.setFiles(&counter, all);
        for (int kind = 0; kind < StatKindCount; ++kind)
            reader.setTable(StatKind(kind), &tables[kind]);
        QVERIFY(reader.read([] { return false; }));
        QCOMPARE(counter.loadRelaxed(), all.size());
        dumps[pass] = dump(tables);
        exported[pass] = exports(tables);
    }
    QCOMPARE(dumps[1], dumps[0]);
    QCOMPARE(exported[1], exported[0]);
    QVERIFY(exported[0].contains("<tr><td><b>1.2</b></td>"));
    QVERIFY(dumps[0].contains(QStringLiteral("\n1.2|1200000|20|")));
    QVERIFY(dumps[0].contains(QStringLiteral("\n1.3|1300000|20|")));
}

void TestOrderedAnalysis::interruptionWithSeveralThreads()
{
    const QStringList many(5000, files[0]);
    StatTable iso;
    QAtomicInt counter;
    EntryReader reader;
    SlowFilter slow;
    reader.setJobs(8);
    reader.addFilter(&slow);
    reader.setFiles(&counter, many);
    reader.setTable(Iso, &iso);
    BackgroundRead running(reader);
    QTRY_VERIFY(counter.loadRelaxed() > 10);
    running.stop();
    QVERIFY(running.wait(10000));
    const int done = counter.loadRelaxed();
    QVERIFY(done < many.size());
    QCOMPARE(iso.total(), done);
}

void TestOrderedAnalysis::interruptionWaitsForNoWholeBatch()
{
    // Threads read batches of files; a stop must not wait until every thread has read
    // its batch to the end, only for the file each is reading.
    const int jobs = 4;
    const QStringList many(2000, files[0]);
    StatTable iso;
    QAtomicInt counter;
    EntryReader reader;
    LateCountingFilter filter;
    reader.setJobs(jobs);
    reader.addFilter(&filter);
    reader.setFiles(&counter, many);
    reader.setTable(Iso, &iso);
    BackgroundRead running(reader);
    QTRY_VERIFY(counter.loadRelaxed() > 40);
    filter.late.storeRelaxed(1);
    running.stop();
    QVERIFY(running.wait(10000));
    // At most the file in hand and one more per thread, before each sees the stop.
    QVERIFY2(filter.lateCalls.loadRelaxed() <= 2 * jobs,
             qPrintable(QString::number(filter.lateCalls.loadRelaxed())));
    QCOMPARE(iso.total(), counter.loadRelaxed());
}

void TestOrderedAnalysis::messagesOfOtherFilesUnderThreads()
{
    // The library's messages are the subject: the fast reader would take these files.
    fastread::setEnabled(false);
    const auto restore = qScopeGuard([] { fastread::setEnabled(true); });
    // Damaged XMP packets among clean ones that each bring a namespace of their own: the
    // library's XMP parser shares its state between threads.
    QTemporaryDir xmpDir;
    QStringList xmpFiles;
    const QByteArray jpeg = pictureBytes(Format::Jpeg, typicalTags());
    QVERIFY(!jpeg.isEmpty());
    const QByteArray head = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                            "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>";
    const QByteArray tail = "</rdf:RDF></x:xmpmeta>";
    for (int i = 0; i < 400; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray ns = "http://example.org/ns" + n + "/";
        QByteArray body;
        switch (i % 5) {
        case 0: // a namespace of its own
            body = "<rdf:Description rdf:about='' xmlns:c" + n + "='" + ns + "' c" + n + ":v='1'/>";
            break;
        case 1: // a prefix that other files bind to other namespaces
            body = "<rdf:Description rdf:about='' xmlns:s='" + ns + "' s:v='1'/>";
            break;
        case 2: // well-formed, but no RDF the toolkit accepts
            body = "<rdf:Description rdf:about='' xmlns:c" + n + "='" + ns +
                   "'><rdf:li>1</rdf:li><c" + n + ":v rdf:parseType='Bogus'>x</c" + n +
                   ":v></rdf:Description>";
            break;
        case 3: // not XML at all
            body = "<rdf:Description rdf:about=''><bad></rdf:RDF>";
            break;
        case 4:
            body = "<rdf:Description rdf:about='' "
                   "xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:title>t" +
                   n + "</dc:title></rdf:Description>";
            break;
        }
        const QString path = xmpDir.filePath(QStringLiteral("x%1.jpg").arg(i, 3, 10, QChar('0')));
        QVERIFY(writeBytes(path, withXmp(jpeg, head + body + tail)));
        xmpFiles << path;
    }
    const auto messagesOf = [&xmpFiles](int jobs) {
        QStringList said;
        analyseInOrder(
            xmpFiles, {}, jobs, [] { return false; },
            [&said](PictureOutcome, const PictureValues& values) {
                said << values.messages.join(QLatin1Char('|'));
            });
        return said;
    };
    const QStringList alone = messagesOf(1);
    QCOMPARE(alone.size(), xmpFiles.size());
    for (int i = 0; i < xmpFiles.size(); ++i) // the damaged packets alone draw messages
        QVERIFY2(alone[i].isEmpty() == (i % 5 != 2 && i % 5 != 3),
                 qPrintable(QString::number(i) + alone[i]));
    // Before each picture was read alone, a few dozen files a run drew another's namespace.
    for (int jobs : {4, 4, 4, 1}) {
        const QStringList again = messagesOf(jobs);
        for (int i = 0; i < xmpFiles.size(); ++i)
            QVERIFY2(again[i] == alone[i], qPrintable(QStringLiteral("%1 with %2 jobs: \"%3\"")
                                                          .arg(xmpFiles[i])
                                                          .arg(jobs)
                                                          .arg(again[i])));
    }
}

QTEST_GUILESS_MAIN(TestOrderedAnalysis)
#include "tst_orderedanalysis.moc"
