// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/ifilter.h"
#include "core/count/makefilter.h"
#include "core/count/modelfilter.h"
#include "core/count/stattable.h"
#include "core/session/entryreader.h"
#include "slowfilter.h"
#include "testpictures.h"
#include "testsupport.h"

#include <QtTest>

#include <limits>

using namespace testpictures;

Q_DECLARE_METATYPE(testpictures::Tag)

namespace {

// The tables registered with a reader, read back as "label:count" lists.
struct Tables
{
    StatTable tables[StatKindCount];

    void registerWith(EntryReader& reader)
    {
        for (int kind = 0; kind < StatKindCount; ++kind)
            reader.setTable(StatKind(kind), &tables[kind]);
    }
    QStringList rows(StatKind kind) const
    {
        QStringList out;
        const StatTable& t = tables[kind];
        for (unsigned i = 0; i < t.rowCount(); ++i)
            out << t.row(i)->label + QLatin1Char(':') + QString::number(t.row(i)->count);
        return out;
    }
    int totalRows() const
    {
        int n = 0;
        for (const StatTable& t : tables)
            n += int(t.rowCount());
        return n;
    }
};

// Runs a reader over files to its end; returns the final counter.
int runReader(const QStringList& files, Tables& tables, const QVector<IFilter*>& filters = {})
{
    QAtomicInt counter(-1);
    EntryReader reader;
    reader.setFiles(&counter, files);
    for (IFilter* f : filters)
        reader.addFilter(f);
    tables.registerWith(reader);
    reader.read([] { return false; });
    return counter.loadRelaxed();
}

const QString kFocal = QStringLiteral("Exif.Photo.FocalLength");
const QString kFocal35 = QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm");
const QString kFNumber = QStringLiteral("Exif.Photo.FNumber");
const QString kIso = QStringLiteral("Exif.Photo.ISOSpeedRatings");
const QString kExposure = QStringLiteral("Exif.Photo.ExposureTime");

} // namespace

class TestEntryReader : public QObject
{
    Q_OBJECT

private slots:
    void typicalPictureFillsEveryTable();
    void tagValues_data();
    void tagValues();
    void makeIsTrimmed();
    void counterReachesFileCountForEveryOutcome();
    void emptyFileListLeavesTablesEmpty();
    void setTableTwiceKeepsTheFirst();
    void filtersAskedInOrder_data();
    void filtersAskedInOrder();
    void nonLatinFolderNamesAreRead_data();
    void nonLatinFolderNamesAreRead();
    void interruptionStopsBeforeTheNextFile();
    void wholeFolderRun();

private:
    QTemporaryDir dir;
    int serial = 0;
    QString write(const QList<Tag>& tags, Format format = Format::Jpeg)
    {
        const QString path = dir.filePath(
            QStringLiteral("p%1.%2").arg(++serial).arg(format == Format::Jpeg ? "jpg" : "tif"));
        return writePicture(path, format, tags) ? path : QString();
    }
};

void TestEntryReader::typicalPictureFillsEveryTable()
{
    for (Format format : {Format::Jpeg, Format::Tiff}) {
        Tables t;
        const QString path = write(typicalTags("Canon", "Canon EOS 7D"), format);
        QVERIFY(!path.isEmpty());
        QCOMPARE(runReader({path}, t), 1);
        QCOMPARE(t.rows(FocalLength), QStringList{"50:1"});
        QCOMPARE(t.rows(FocalLength35mm), QStringList{"75:1"});
        QCOMPARE(t.rows(Aperture), QStringList{"2.8:1"});
        QCOMPARE(t.rows(Iso), QStringList{"200:1"});
        QCOMPARE(t.rows(ExposureTime), QStringList{"1/125:1"});
        QCOMPARE(t.rows(Camera), QStringList{"Canon - Canon EOS 7D:1"});
        QCOMPARE(t.tables[Camera].row(0)->percent, 100.0f);
    }
}

