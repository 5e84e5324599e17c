// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/countingoptions.h"
#include "core/read/cropfactor.h"
#include "core/session/analysisrequest.h"
#include "core/session/analysisresult.h"
#include "core/session/analysissession.h"
#include "testpictures.h"

#include <QtTest>

using namespace testpictures;

Q_DECLARE_METATYPE(testpictures::Tag)

namespace {

QList<Tag> shotTags(const QString& model, const QString& date = "2024:06:01 10:00:00")
{
    QList<Tag> tags = typicalTags("Maker", model);
    if (!date.isEmpty())
        tags << Tag::textTag("Exif.Photo.DateTimeOriginal", date);
    return tags;
}

// The analysis the window and the report run, over folder with the options.
std::unique_ptr<AnalysisSession> analyse(AnalysisRequest request, const QString& folder)
{
    request.folder = folder;
    request.jpeg = request.tiff = request.raw = request.heif = true;
    auto session = std::make_unique<AnalysisSession>();
    session->start(request);
    session->wait();
    if (session->refusal() != Refusal::None)
        return nullptr;
    return session;
}

QStringList rows(const StatTable& table)
{
    QStringList list;
    for (unsigned i = 0; i < table.rowCount(); ++i)
        list << table.row(i)->label + '|' + QString::number(table.row(i)->count);
    list.sort();
    return list;
}

} // namespace

class TestCountingOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void focalPlane_data();
    void focalPlane();
    void takenOn_data();
    void takenOn();
    void shotNumbers();
    void options_data();
    void options();
    void pairsIndependentOfThreads();
    void valueRules_data();
    void valueRules();

private:
    QTemporaryDir dir;
};

void TestCountingOptions::initTestCase()
{
    const QString t = dir.path();
    QVERIFY(QDir().mkpath(t + "/a") && QDir().mkpath(t + "/b"));
    // A shot whose RAW is unreadable: its JPEG counts.
    QVERIFY(writeBytes(t + "/a/IMG_1.CR2", "damaged"));
    QVERIFY(writePicture(t + "/a/IMG_1.JPG", Format::Jpeg, shotTags("jpeg 1")));
    // RAW, JPEG and HEIF of one shot: the RAW counts.
    QVERIFY(writePicture(t + "/a/IMG_2.JPG", Format::Jpeg, shotTags("jpeg 2")));
    QVERIFY(writePicture(t + "/a/IMG_2.CR2", Format::Tiff, shotTags("raw 2")));
    QVERIFY(writePicture(t + "/a/img_2.heic", Format::Heif, shotTags("heif 2")));
    // Names differing in case only.
    QVERIFY(
        writePicture(t + "/a/dsc_3.jpg", Format::Jpeg, shotTags("jpeg 3", "2023:12:31 23:59:59")));
    QVERIFY(
        writePicture(t + "/a/DSC_3.NEF", Format::Tiff, shotTags("raw 3", "2023:12:31 23:59:59")));
    // Same name in another folder: another shot. No date at all.
    QVERIFY(writePicture(t + "/b/IMG_1.JPG", Format::Jpeg, shotTags("other folder", "")));
    // Focal-plane tags only: 23.6 x 15.6 mm in centimetres, 50 mm makes 76 mm.
    QList<Tag> plane =
        withoutTag(shotTags("plane", "2025:01:01 00:00:00"), "Exif.Photo.FocalLengthIn35mmFilm");
    plane << Tag::textTag("Exif.Photo.FocalPlaneXResolution", "492800/236")
          << Tag::textTag("Exif.Photo.FocalPlaneResolutionUnit", "3")
          << Tag::textTag("Exif.Photo.PixelXDimension", "4928")
          << Tag::textTag("Exif.Photo.PixelYDimension", "3264");
    QVERIFY(writePicture(t + "/b/plane.jpg", Format::Jpeg, plane));
}

void TestCountingOptions::focalPlane_data()
{
    QTest::addColumn<float>("focal");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("unit");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("expected");
    // 36 x 24 mm, 4368 x 2912 pixels, in inches.
    QTest::newRow("full frame, inches")
        << 50.f << 3081.9f << 3081.9f << 2 << 4368.f << 2912.f << 50.f;
    QTest::newRow("unit absent is inches")
        << 50.f << 3081.9f << 0.f << 0 << 4368.f << 2912.f << 50.f;
    QTest::newRow("APS-C, centimetres")
        << 50.f << 2088.1f << 2092.3f << 3 << 4928.f << 3264.f << 76.f;
    QTest::newRow("one inch, millimetres")
        << 10.4f << 414.5f << 414.5f << 4 << 5472.f << 3648.f << 28.f;
    QTest::newRow("one inch, micrometres")
        << 10.4f << 0.4145f << 0.4145f << 5 << 5472.f << 3648.f << 28.f;
    QTest::newRow("no resolution") << 50.f << 0.f << 0.f << 2 << 4368.f << 2912.f << 0.f;
    QTest::newRow("no size") << 50.f << 3081.9f << 3081.9f << 2 << 0.f << 0.f << 0.f;
    QTest::newRow("sides 2:1") << 50.f << 3081.9f << 3081.9f << 2 << 5824.f << 2912.f << 0.f;
    QTest::newRow("diagonal 100 mm or more")
        << 50.f << 100.f << 100.f << 2 << 4000.f << 3000.f << 0.f;
    QTest::newRow("diagonal 1 mm or less")
        << 5.f << 4000.f << 4000.f << 4 << 3000.f << 2250.f << 0.f;
}

