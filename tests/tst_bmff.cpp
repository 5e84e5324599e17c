// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/tally.h"
#include "core/read/bmffprefix.h"
#include "core/read/exifaccess.h"
#include "testpictures.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>

#include <utility>

using namespace testpictures;

namespace {

QList<Tag> phoneTags()
{
    return withTag(typicalTags(QStringLiteral("Apple"), QStringLiteral("iPhone 12")),
                   QStringLiteral("Exif.Photo.LensModel"),
                   Tag::textTag(QStringLiteral("Exif.Photo.LensModel"),
                                QStringLiteral("iPhone 12 back camera 4.2mm f/1.6")));
}

QByteArray bytesOf(Format format, int pictureData = 64)
{
    return pictureBytes(format, phoneTags(), pictureData);
}

const char kXmpUuid[] = "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac";

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A HEIF file whose meta box (right after the 24-byte ftyp) gets another size, and a
// 64-bit size after its type when large is given.
QByteArray withMetaSize(quint32 size, const QByteArray& large = QByteArray())
{
    QByteArray bytes = bytesOf(Format::Heif);
    bytes.replace(24, 4, bigEndian32(size));
    bytes.insert(32, large);
    return bytes;
}

// An ftyp box, then moov boxes nested depth deep around an empty free box.
QByteArray nested(int depth)
{
    QByteArray bytes = box("ftyp", QByteArray("heic\0\0\0\0heic", 12));
    const quint32 total = quint32(depth) * 8 + 8;
    for (int i = 0; i < depth; ++i)
        bytes += bigEndian32(total - quint32(i) * 8) + QByteArray("moov");
    return bytes + box("free", QByteArray());
}

// The prefix of a file's bytes, and how many bytes were read for it; empty when refused.
QByteArray prefixOf(const QByteArray& file, qint64* bytesRead = nullptr)
{
    QByteArray prefix;
    const bool made = bmff::metadataPrefix(
        file.size(),
        [&](qint64 offset, qint64 length, QByteArray* out) {
            *out = file.mid(offset, length);
            if (bytesRead)
                *bytesRead += out->size();
            return true;
        },
        &prefix);
    return made ? prefix : QByteArray();
}

// Exiv2's reading of the bytes taken whole: every datum, or "unreadable".
QString wholeReading(const QByteArray& bytes)
{
    exif::ImagePtr image = exif::openWholeBuffer(reinterpret_cast<const uchar*>(bytes.constData()),
                                                 std::size_t(bytes.size()));
    return image ? exif::metadataText(*image) : QStringLiteral("unreadable");
}

} // namespace

class TestBmff : public QObject
{
    Q_OBJECT

private slots:
    void readsItsValues_data();
    void readsItsValues();
    void damagedBoxesAreUnreadable_data();
    void damagedBoxesAreUnreadable();
    void pictureDataIsNotRead();
    void layoutsReadAsTheWholeFile_data();
    void layoutsReadAsTheWholeFile();
    void xmpTextReadPastItsBox();
    void ilocVersionIsItsFirstByte();
};

void TestBmff::readsItsValues_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("pictureData");
    QTest::addColumn<QString>("name");
    QTest::newRow("HEIC") << int(Format::Heif) << 64 << "p.heic";
    QTest::newRow("AVIF") << int(Format::Avif) << 64 << "p.avif";
    QTest::newRow("CR3") << int(Format::Cr3) << 64 << "p.cr3";
    // Over 1 MiB the file is not read whole; the Exif item lies behind the picture.
    QTest::newRow("large HEIC") << int(Format::Heif) << 3 * 1024 * 1024 << "p.heic";
    QTest::newRow("large CR3") << int(Format::Cr3) << 3 * 1024 * 1024 << "p.cr3";
    QTest::newRow("HEIC named .jpg") << int(Format::Heif) << 64 << "p.jpg";
}