void TestEntryReader::tagValues_data()
{
    // One tag of the typical picture replaced; what the 35 mm and the focal length
    // tables then hold ("" = the picture is not counted at all).
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("key");
    QTest::addColumn<Tag>("tag"); // empty key: the tag is removed
    QTest::addColumn<QString>("focal");
    QTest::addColumn<QString>("focal35");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Tag none;
    QTest::newRow("no 35mm tag, 1.6 camera") << "Canon"
                                             << "Canon EOS 7D" << kFocal35 << none << "50:1"
                                             << "80:1";
    QTest::newRow("no 35mm tag, 1.3 camera") << "Canon"
                                             << "Canon EOS-1D" << kFocal35 << none << "50:1"
                                             << "65:1";
    QTest::newRow("no 35mm tag, unknown camera") << "NIKON"
                                                 << "D70" << kFocal35 << none << "50:1"
                                                 << "0:1";
    QTest::newRow("35mm tag 0 uses the estimate")
        << "OLYMPUS"
        << "E-M5" << kFocal35 << Tag::textTag(kFocal35, "0") << "50:1"
        << "100:1";
    QTest::newRow("35mm NaN uses the estimate")
        << "OLYMPUS"
        << "E-M5" << kFocal35 << Tag::floatTag(kFocal35, nan) << "50:1"
        << "100:1";
    QTest::newRow("35mm huge uses the estimate")
        << "OLYMPUS"
        << "E-M5" << kFocal35 << Tag::doubleTag(kFocal35, 1e300) << "50:1"
        << "100:1";
    QTest::newRow("no ISO") << "Canon"
                            << "Canon EOS 7D" << kIso << none << ""
                            << "";
    QTest::newRow("ISO 0") << "Canon"
                           << "Canon EOS 7D" << kIso << Tag::textTag(kIso, "0") << ""
                           << "";
    QTest::newRow("no exposure") << "Canon"
                                 << "Canon EOS 7D" << kExposure << none << ""
                                 << "";
    QTest::newRow("exposure 1e-10 s")
        << "Canon"
        << "Canon EOS 7D" << kExposure << Tag::doubleTag(kExposure, 1e-10) << ""
        << "";
    QTest::newRow("exposure NaN") << "Canon"
                                  << "Canon EOS 7D" << kExposure << Tag::floatTag(kExposure, nan)
                                  << ""
                                  << "";
    QTest::newRow("exposure inf") << "Canon"
                                  << "Canon EOS 7D" << kExposure << Tag::floatTag(kExposure, inf)
                                  << ""
                                  << "";
    QTest::newRow("focal 0/1") << "Canon"
                               << "Canon EOS 7D" << kFocal << Tag::textTag(kFocal, "0/1") << ""
                               << "";
    QTest::newRow("focal 0.05") << "Canon"
                                << "Canon EOS 7D" << kFocal << Tag::textTag(kFocal, "5/100") << ""
                                << "";
    QTest::newRow("focal 0.1 as float passes in double")
        << "Canon"
        << "Canon EOS 7D" << kFocal << Tag::floatTag(kFocal, 0.1f) << "0.1:1"
        << "75:1";
    QTest::newRow("focal 1/10 passes")
        << "Canon"
        << "Canon EOS 7D" << kFocal << Tag::textTag(kFocal, "1/10") << "0.1:1"
        << "75:1";
    QTest::newRow("focal NaN") << "Canon"
                               << "Canon EOS 7D" << kFocal << Tag::floatTag(kFocal, nan) << ""
                               << "";
    QTest::newRow("focal 1e9") << "Canon"
                               << "Canon EOS 7D" << kFocal << Tag::doubleTag(kFocal, 1e9) << ""
                               << "";
    QTest::newRow("focal just below 1e9")
        << "Canon"
        << "Canon EOS 7D" << kFocal << Tag::doubleTag(kFocal, 999999936.0) << "999999936:1"
        << "75:1";
    QTest::newRow("f-number 0.05")
        << "Canon"
        << "Canon EOS 7D" << kFNumber << Tag::textTag(kFNumber, "5/100") << ""
        << "";
    QTest::newRow("f-number -inf")
        << "Canon"
        << "Canon EOS 7D" << kFNumber << Tag::floatTag(kFNumber, -inf) << ""
        << "";
    QTest::newRow("rational with zero denominator")
        << "Canon"
        << "Canon EOS 7D" << kFocal << Tag::textTag(kFocal, "50/0") << ""
        << "";
}

void TestEntryReader::tagValues()
{
    QFETCH(QString, make);
    QFETCH(QString, model);
    QFETCH(QString, key);
    QFETCH(Tag, tag);
    QFETCH(QString, focal);
    QFETCH(QString, focal35);

    const QString path = write(withTag(typicalTags(make, model), key, tag));
    QVERIFY(!path.isEmpty());
    Tables t;
    QCOMPARE(runReader({path}, t), 1);
    if (focal.isEmpty()) {
        QCOMPARE(t.totalRows(), 0);
        return;
    }
    QCOMPARE(t.rows(FocalLength), QStringList{focal});
    QCOMPARE(t.rows(FocalLength35mm), QStringList{focal35});
    QCOMPARE(t.rows(Camera), QStringList{make + " - " + model + ":1"});
}