void TestCountingOptions::focalPlane()
{
    QFETCH(float, focal);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(int, unit);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, expected);
    QCOMPARE(focalPlane35mm(focal, {x, y, unit, width, height}), expected);
}

void TestCountingOptions::takenOn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("day");
    QTest::newRow("Exif date") << "2024:02:29 10:00:00" << QDate(2024, 2, 29);
    QTest::newRow("date alone") << "2200:12:31" << QDate(2200, 12, 31);
    QTest::newRow("no such day") << "2023:02:29 10:00:00" << QDate();
    QTest::newRow("month 13") << "2024:13:01" << QDate();
    QTest::newRow("before photography") << "1825:12:31" << QDate();
    QTest::newRow("dashes") << "2024-02-01" << QDate();
    QTest::newRow("blank date") << "    :  :     :  :  " << QDate();
}

void TestCountingOptions::takenOn()
{
    QFETCH(QString, text);
    QFETCH(QDate, day);
    QCOMPARE(::takenOn(text), day);
}

void TestCountingOptions::shotNumbers()
{
    const QStringList files{"/p/IMG_1.CR2",  "/p/img_1.jpg",   "/q/IMG_1.JPG",
                            "/p/IMG_1.HEIC", "/p/IMG_1.x.jpg", "/P/IMG_1.JPG"};
    QCOMPARE(::shotNumbers(files), (std::vector<int>{0, 0, 1, 0, 2, 3}));
}

void TestCountingOptions::options_data()
{
    QTest::addColumn<bool>("estimate");
    QTest::addColumn<bool>("pairs");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("until");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("cameras");
    QTest::addColumn<QStringList>("focal35");
    const QStringList all{"Maker - heif 2|1", "Maker - jpeg 1|1",       "Maker - jpeg 2|1",
                          "Maker - jpeg 3|1", "Maker - other folder|1", "Maker - plane|1",
                          "Maker - raw 2|1",  "Maker - raw 3|1"};
    const QString none = "9 files: 8 counted, 0 filtered out, 0 without usable data, 1 unreadable";
    QTest::newRow("all off") << false << false << QDate() << QDate() << none << all
                             << QStringList{"0|1", "75|7"};
    QTest::newRow("35 mm estimate")
        << true << false << QDate() << QDate() << none << all << QStringList{"75|7", "76|1"};
    QTest::newRow("pairs once")
        << false << true << QDate() << QDate()
        << "9 files: 5 counted, 0 filtered out, 0 without usable data, 1 unreadable, "
           "3 pair duplicates"
        << QStringList{"Maker - jpeg 1|1", "Maker - other folder|1", "Maker - plane|1",
                       "Maker - raw 2|1", "Maker - raw 3|1"}
        << QStringList{"0|1", "75|4"};
    QTest::newRow("from a day, open end")
        << false << false << QDate(2024, 6, 1) << QDate()
        << "9 files: 5 counted, 0 filtered out, 0 without usable data, 1 unreadable, "
           "3 outside the dates"
        << QStringList{"Maker - heif 2|1", "Maker - jpeg 1|1", "Maker - jpeg 2|1",
                       "Maker - plane|1", "Maker - raw 2|1"}
        << QStringList{"0|1", "75|4"};
    QTest::newRow("until a day, pairs once")
        << false << true << QDate() << QDate(2023, 12, 31)
        << "9 files: 1 counted, 0 filtered out, 0 without usable data, 1 unreadable, "
           "1 pair duplicates, 6 outside the dates"
        << QStringList{"Maker - raw 3|1"} << QStringList{"75|1"};
}

void TestCountingOptions::options()
{
    QFETCH(bool, estimate);
    QFETCH(bool, pairs);
    QFETCH(QDate, from);
    QFETCH(QDate, until);
    QFETCH(QString, summary);
    QFETCH(QStringList, cameras);
    QFETCH(QStringList, focal35);
    AnalysisRequest request;
    request.estimate35mm = estimate;
    request.pairsOnce = pairs;
    request.takenFrom = from;
    request.takenUntil = until;
    const auto result = analyse(request, dir.path());
    QVERIFY(result);
    QCOMPARE(result->result().outcomes.summary(pairs, request.hasDateRange()), summary);
    QCOMPARE(rows(result->result().table(StatKind::Camera)), cameras);
    QCOMPARE(rows(result->result().table(StatKind::FocalLength35mm)), focal35);
}

