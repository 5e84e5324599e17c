// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/makefilter.h"
#include "core/count/modelfilter.h"
#include "core/read/exifaccess.h"
#include "testpictures.h"

#include <QtTest>

#include <exiv2/exiv2.hpp>

using namespace testpictures;

namespace {

// A picture's Exif data, opened through the same wrapper the reader uses.
struct Picture
{
    explicit Picture(const QList<Tag>& tags)
        : bytes(pictureBytes(Format::Jpeg, tags)),
          image(exif::openBuffer(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                 size_t(bytes.size())))
    {
    }
    Exiv2::ExifData& data() { return exif::exifData(*image); }

    QByteArray bytes;
    exif::ImagePtr image;
};

QList<Tag> camera(const QString& make, const QString& model)
{
    QList<Tag> tags;
    if (!make.isNull())
        tags << Tag::textTag("Exif.Image.Make", make);
    if (!model.isNull())
        tags << Tag::textTag("Exif.Image.Model", model);
    tags << Tag::textTag("Exif.Photo.FNumber", "28/10");
    return tags;
}

} // namespace

class TestFilters : public QObject
{
    Q_OBJECT

private slots:
    void makeFilter_data();
    void makeFilter();
    void modelFilterReadsTheModel_data();
    void modelFilterReadsTheModel();
};

void TestFilters::makeFilter_data()
{
    QTest::addColumn<QString>("make"); // null: the picture has no make tag
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("except");
    QTest::addColumn<bool>("accepted");

    const QStringList canon{"canon"};
    QTest::newRow("match, keep") << "Canon" << canon << false << true;
    QTest::newRow("match, except") << "Canon" << canon << true << false;
    QTest::newRow("no match, keep") << "NIKON CORPORATION" << canon << false << false;
    QTest::newRow("no match, except") << "NIKON CORPORATION" << canon << true << true;
    QTest::newRow("substring") << "NIKON CORPORATION" << QStringList{"nikon"} << false << true;
    QTest::newRow("one of several") << "Canon" << QStringList{"Nikon", "Canon"} << false << true;
    QTest::newRow("order irrelevant") << "Canon" << QStringList{"Canon", "Nikon"} << false << true;
    QTest::newRow("absent tag, keep") << QString() << canon << false << false;
    QTest::newRow("absent tag, except") << QString() << canon << true << true;
    QTest::newRow("empty list, keep") << "Canon" << QStringList() << false << false;
    QTest::newRow("empty list, except") << "Canon" << QStringList() << true << true;
    // The tag text is not trimmed: a listed name with spaces can match them.
    QTest::newRow("untrimmed tag") << "  Canon  " << QStringList{" Canon "} << false << true;
}

void TestFilters::makeFilter()
{
    QFETCH(QString, make);
    QFETCH(QStringList, names);
    QFETCH(bool, except);
    QFETCH(bool, accepted);

    Picture picture(camera(make, "Model X"));
    QVERIFY(picture.image);
    MakeFilter filter(names);
    filter.except = except;
    QCOMPARE(filter.accepts(readExif(picture.data())), accepted);
}

void TestFilters::modelFilterReadsTheModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("EOS 5D in Mark II") << "Canon EOS 5D Mark II" << QStringList{"EOS 5D"} << true;
    QTest::newRow("D70 in D70s") << "NIKON D70s" << QStringList{"D70"} << true;
    QTest::newRow("make is not the model") << "E-M5" << QStringList{"OLYMPUS"} << false;
}

void TestFilters::modelFilterReadsTheModel()
{
    QFETCH(QString, model);
    QFETCH(QStringList, names);
    QFETCH(bool, accepted);
    Picture picture(camera("OLYMPUS", model));
    QVERIFY(picture.image);
    ModelFilter filter(names);
    QCOMPARE(filter.accepts(readExif(picture.data())), accepted);
}

QTEST_GUILESS_MAIN(TestFilters)
#include "tst_filters.moc"
