// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/makefilter.h"
#include "core/count/tally.h"
#include "core/read/exifaccess.h"
#include "core/read/logging.h"
#include "testpictures.h"

#include <QtTest>

#include <exiv2/exiv2.hpp>

#include <limits>

using namespace testpictures;

namespace {

QStringList categoriesSeen;

void recordCategory(QtMsgType, const QMessageLogContext& context, const QString&)
{
    categoriesSeen << QString::fromLatin1(context.category ? context.category : "");
}

} // namespace

class TestExifAccess : public QObject
{
    Q_OBJECT

private slots:
    void saneNumber_data();
    void saneNumber();
    void exiv2MessagesGoToTheirCategory();
    void decodeText_data();
    void decodeText();
    void lensAndYear_data();
    void lensAndYear();
    void lensText_data();
    void lensText();
    void unreadableInputsGiveNoImage_data();
    void unreadableInputsGiveNoImage();
    void keepFirstMessages_data();
    void keepFirstMessages();
    void valueOutsideTheFileSpoilsOnlyItsTag();
    void smallAndLargeFilesReadAlike_data();
    void smallAndLargeFilesReadAlike();
    void tagLookup_data();
    void tagLookup();
};

void TestExifAccess::saneNumber_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("sane");
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("ordinary") << 2.8f << 2.8f;
    QTest::newRow("negative") << -3.0f << -3.0f;
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 0.0f;
    QTest::newRow("+inf") << inf << 0.0f;
    QTest::newRow("-inf") << -inf << 0.0f;
    QTest::newRow("1e9") << 1e9f << 0.0f;
    QTest::newRow("-1e9") << -1e9f << 0.0f;
    QTest::newRow("largest below 1e9") << 999999936.0f << 999999936.0f;
    QTest::newRow("tiny stays") << 1e-12f << 1e-12f;
}

void TestExifAccess::saneNumber()
{
    QFETCH(float, value);
    QFETCH(float, sane);
    QCOMPARE(exif::saneNumber(value), sane);
}

void TestExifAccess::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("Canon") << "Canon";
    QTest::newRow("utf-8") << QByteArray("Ricoh \xc3\x89lite")
                           << QString::fromUtf8("Ricoh \xc3\x89lite");
    QTest::newRow("latin-1") << QByteArray("Ricoh \xc9lite")
                             << QString::fromUtf8("Ricoh \xc3\x89lite");
    QTest::newRow("utf-8 up to NUL")
        << QByteArray("\xe5\x86\x99\0junk", 8) << QString::fromUtf8("\xe5\x86\x99");
    QTest::newRow("cut sequence") << QByteArray("ab\xe5\x86") << QString::fromLatin1("ab\xe5\x86");
    QTest::newRow("overlong") << QByteArray("\xc0\xaf") << QString::fromLatin1("\xc0\xaf");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QString::fromLatin1("\xed\xa0\x80");
}

void TestExifAccess::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(exif::decodeText(bytes.constData(), size_t(bytes.size())), text);
}