void TestCountingOptions::pairsIndependentOfThreads()
{
    // Many shots of three files each: the one counted must not depend on reading order.
    QTemporaryDir many;
    for (int i = 0; i < 60; ++i) {
        const QString base = many.filePath(QString("S_%1").arg(i));
        QVERIFY(writePicture(base + ".jpg", Format::Jpeg, shotTags("jpeg")));
        QVERIFY(writePicture(base + ".nef", Format::Tiff, shotTags(QString("raw %1").arg(i % 3))));
        QVERIFY(writePicture(base + ".heic", Format::Heif, shotTags("heif")));
    }
    QStringList first;
    for (int jobs : {1, 2, 8}) {
        AnalysisRequest request;
        request.pairsOnce = true;
        request.jobs = jobs;
        const auto result = analyse(request, many.path());
        QVERIFY(result);
        QCOMPARE(result->result().outcomes.pairDuplicates, 120);
        const QStringList cameras = rows(result->result().table(StatKind::Camera));
        QCOMPARE(cameras,
                 (QStringList{"Maker - raw 0|20", "Maker - raw 1|20", "Maker - raw 2|20"}));
    }
}

QTEST_GUILESS_MAIN(TestCountingOptions)
#include "tst_countingoptions.moc"

void TestCountingOptions::valueRules_data()
{
    QTest::addColumn<QList<Tag>>("tags");
    QTest::addColumn<bool>("makerNotes");
    QTest::addColumn<bool>("incomplete");
    QTest::addColumn<QString>("counted"); // focal length, f-number, ISO, exposure; "" for none

    const QString iso = "Exif.Photo.ISOSpeedRatings";
    // Canon's shot info keeps ISO 100 as 160: the printed value counts, not the number.
    const QList<Tag> isoInMakerNotes = withoutTag(typicalTags(), iso)
                                       << Tag::textTag("Exif.CanonSi.ISOSpeed", "160");
    QTest::newRow("ISO in the maker notes, options off") << isoInMakerNotes << false << false << "";
    QTest::newRow("ISO in the maker notes, read")
        << isoInMakerNotes << true << false << "50 2.8 100 1/125";
    QTest::newRow("ISO in the maker notes, incomplete")
        << isoInMakerNotes << false << true << "50 2.8 Unknown 1/125";
    const QList<Tag> noIso = withoutTag(typicalTags(), iso);
    QTest::newRow("no ISO, maker notes read") << noIso << true << false << "";
    QTest::newRow("no ISO, incomplete") << noIso << false << true << "50 2.8 Unknown 1/125";
    const QList<Tag> exposureOnly{Tag::textTag("Exif.Image.Make", "Canon"),
                                  Tag::textTag("Exif.Photo.ExposureTime", "1/125")};
    QTest::newRow("exposure only, incomplete")
        << exposureOnly << true << true << "Unknown Unknown Unknown 1/125";
    const QList<Tag> focalOnly{Tag::textTag("Exif.Image.Make", "Canon"),
                               Tag::textTag("Exif.Photo.FocalLength", "50/1")};
    QTest::newRow("focal length only, incomplete")
        << focalOnly << false << true << "50 Unknown Unknown Unknown";
    QTest::newRow("none of the four, both on")
        << QList<Tag>{Tag::textTag("Exif.Image.Make", "Canon")} << true << true << "";
}

void TestCountingOptions::valueRules()
{
    QFETCH(QList<Tag>, tags);
    QFETCH(bool, makerNotes);
    QFETCH(bool, incomplete);
    QFETCH(QString, counted);
    QTemporaryDir folder;
    QVERIFY(writePicture(folder.filePath("p.jpg"), Format::Jpeg,
                         tags << Tag::textTag("Exif.Photo.DateTimeOriginal", "2024:06:01 10:00")));
    AnalysisRequest request;
    request.makerNotes = makerNotes;
    request.countIncomplete = incomplete;
    const auto session = analyse(request, folder.path());
    QVERIFY(session);
    const AnalysisResult& result = session->result();
    QCOMPARE(result.outcomes.counted, counted.isEmpty() ? 0 : 1);
    QCOMPARE(result.outcomes.unusable, counted.isEmpty() ? 1 : 0);
    QStringList values;
    for (StatKind kind : {FocalLength, Aperture, Iso, ExposureTime}) {
        const StatTable& table = result.table(kind);
        if (table.rowCount() == 1)
            values << table.row(0)->label;
    }
    QCOMPARE(values.join(' '), counted);
    // A picture counted without all four values keeps what the other tables count.
    QCOMPARE(rows(result.table(Year)), counted.isEmpty() ? QStringList() : QStringList{"2024|1"});
}