void TestEntryReader::makeIsTrimmed()
{
    Tables t;
    const QStringList files{write(typicalTags("  Canon ", "Canon EOS 7D")),
                            write(typicalTags("Canon", " Canon EOS 7D  "))};
    QCOMPARE(runReader(files, t), 2);
    QCOMPARE(t.rows(Camera), QStringList{"Canon - Canon EOS 7D:2"});
}

void TestEntryReader::counterReachesFileCountForEveryOutcome()
{
    const QByteArray jpeg = pictureBytes(Format::Jpeg, typicalTags());
    QVERIFY(!jpeg.isEmpty());
    const QString empty = dir.filePath("empty.jpg");
    const QString text = dir.filePath("text.jpg");
    const QString truncated = dir.filePath("truncated.jpg");
    const QString missing = dir.filePath("missing.jpg");
    QVERIFY(writeBytes(empty, QByteArray()));
    QVERIFY(writeBytes(text, "this is not a picture"));
    QVERIFY(writeBytes(truncated, jpeg.left(jpeg.size() / 2)));
    const QString good = write(typicalTags());
    const QString unusable = write(withoutTag(typicalTags(), kIso));
    const QString nikon = write(typicalTags("NIKON", "D70"));
    const QString noTags = write({});

    MakeFilter filter(QStringList{"Canon"});
    Tables t;
    const QStringList files{empty, text, truncated, missing, good, unusable, nikon, noTags, good};
    QCOMPARE(runReader(files, t, {&filter}), files.size());
    QCOMPARE(t.rows(Camera), QStringList{"Canon - Canon EOS 7D:2"});
}

void TestEntryReader::emptyFileListLeavesTablesEmpty()
{
    Tables t;
    QCOMPARE(runReader({}, t), 0);
    QCOMPARE(t.totalRows(), 0);
}

void TestEntryReader::setTableTwiceKeepsTheFirst()
{
    StatTable first, second;
    QAtomicInt counter;
    EntryReader reader;
    reader.setFiles(&counter, {write(typicalTags())});
    reader.setTable(Iso, &first);
    reader.setTable(Iso, &second);
    reader.read([] { return false; });
    QCOMPARE(first.rowCount(), 1u);
    QCOMPARE(second.rowCount(), 0u);
}

void TestEntryReader::filtersAskedInOrder_data()
{
    QTest::addColumn<QString>("makes");
    QTest::addColumn<bool>("exceptMake");
    QTest::addColumn<QString>("models");
    QTest::addColumn<bool>("exceptModel");
    QTest::addColumn<QStringList>("cameras");
    const QString both = "Canon - Canon EOS 7D:1";
    QTest::newRow("make only") << "canon" << false << "" << false << QStringList{both};
    QTest::newRow("except make") << "canon" << true << "" << false
                                 << QStringList{"NIKON - NIKON D70s:1", "OLYMPUS - E-M5:1"};
    QTest::newRow("make and model")
        << "canon,nikon" << false << "D70" << false << QStringList{"NIKON - NIKON D70s:1"};
    QTest::newRow("make and except model")
        << "canon,nikon" << false << "D70" << true << QStringList{both};
    QTest::newRow("no filter") << "" << false << "" << false
                               << QStringList{both, "NIKON - NIKON D70s:1", "OLYMPUS - E-M5:1"};
}

void TestEntryReader::filtersAskedInOrder()
{
    QFETCH(QString, makes);
    QFETCH(bool, exceptMake);
    QFETCH(QString, models);
    QFETCH(bool, exceptModel);
    QFETCH(QStringList, cameras);

    const QStringList files{write(typicalTags("Canon", "Canon EOS 7D")),
                            write(typicalTags("NIKON", "NIKON D70s")),
                            write(typicalTags("OLYMPUS", "E-M5"))};
    MakeFilter make(makes.split(',', Qt::SkipEmptyParts));
    make.except = exceptMake;
    ModelFilter model(models.split(',', Qt::SkipEmptyParts));
    model.except = exceptModel;
    QVector<IFilter*> filters;
    if (!makes.isEmpty())
        filters << &make;
    if (!models.isEmpty())
        filters << &model;
    Tables t;
    QCOMPARE(runReader(files, t, filters), 3);
    QCOMPARE(t.rows(Camera), cameras);
}

void TestEntryReader::nonLatinFolderNamesAreRead_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("Cyrillic") << QString::fromUtf8("Фотографии");
    QTest::newRow("Greek") << QString::fromUtf8("Φωτογραφίες");
    QTest::newRow("Japanese") << QString::fromUtf8("写真");
    QTest::newRow("Latin-1 letters") << QString::fromUtf8("Übersicht é");
}