void TestExifAccess::lensAndYear_data()
{
    QTest::addColumn<QList<Tag>>("extra"); // tags added to a typical picture
    QTest::addColumn<QString>("lens");
    QTest::addColumn<int>("year");
    using T = Tag;
    const auto t = [](const char* key, const char* text) { return T::textTag(key, text); };
    QTest::newRow("lens model trimmed, original date")
        << QList<Tag>{t("Exif.Photo.LensModel", "  EF50mm f/1.8 STM "),
                      t("Exif.Photo.DateTimeOriginal", "2019:05:04 10:00:00"),
                      t("Exif.Image.DateTime", "2021:01:01 00:00:00")}
        << "EF50mm f/1.8 STM" << 2019;
    QTest::newRow("nothing known") << QList<Tag>{} << "Unknown" << 0;
    QTest::newRow("blank lens model, digitized date")
        << QList<Tag>{t("Exif.Photo.LensModel", "   "), t("Exif.Photo.DateTimeOriginal", "    "),
                      t("Exif.Photo.DateTimeDigitized", "2008:12:31 23:59:59")}
        << "Unknown" << 2008;
    QTest::newRow("file date only")
        << QList<Tag>{t("Exif.Image.DateTime", "1999:01:01 00:00:00")} << "Unknown" << 1999;
    QTest::newRow("malformed date")
        << QList<Tag>{t("Exif.Photo.DateTimeOriginal", "20x9:01:01")} << "Unknown" << 0;
    QTest::newRow("year out of range")
        << QList<Tag>{t("Exif.Photo.DateTimeOriginal", "1800:01:01 00:00:00")} << "Unknown" << 0;
    // Exiv2 names Canon's lens number 1 from its own table, which 0.28 checks against the
    // lens's focal range (50-50 mm) and widest aperture (54: f/1.8); lens 0 it prints as a
    // number.
    QTest::newRow("canon maker-note lens")
        << QList<Tag>{t("Exif.CanonCs.LensType", "1"), t("Exif.CanonCs.Lens", "50 50 1"),
                      t("Exif.CanonCs.MaxAperture", "54")}
        << "Canon EF 50mm f/1.8" << 0;
    // Without them 0.27 takes the table's first lens of the number and 0.28 names none.
    QTest::newRow("canon lens number alone")
        << QList<Tag>{t("Exif.CanonCs.LensType", "1")}
        << (EXIV2_TEST_VERSION(0, 28, 0) ? "Unknown" : "Canon EF 50mm f/1.8") << 0;
    // LensSpecification is an Exif tag, not a maker-note lens, though 0.28 offers it: it
    // names the lens by its range.
    QTest::newRow("maker notes without a lens, LensSpecification")
        << QList<Tag>{t("Exif.CanonCs.Macro", "2"),
                      t("Exif.Photo.LensSpecification", "24/1 70/1 28/10 28/10")}
        << "24-70mm f/2.8" << 0;
    QTest::newRow("maker-note lens as a number")
        << QList<Tag>{t("Exif.CanonCs.LensType", "65535")} << "Unknown" << 0;
    // Where Exiv2 names no lens: Canon's own lens text, else the recorded range.
    QTest::newRow("canon lens text")
        << QList<Tag>{t("Exif.CanonCs.LensType", "65535"), t("Exif.CanonCs.Lens", "35 16 1"),
                      t("Exif.Canon.LensModel", " EF16-35mm f/2.8L II USM ")}
        << "EF16-35mm f/2.8L II USM" << 0;
    QTest::newRow("canon range in units per mm")
        << QList<Tag>{t("Exif.CanonCs.LensType", "65535"), t("Exif.CanonCs.Lens", "682 227 32")}
        << "7.1-21.3mm" << 0;
    // 0.27 names lens 1 though the picture was taken at 200 mm; 0.28 names none.
    QTest::newRow("maker-note lens outside the focal length")
        << QList<Tag>{t("Exif.Photo.FocalLength", "200/1"), t("Exif.CanonCs.LensType", "1"),
                      t("Exif.CanonCs.Lens", "200 200 1")}
        << "200mm" << 0;
}

void TestExifAccess::lensAndYear()
{
    QFETCH(QList<Tag>, extra);
    QFETCH(QString, lens);
    QFETCH(int, year);
    const QByteArray bytes = pictureBytes(Format::Jpeg, typicalTags() + extra);
    QVERIFY(!bytes.isEmpty());
    PictureValues values;
    QCOMPARE(analyseBuffer(reinterpret_cast<const unsigned char*>(bytes.constData()),
                           size_t(bytes.size()), {}, &values),
             PictureOutcome::Counted);
    QCOMPARE(values.lens, lens);
    QCOMPARE(yearOf(values.dateText), year);
}

void TestExifAccess::lensText_data()
{
    QTest::addColumn<QString>("makerNote");
    QTest::addColumn<QString>("lens");
    QTest::newRow("named") << " Nikkor 50mm "
                           << "Nikkor 50mm";
    for (const char* says : {"", "n/a", "unknown", "UNKNOWN", "65535", "(0)", "(65535)"})
        QTest::newRow(says) << says << "Unknown";
}

void TestExifAccess::lensText()
{
    QFETCH(QString, makerNote);
    QFETCH(QString, lens);
    QCOMPARE(::lensText(QString(), makerNote), lens);
    QCOMPARE(::lensText(" Model ", makerNote), QStringLiteral("Model"));
}

void TestExifAccess::exiv2MessagesGoToTheirCategory()
{
    // A TIFF cut inside its directory makes Exiv2 complain; the complaint must come
    // through Qt's logging under our category, not as raw text on stderr.
    const QByteArray tiff = pictureBytes(Format::Tiff, typicalTags());
    QVERIFY(!tiff.isEmpty());
    QByteArray damaged = tiff;
    damaged[4] = char(0x30); // first IFD offset points into the tag values
    damaged[5] = char(0x00);
    // Off by default: the analysis counts the messages per file instead.
    QVERIFY(!lcExiv2().isWarningEnabled());
    QStringList captured;
    {
        exif::MessageCapture capture(&captured);
        exif::openBuffer(reinterpret_cast<const unsigned char*>(tiff.constData()), 20);
    }
    QVERIFY(!captured.isEmpty());
    QCOMPARE(QSet<QString>(captured.begin(), captured.end()).size(), captured.size());
    QLoggingCategory::setFilterRules(QStringLiteral("lenstally.exiv2=true"));
    categoriesSeen.clear();
    QtMessageHandler previous = qInstallMessageHandler(recordCategory);
    for (int cut = 8; cut < tiff.size(); cut += 4) {
        const QByteArray bytes = (cut % 8 ? damaged : tiff).left(cut);
        exif::openBuffer(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         size_t(bytes.size()));
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(!categoriesSeen.isEmpty());
    QCOMPARE(categoriesSeen.filter(QStringLiteral("lenstally.exiv2")).size(),
             categoriesSeen.size());
}

void TestExifAccess::unreadableInputsGiveNoImage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("not a picture at all");
    QTest::newRow("JPEG start only") << QByteArray("\xff\xd8\xff", 3);
    QTest::newRow("TIFF header only") << QByteArray("II*\0\x08\0\0\0", 8);
}

