#include "analysis/exifaccess.h"
#include "analysis/pictureanalysis.h"
#include "testpictures.h"

#include <QtTest>

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
    void unreadableInputsGiveNoImage_data();
    void unreadableInputsGiveNoImage();
    void valueOutsideTheFileSpoilsOnlyItsTag();
    void smallAndLargeFilesReadAlike_data();
    void smallAndLargeFilesReadAlike();
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

void TestExifAccess::exiv2MessagesGoToTheirCategory()
{
    // A TIFF cut inside its directory makes Exiv2 complain; the complaint must come
    // through Qt's logging under our category, not as raw text on stderr.
    const QByteArray tiff = pictureBytes(Format::Tiff, typicalTags());
    QVERIFY(!tiff.isEmpty());
    QByteArray damaged = tiff;
    damaged[4] = char(0x30); // first IFD offset points into the tag values
    damaged[5] = char(0x00);
    categoriesSeen.clear();
    QtMessageHandler previous = qInstallMessageHandler(recordCategory);
    for (int cut = 8; cut < tiff.size(); cut += 4) {
        const QByteArray bytes = (cut % 8 ? damaged : tiff).left(cut);
        exif::openBuffer(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         size_t(bytes.size()));
    }
    qInstallMessageHandler(previous);
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

QTEST_GUILESS_MAIN(TestExifAccess)
#include "tst_exifaccess.moc"