void TestEntryReader::nonLatinFolderNamesAreRead()
{
    QFETCH(QString, folder);
    QVERIFY(QDir(dir.path()).mkpath(folder));
    const QString path = dir.filePath(folder + QString::fromUtf8("/снимок.jpg"));
    QVERIFY(writePicture(path, Format::Jpeg, typicalTags()));
    Tables t;
    QCOMPARE(runReader({path}, t), 1);
    QCOMPARE(t.rows(Iso), QStringList{"200:1"});
}

void TestEntryReader::interruptionStopsBeforeTheNextFile()
{
    const QString path = write(typicalTags());
    const QStringList files(20000, path);
    QAtomicInt counter;
    Tables t;
    EntryReader reader;
    SlowFilter slow;
    reader.addFilter(&slow);
    reader.setFiles(&counter, files);
    t.registerWith(reader);
    BackgroundRead running(reader);
    QTRY_VERIFY(counter.loadRelaxed() > 0);
    running.stop();
    QVERIFY(running.wait(10000));
    QVERIFY(!running.complete());
    const int done = counter.loadRelaxed();
    QVERIFY2(done < files.size(), "the run went on to the end");
    // Every file read so far was counted, with its share.
    QCOMPARE(t.tables[Iso].total(), done);
    QCOMPARE(t.tables[Iso].row(0)->percent, 100.0f);
}

void TestEntryReader::wholeFolderRun()
{
    // A mixed folder: every table checked after a run, sorted as the window shows it.
    QTemporaryDir folder;
    struct Shot
    {
        QString make, model, focal, focal35, fnumber, iso, exposure;
    };
    const QList<Shot> shots{
        {"Canon", "Canon EOS 7D", "50/1", "", "28/10", "200", "1/125"},
        {"Canon", "Canon EOS 7D", "50/1", "", "40/10", "400", "1/250"},
        {"Canon", "Canon EOS 5D Mark II", "24/1", "", "40/10", "100", "1/250"},
        {"NIKON CORPORATION", "NIKON D70s", "18/1", "27", "56/10", "200", "13/10"},
        {"OLYMPUS IMAGING CORP.", "E-M5", "25/1", "", "18/10", "1600", "30/1"},
        {"Sony", "ILCE-7", "35/1", "", "80/10", "100", "4/10"},
    };
    QStringList files;
    int n = 0;
    for (const Shot& s : shots) {
        QList<Tag> tags{Tag::textTag("Exif.Image.Make", s.make),
                        Tag::textTag("Exif.Image.Model", s.model),
                        Tag::textTag(kFocal, s.focal),
                        Tag::textTag(kFNumber, s.fnumber),
                        Tag::textTag(kIso, s.iso),
                        Tag::textTag(kExposure, s.exposure)};
        if (!s.focal35.isEmpty())
            tags << Tag::textTag(kFocal35, s.focal35);
        const QString path = folder.filePath(QString("pic%1.%2").arg(n).arg(n % 2 ? "tif" : "jpg"));
        QVERIFY(writePicture(path, n % 2 ? Format::Tiff : Format::Jpeg, tags));
        files << path;
        ++n;
    }
    Tables t;
    QCOMPARE(runReader(files, t), files.size());
    for (StatTable& table : t.tables) {
        table.sortByValue();
        table.sortByCount();
    }
    QCOMPARE(t.rows(FocalLength), (QStringList{"50:2", "18:1", "24:1", "25:1", "35:1"}));
    QCOMPARE(t.rows(FocalLength35mm), (QStringList{"80:2", "0:1", "24:1", "27:1", "50:1"}));
    QCOMPARE(t.rows(Aperture), (QStringList{"4:2", "1.8:1", "2.8:1", "5.6:1", "8:1"}));
    QCOMPARE(t.rows(Iso), (QStringList{"100:2", "200:2", "400:1", "1600:1"}));
    QCOMPARE(t.rows(ExposureTime), (QStringList{"1/250:2", "1/125:1", "0.4:1", "1.3:1", "30:1"}));
    QCOMPARE(t.rows(Camera),
             (QStringList{"Canon - Canon EOS 7D:2", "Canon - Canon EOS 5D Mark II:1",
                          "NIKON CORPORATION - NIKON D70s:1", "OLYMPUS IMAGING CORP. - E-M5:1",
                          "Sony - ILCE-7:1"}));
    QCOMPARE(t.tables[Iso].row(0)->percent, float(double(200) / 6));
}

QTEST_GUILESS_MAIN(TestEntryReader)
#include "tst_entryreader.moc"
