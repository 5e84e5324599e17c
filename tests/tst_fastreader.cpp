// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/fsname.h"
#include "core/read/fastreader.h"
#include "fuzzchecks.h"
#include "testpictures.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace testpictures;

class TestFastReader : public QObject
{
    Q_OBJECT
private slots:
    void takesOrDeclines_data();
    void takesOrDeclines();
    void switchGivesTheSameReading();
};

namespace {

enum Expect
{
    Declined,
    Taken,
};

QByteArray jpeg(const QList<Tag>& tags)
{
    return pictureBytes(Format::Jpeg, tags);
}

// The JPEG with an ICC profile segment after its start marker whose size field says size.
QByteArray withIcc(const QByteArray& picture, quint32 declared)
{
    QByteArray profile(128, 'p');
    qToBigEndian<quint32>(declared, reinterpret_cast<uchar*>(profile.data()));
    QByteArray segment = QByteArray("\xff\xe2\0\0ICC_PROFILE\0\x01\x01", 18) + profile;
    qToBigEndian<quint16>(quint16(segment.size() - 2),
                          reinterpret_cast<uchar*>(segment.data()) + 2);
    return picture.left(2) + segment + picture.mid(2);
}

} // namespace

void TestFastReader::takesOrDeclines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expect");
    const QList<Tag> typical = typicalTags();
    const Tag makerNote =
        Tag::textTag(QStringLiteral("Exif.Photo.MakerNote"), QStringLiteral("1 2 3 4"));
    const QList<Tag> noted = withTag(typical, makerNote.key, makerNote);
    const QString lensModel = QStringLiteral("Exif.Photo.LensModel");

    QTest::newRow("JPEG") << jpeg(typical) << int(Taken);
    QTest::newRow("TIFF") << pictureBytes(Format::Tiff, typical) << int(Taken);
    QTest::newRow("HEIF") << pictureBytes(Format::Heif, typical) << int(Taken);
    QTest::newRow("AVIF") << pictureBytes(Format::Avif, typical) << int(Taken);
    QTest::newRow("CR3") << pictureBytes(Format::Cr3, typical) << int(Taken);
    QTest::newRow("CR3 camera layout") << layoutBytes(Layout::Cr3Camera, typical) << int(Taken);
    QTest::newRow("HEIF items") << layoutBytes(Layout::HeifItems, typical) << int(Taken);
    // A value the Exif tag lacks is looked for by Exiv2's easy-access functions.
    QTest::newRow("no f-number")
        << jpeg(withoutTag(typical, QStringLiteral("Exif.Photo.FNumber"))) << int(Declined);
    // The lens would come from Exiv2's maker-note tables.
    QTest::newRow("maker notes, no lens model")
        << jpeg(withoutTag(noted, lensModel)) << int(Declined);
    QTest::newRow("maker notes and a lens model")
        << jpeg(withTag(noted, lensModel, Tag::textTag(lensModel, QStringLiteral("EF50mm f/1.8"))))
        << int(Taken);
    QTest::newRow("f-number as a float")
        << jpeg(withTag(typical, QStringLiteral("Exif.Photo.FNumber"),
                        Tag::floatTag(QStringLiteral("Exif.Photo.FNumber"), 2.8f)))
        << int(Declined);
    const QByteArray whole = jpeg(typical);
    QTest::newRow("cut in its Exif segment") << whole.left(60) << int(Declined);
    QTest::newRow("ICC profile of its size") << withIcc(whole, 128) << int(Taken);
    // Exiv2 cuts a profile to a smaller size field, and fails on a larger one.
    QTest::newRow("ICC profile cut short") << withIcc(whole, 127) << int(Taken);
    QTest::newRow("ICC profile past its bytes") << withIcc(whole, 129) << int(Declined);
    QByteArray rw2 = pictureBytes(Format::Tiff, typical);
    rw2[2] = 'U';
    QTest::newRow("RW2 header") << rw2 << int(Declined);
    QByteArray bigTiff = pictureBytes(Format::Tiff, typical);
    bigTiff[2] = 43;
    QTest::newRow("BigTIFF") << bigTiff << int(Declined);
}

void TestFastReader::takesOrDeclines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expect);
    QVERIFY(!bytes.isEmpty());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    PictureReading reading;
    QCOMPARE(fastread::readBuffer(data, std::size_t(bytes.size()), &reading), expect == Taken);
    // What it takes reads as the Exiv2 path reads it.
    const QString problem = fuzzchecks::checkPicture(reinterpret_cast<const std::uint8_t*>(data),
                                                     std::size_t(bytes.size()));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestFastReader::switchGivesTheSameReading()
{
    // A picture with a big tail: the fast reader reads its head only, the same either way.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.tif"));
    QVERIFY(writeBytes(path, pictureBytes(Format::Tiff, typicalTags()) +
                                 QByteArray(3 * 1024 * 1024, '\0')));
    PictureReading fast;
    QVERIFY(fastread::readFile(fsname::encode(path), &fast));
    const auto restore = qScopeGuard([] { fastread::setEnabled(true); });
    fastread::setEnabled(false);
    QVERIFY(!fastread::enabled());
    const PictureReading slow = readFile(path);
    QCOMPARE(int(slow.outcome), int(PictureOutcome::Counted));
    QCOMPARE(fast.values.model, slow.values.model);
    QCOMPARE(fast.values.exposureTime, slow.values.exposureTime);
    QCOMPARE(fast.values.lens, slow.values.lens);
}

QTEST_GUILESS_MAIN(TestFastReader)
#include "tst_fastreader.moc"
