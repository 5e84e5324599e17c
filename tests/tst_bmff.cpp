// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/bmffprefix.h"
#include "analysis/exifaccess.h"
#include "analysis/exiv2compat.h"
#include "analysis/pictureanalysis.h"
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

// Every Exif and XMP datum Exiv2 reads from the bytes, as "key=value"; "unreadable" when
// it fails. The whole file goes to Exiv2 here, without the metadata prefix.
QStringList exiv2Reading(const QByteArray& bytes)
{
    exif::prepareForThreads();
    QStringList lines;
    try {
        auto image = exiv2compat::openImage(reinterpret_cast<const uchar*>(bytes.constData()),
                                            std::size_t(bytes.size()));
        image->readMetadata();
        for (const Exiv2::Exifdatum& datum : image->exifData())
            lines << QString::fromStdString(datum.key() + '=' + datum.toString());
        for (const Exiv2::Xmpdatum& datum : image->xmpData())
            lines << QString::fromStdString(datum.key() + '=' + datum.toString());
    } catch (...) {
        return {QStringLiteral("unreadable")};
    }
    return lines;
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
    void prefixReadsAsTheWholeFile_data();
    void prefixReadsAsTheWholeFile();
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

void TestBmff::prefixReadsAsTheWholeFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    for (const int pictureData : {64, 3 * 1024 * 1024}) {
        const QString size = pictureData > 64 ? QStringLiteral(", large") : QString();
        QTest::addRow("HEIC%s", qPrintable(size)) << bytesOf(Format::Heif, pictureData);
        QTest::addRow("AVIF%s", qPrintable(size)) << bytesOf(Format::Avif, pictureData);
        QTest::addRow("CR3%s", qPrintable(size)) << bytesOf(Format::Cr3, pictureData);
        QTest::addRow("HEIC, item locations version 1%s", qPrintable(size))
            << heifBytes(phoneTags(), pictureData, 1);
        // Flags are no part of the version, whichever byte of them is set.
        QByteArray flagged = bytesOf(Format::Heif, pictureData);
        flagged[flagged.indexOf("iloc") + 7] = '\x80';
        QTest::addRow("HEIC, item location flags%s", qPrintable(size)) << flagged;
        // Exiv2 reads an XMP box's packet past its end, here into the next box's header.
        QByteArray cr3 = bytesOf(Format::Cr3, pictureData);
        const QByteArray packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf="
                                  "'http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
                                  "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmp:Rating='3'/>"
                                  "</rdf:RDF></x:xmpmeta>";
        cr3.insert(cr3.lastIndexOf("mdat") - 4, box("uuid", QByteArray(kXmpUuid, 16) + packet));
        QTest::addRow("CR3, XMP before the picture%s", qPrintable(size)) << cr3;
    }
}

void TestBmff::prefixReadsAsTheWholeFile()
{
    // The promise that lets a file reach Exiv2 as its metadata prefix, checked against the
    // Exiv2 in use (0.27 and 0.28 walk boxes differently).
    QFETCH(QByteArray, bytes);
    const QStringList whole = exiv2Reading(bytes);
    QVERIFY2(whole.contains(QStringLiteral("Exif.Image.Model=iPhone 12")),
             qPrintable(whole.join('\n')));
    QByteArray prefix;
    QVERIFY(bmff::metadataPrefix(
        bytes.size(),
        [&bytes](qint64 offset, qint64 length, QByteArray* out) {
            *out = bytes.mid(offset, length);
            return true;
        },
        &prefix));
    QCOMPARE(exiv2Reading(prefix), whole);
}

QTEST_GUILESS_MAIN(TestBmff)
#include "tst_bmff.moc"