void TestBmff::readsItsValues()
{
    QFETCH(int, format);
    QFETCH(int, pictureData);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(writePicture(path, Format(format), phoneTags(), pictureData));
    PictureValues values;
    QCOMPARE(analyseFile(path, {}, &values), PictureOutcome::Counted);
    QCOMPARE(values.make, QStringLiteral("Apple"));
    QCOMPARE(values.model, QStringLiteral("iPhone 12"));
    QCOMPARE(values.focalLength, 50.0f);
    QCOMPARE(values.focalLength35mm, 75.0f);
    QCOMPARE(values.aperture, 2.8f);
    QCOMPARE(values.iso, 200.0f);
    QCOMPARE(values.exposureTime, 0.008f);
    QCOMPARE(values.lens, QStringLiteral("iPhone 12 back camera 4.2mm f/1.6"));
}

void TestBmff::damagedBoxesAreUnreadable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray heif = bytesOf(Format::Heif);
    QTest::newRow("truncated in meta") << heif.left(80);
    QTest::newRow("size 0") << withMetaSize(0);
    QTest::newRow("size below header") << withMetaSize(4);
    QTest::newRow("size beyond the file") << withMetaSize(quint32(heif.size()));
    QTest::newRow("huge 64-bit size")
        << withMetaSize(1, QByteArray("\x7f\xff\xff\xff\xff\xff\xff\x00", 8));
    QTest::newRow("nested 300 deep") << nested(300);
    QTest::newRow("nested 100,000 deep") << nested(100000);
    QByteArray looping = heif;
    // The iinf box announces more item entries than it holds.
    const int iinf = looping.indexOf("iinf");
    QVERIFY(iinf > 0);
    looping[iinf + 8] = '\x7f';
    QTest::newRow("item count beyond its box") << looping;
}

void TestBmff::damagedBoxesAreUnreadable()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    // Each also behind a megabyte of trailing data, where the file is not read whole.
    for (const QByteArray& content : {bytes, bytes + box("free", QByteArray(1100000, '\0'))}) {
        const QString path = dir.filePath(QStringLiteral("d.heic"));
        QVERIFY(writeBytes(path, content));
        QElapsedTimer timer;
        timer.start();
        PictureValues values;
        QCOMPARE(analyseFile(path, {}, &values), PictureOutcome::Unreadable);
        QVERIFY(!exif::openBuffer(reinterpret_cast<const uchar*>(content.constData()),
                                  std::size_t(content.size())));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    }
}

void TestBmff::pictureDataIsNotRead()
{
    // A 30 MB CR3 and a HEIC whose Exif item lies behind 3 MB of picture data: only the
    // metadata boxes and the item are read, and the item's new offset finds it.
    for (const auto& [format, size] :
         {std::pair{Format::Cr3, 30000000}, std::pair{Format::Heif, 3000000}}) {
        const QByteArray file = bytesOf(format, size);
        qint64 bytesRead = 0;
        QByteArray prefix;
        QVERIFY(bmff::metadataPrefix(
            file.size(),
            [&](qint64 offset, qint64 length, QByteArray* out) {
                *out = file.mid(offset, length);
                bytesRead += out->size();
                return true;
            },
            &prefix));
        QVERIFY2(bytesRead < 8192, qPrintable(QString::number(bytesRead)));
        QVERIFY(prefix.size() < 8192);
        exif::ImagePtr image = exif::openBuffer(reinterpret_cast<const uchar*>(prefix.constData()),
                                                std::size_t(prefix.size()));
        QVERIFY(image);
        QString model;
        QVERIFY(exif::readText(exif::exifData(*image), "Exif.Image.Model", &model));
        QCOMPARE(model, QStringLiteral("iPhone 12"));
        QCOMPARE(exif::readNumber(exif::exifData(*image), "Exif.Photo.ISOSpeedRatings"), 200.0f);
    }
}