void TestExifAccess::unreadableInputsGiveNoImage()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.jpg");
    QVERIFY(writeBytes(path, bytes));
    QVERIFY(!exif::openFile(path));
    QVERIFY(!exif::openFile(dir.filePath("missing.jpg")));
    QVERIFY(!exif::openFile(dir.path()));
    // Only a file that could not be opened may read otherwise next time.
    QVERIFY(!readFile(path).unopened);
    QVERIFY(readFile(dir.filePath("missing.jpg")).unopened);
}

void TestExifAccess::keepFirstMessages_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("lastLine");
    const QString line(100, QLatin1Char('w'));
    QTest::newRow("none") << QStringList{} << 0 << QString();
    QTest::newRow("four") << QStringList(4, line) << 4 << line;
    QTest::newRow("five") << QStringList(5, line) << 4 << "... and 1 more message";
    QTest::newRow("twelve") << QStringList(12, line) << 4 << "... and 8 more messages";
    const QString third(400, QLatin1Char('t'));
    QTest::newRow("third over 1 KiB")
        << QStringList{third, third, third} << 2 << "... and 1 more message";
    QTest::newRow("exactly 1 KiB")
        << QStringList{QString(1000, 'x'), QString(24, 'y')} << 2 << QString(24, 'y');
    QTest::newRow("long first is cut")
        << QStringList{QString(5000, 'x'), line} << 1 << "... and 1 more message";
    // Two bytes a character: the cut falls inside one and must not split it.
    QTest::newRow("long first, not ASCII") << QStringList{QString(600, QChar(0xe9))} << 1 << "";
}

void TestExifAccess::keepFirstMessages()
{
    QFETCH(QStringList, messages);
    QFETCH(int, kept);
    QFETCH(QString, lastLine);
    PictureReading reading;
    reading.outcome = PictureOutcome::Counted;
    reading.values.messages = messages;
    ::keepFirstMessages(&reading.values);
    const PictureValues& v = reading.values;
    QCOMPARE(v.messages.size(), kept);
    QCOMPARE(v.messagesLeftOut, int(messages.size()) - kept);
    const QByteArray text = v.messages.join(QString()).toUtf8();
    QVERIFY(text.size() <= 1024);
    QVERIFY(!QString::fromUtf8(text).contains(QChar::ReplacementCharacter));
    for (int i = 0; i < kept; ++i) {
        QVERIFY(messages[i] == v.messages[i] || (i == 0 && v.messages[0].endsWith("...") &&
                                                 messages[0].startsWith(v.messages[0].chopped(3))));
    }
    const QStringList lines = messageLines(v);
    if (!lastLine.isEmpty())
        QCOMPARE(lines.last(), lastLine);
    QCOMPARE(lines.size(), kept + (v.messagesLeftOut > 0 ? 1 : 0));

    // A file refused by a filter says what it said before the filter was asked: the first
    // three messages, of which some may not have been kept.
    reading.openingMessages = std::min(3, int(messages.size()));
    MakeFilter refuseAll({QStringLiteral("no such make")});
    PictureValues refused;
    QCOMPARE(judgeReading(reading, {&refuseAll}, &refused), PictureOutcome::Filtered);
    QCOMPARE(refused.messages.size() + refused.messagesLeftOut, reading.openingMessages);
    QCOMPARE(refused.messages, v.messages.mid(0, reading.openingMessages));
}

void TestExifAccess::valueOutsideTheFileSpoilsOnlyItsTag()
{
    // Exiv2 throws std::out_of_range, not its own error, for this f-number: the picture
    // is still read (and found unusable), not dropped as unreadable.
    const QString path = QStringLiteral(LENSTALLY_REGRESSIONS_DIR
                                        "/picture/truncated-fnumber-throws-out-of-range.tif");
    QVERIFY(QFileInfo::exists(path));
    PictureValues values;
    QCOMPARE(analyseFile(path, {}, &values), PictureOutcome::Unusable);
    QCOMPARE(values.aperture, 0.0f);
}

void TestExifAccess::smallAndLargeFilesReadAlike_data()
{
    // Small files are parsed from memory, large ones through Exiv2's own file access.
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("padding");
    QTest::newRow("small JPEG") << int(Format::Jpeg) << 0;
    QTest::newRow("small TIFF") << int(Format::Tiff) << 0;
    QTest::newRow("TIFF just at 1 MiB") << int(Format::Tiff) << -1;
    QTest::newRow("large TIFF") << int(Format::Tiff) << 3 * 1024 * 1024;
    QTest::newRow("large JPEG") << int(Format::Jpeg) << 3 * 1024 * 1024;
}

void TestExifAccess::smallAndLargeFilesReadAlike()
{
    QFETCH(int, format);
    QFETCH(int, padding);
    QByteArray bytes = pictureBytes(Format(format), typicalTags("NIKON", "NIKON D750"));
    QVERIFY(!bytes.isEmpty());
    if (padding < 0)
        padding = 1024 * 1024 - int(bytes.size());
    bytes.append(QByteArray(padding, '\0')); // trailing data both formats ignore
    QTemporaryDir dir;
    const QString path = dir.filePath("p.nef");
    QVERIFY(writeBytes(path, bytes));
    PictureValues values;
    QCOMPARE(analyseFile(path, {}, &values), PictureOutcome::Counted);
    QCOMPARE(values.make, QStringLiteral("NIKON"));
    QCOMPARE(values.model, QStringLiteral("NIKON D750"));
    QCOMPARE(values.iso, 200.0f);
    QCOMPARE(values.exposureTime, 0.008f);
}

void TestExifAccess::tagLookup_data()
{
    QTest::addColumn<QStringList>("tags"); // "key=value", added in this order
    QTest::addColumn<QString>("key");
    QTest::addColumn<float>("number");
    QTest::addColumn<bool>("textRead");
    QTest::addColumn<QString>("text");
    const QString fNumber = QStringLiteral("Exif.Photo.FNumber");
    QTest::newRow("present") << QStringList{"Exif.Photo.FNumber=28/10"} << fNumber << 2.8f << true
                             << "28/10";
    QTest::newRow("absent") << QStringList{"Exif.Image.Make=Canon"} << fNumber << 0.0f << true
                            << "";
    QTest::newRow("first of two") << QStringList{"Exif.Photo.FNumber=28/10",
                                                 "Exif.Photo.FNumber=4/1"}
                                  << fNumber << 2.8f << true << "28/10";
    // The same tag number in the first IFD is another key.
    QTest::newRow("other IFD") << QStringList{"Exif.Image.FNumber=4/1"} << fNumber << 0.0f << true
                               << "";
    QTest::newRow("after other tags")
        << QStringList{"Exif.Image.Make=Canon", "Exif.Image.FNumber=4/1",
                       "Exif.Photo.ISOSpeedRatings=400"}
        << "Exif.Photo.ISOSpeedRatings" << 400.0f << true << "400";
    QTest::newRow("key Exiv2 cannot parse")
        << QStringList{"Exif.Photo.FNumber=28/10"} << "No.Such.Key" << 0.0f << false << "kept";
}

void TestExifAccess::tagLookup()
{
    // The readers find the first datum under the key, as data[key] does, but add nothing
    // to the data when the tag is missing.
    QFETCH(QStringList, tags);
    QFETCH(QString, key);
    QFETCH(float, number);
    QFETCH(bool, textRead);
    QFETCH(QString, text);
    Exiv2::ExifData data;
    for (const QString& tag : tags) {
        const Exiv2::ExifKey tagKey(tag.section('=', 0, 0).toStdString());
        auto value = Exiv2::Value::create(tagKey.defaultTypeId());
        QCOMPARE(value->read(tag.section('=', 1).toStdString()), 0);
        data.add(tagKey, value.get());
    }
    const long count = long(data.count());
    const QByteArray keyBytes = key.toLatin1();
    for (int round = 0; round < 2; ++round) { // the second time from the parsed-key cache
        QString read = QStringLiteral("kept");
        QCOMPARE(exif::readText(data, keyBytes.constData(), &read), textRead);
        QCOMPARE(read, text);
        QCOMPARE(exif::readNumber(data, keyBytes.constData()), number);
        QCOMPARE(exif::readNumberIfPresent(data, keyBytes.constData()), number);
        QCOMPARE(long(data.count()), count);
    }
}

QTEST_GUILESS_MAIN(TestExifAccess)
#include "tst_exifaccess.moc"