void TestBmff::layoutsReadAsTheWholeFile_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("pictureData");
    QTest::addColumn<bool>("counted"); // Exiv2 0.27 finds the Exif and XMP items
    QTest::newRow("HEIF items, iloc 0") << int(Layout::HeifItems) << 64 << true;
    QTest::newRow("HEIF iloc 1") << int(Layout::HeifIlocV1) << 64 << true;
    QTest::newRow("HEIF base offsets") << int(Layout::HeifBaseOffset) << 64 << false;
    QTest::newRow("HEIF 32-bit item IDs") << int(Layout::HeifIlocV2) << 64 << false;
    QTest::newRow("HEIF two extents") << int(Layout::HeifExtents) << 64 << false;
    QTest::newRow("HEIF idat") << int(Layout::HeifIdat) << 64 << false;
    QTest::newRow("CR3 camera") << int(Layout::Cr3Camera) << 64 << true;
    // Over 1 MiB the file is read in pieces, not whole.
    QTest::newRow("large HEIF iloc 1") << int(Layout::HeifIlocV1) << 3 * 1024 * 1024 << true;
    QTest::newRow("large CR3 camera") << int(Layout::Cr3Camera) << 3 * 1024 * 1024 << true;
}

void TestBmff::layoutsReadAsTheWholeFile()
{
    QFETCH(int, layout);
    QFETCH(int, pictureData);
    QFETCH(bool, counted);
    const QByteArray bytes = layoutBytes(Layout(layout), phoneTags(), pictureData);
    QVERIFY(!bytes.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.heic"));
    QVERIFY(writeBytes(path, bytes));

    const PictureReading ours = readFile(path);
    const PictureReading whole = readFileWhole(path);
    QCOMPARE(ours.outcome, whole.outcome);
    if (counted)
        QCOMPARE(whole.outcome, PictureOutcome::Counted);
    QCOMPARE(ours.makeTag, whole.makeTag);
    QCOMPARE(ours.modelTag, whole.modelTag);
    QCOMPARE(ours.values.focalLength, whole.values.focalLength);
    QCOMPARE(ours.values.aperture, whole.values.aperture);
    QCOMPARE(ours.values.lens, whole.values.lens);
    // All of the metadata, XMP included, not only what the tables take.
    const QByteArray prefix = prefixOf(bytes);
    QVERIFY(!prefix.isEmpty());
    QCOMPARE(wholeReading(prefix), wholeReading(bytes));
    if (counted)
        QVERIFY(wholeReading(bytes).contains(QLatin1String("Xmp.xmp.Rating 3")));
}

void TestBmff::xmpTextReadPastItsBox()
{
    // Exiv2 reads an XMP uuid box's text by the box's whole size from behind the uuid,
    // 24 bytes into the next box: a CR3 whose preview follows lost its metadata. The
    // preview itself is still not read.
    const QByteArray file = layoutBytes(Layout::Cr3Camera, phoneTags(), 30000000);
    qint64 bytesRead = 0;
    const QByteArray prefix = prefixOf(file, &bytesRead);
    QVERIFY(!prefix.isEmpty());
    QCOMPARE(wholeReading(prefix), wholeReading(file));
    QVERIFY(wholeReading(file).contains(QLatin1String("Exif.Image.Model iPhone 12")));
    QVERIFY(!prefix.contains("PRVW"));
    QVERIFY2(bytesRead < 4096, qPrintable(QString::number(bytesRead)));
}

void TestBmff::ilocVersionIsItsFirstByte()
{
    // An iloc box of version 0 whose flags end in 0x80: Exiv2 reads a 16-bit item count
    // and 16-bit IDs, so the items are found and moved.
    QByteArray file = bytesOf(Format::Heif, 4096);
    const int iloc = file.indexOf("iloc");
    QVERIFY(iloc > 0);
    file[iloc + 7] = '\x80';
    const QByteArray prefix = prefixOf(file);
    QVERIFY(!prefix.isEmpty());
    QVERIFY(prefix.size() < file.size() - 4000);
    QCOMPARE(wholeReading(prefix), wholeReading(file));
    QVERIFY(wholeReading(file).contains(QLatin1String("Exif.Image.Model iPhone 12")));
}

QTEST_GUILESS_MAIN(TestBmff)
#include "tst_bmff.moc"
