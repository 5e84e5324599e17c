// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/picturereading.h"

#include "core/base/fsname.h"
#include "core/read/cropfactor.h"
#include "core/read/exifaccess.h"
#include "core/read/fastreader.h"
#include "core/read/lensname.h"
#include "core/read/tagsource.h"

#include <exiv2/exiv2.hpp>

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <exception>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Exposure times below a nanosecond are no camera's: treat them as absent.
constexpr float kShortestExposure = 1e-9f;
// The messages a reading keeps: enough to tell what is wrong with a file, where a damaged
// one may draw a thousand lines, each kept by the reading cache.
constexpr int kKeptMessages = 4;
constexpr int kKeptMessageBytes = 1024;

// The text cut to at most bytes of UTF-8, whole characters only, marked as cut.
QString cutText(const QString& text, int bytes)
{
    const QByteArray utf8 = text.toUtf8();
    const QByteArray mark = QByteArrayLiteral("...");
    int size = std::max(bytes - int(mark.size()), 0);
    while (size > 0 && (utf8[size] & 0xC0) == 0x80) // a continuation byte: not a start
        --size;
    return QString::fromUtf8(utf8.left(size) + mark);
}

bool canOpen(const QString& path)
{
    const int fd = ::open(fsname::encode(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The reading rules' tags from Exiv2's Exif data.
class ExifDataSource : public TagSource
{
public:
    explicit ExifDataSource(Exiv2::ExifData& data) : data(data) {}
    bool readText(const char* key, QString* text) override
    {
        return exif::readText(data, key, text);
    }
    float readNumber(const char* key) override { return exif::readNumber(data, key); }
    float readNumberIfPresent(const char* key) override
    {
        return exif::readNumberIfPresent(data, key);
    }
    int readNumbers(const char* key, float* numbers, int count) override
    {
        return exif::readNumbers(data, key, numbers, count);
    }
    QString makerNoteLens() override { return exif::makerNoteLens(data); }
    QString easyAccessPrint(exif::EasyValue value) override
    {
        return exif::easyAccessPrint(data, value);
    }

private:
    Exiv2::ExifData& data;
};

// The value the maker notes give through Exiv2's easy-access function, read from its
// printed text: the raw number of a maker-note tag is often a code (Canon's ISO 160 is
// ISO 100).
float makerNoteNumber(TagSource& data, exif::EasyValue value)
{
    return exif::saneNumber(printedNumber(data.easyAccessPrint(value)));
}

// Fills the maker-note values of those the Exif tags give none usable of.
void readMakerNoteValues(TagSource& data, PictureValues* v)
{
    MakerNoteValues& m = v->makerNotes;
    if (!hasFocalLength(v->focalLength))
        m.focalLength = makerNoteNumber(data, exif::EasyValue::FocalLength);
    if (!hasAperture(v->aperture))
        m.aperture = makerNoteNumber(data, exif::EasyValue::FNumber);
    if (!hasIso(v->iso))
        m.iso = makerNoteNumber(data, exif::EasyValue::IsoSpeed);
    if (!hasExposureTime(v->exposureTime)) {
        m.exposureTime = makerNoteNumber(data, exif::EasyValue::ExposureTime);
        if (m.exposureTime < kShortestExposure)
            m.exposureTime = 0.0f;
    }
}

// The lens's focal range and f-numbers as recorded in the first tag that holds a valid
// range, as lensRangeLabel writes them; "" when none does.
QString recordedLensRange(TagSource& data)
{
    // Shortest and longest focal length, then the widest f-number at each.
    for (const char* key :
         {"Exif.Photo.LensSpecification", "Exif.Image.LensInfo", "Exif.Nikon3.Lens"}) {
        float n[4] = {0, 0, 0, 0};
        if (data.readNumbers(key, n, 4) >= 2) {
            const QString label =
                lensRangeLabel(double(n[0]), double(n[1]), double(n[2]), double(n[3]));
            if (!label.isEmpty())
                return label;
        }
    }
    // Canon: longest, shortest, and the units per millimetre they are given in.
    float c[3] = {0, 0, 0};
    if (data.readNumbers("Exif.CanonCs.Lens", c, 3) == 3 && c[2] > 0)
        return lensRangeLabel(double(c[1]) / double(c[2]), double(c[0]) / double(c[2]), 0, 0);
    return QString();
}

// The Lens table's text for a picture taken at focalLength (0: unknown).
QString readLens(TagSource& data, float focalLength)
{
    QString lensModel;
    data.readText("Exif.Photo.LensModel", &lensModel);
    lensModel = lensModel.trimmed();
    if (!lensModel.isEmpty())
        return lensModel;
    // The further sources only where the one before says nothing.
    const QString named = lensText(QString(), data.makerNoteLens(), focalLength);
    if (named != QLatin1String("Unknown"))
        return named;
    QString canonLens;
    data.readText("Exif.Canon.LensModel", &canonLens);
    return lensText(QString(), QString(), 0, canonLens, recordedLensRange(data));
}

// Reads everything from the Exif data; openingMessages counts what messages held after
// the make and model were read.
PictureReading readExifCounting(TagSource& data, const QStringList* messages)
{
    PictureReading reading;
    PictureValues& v = reading.values;
    // Make and model belong to this picture alone: a tag that cannot be read is empty.
    reading.makeRead = data.readText("Exif.Image.Make", &reading.makeTag);
    reading.modelRead = data.readText("Exif.Image.Model", &reading.modelTag);
    nameCamera(&reading);
    reading.openingMessages = messages ? int(messages->size()) : 0;
    v.focalLength = data.readNumber("Exif.Photo.FocalLength");
    v.focalLength35mm = data.readNumberIfPresent("Exif.Photo.FocalLengthIn35mmFilm");
    v.focal35From = Focal35From::Tag;
    if (v.focalLength35mm < 1.0f) {
        v.focalLength35mm = cropFactor(v.make, v.model) * v.focalLength;
        v.focal35From = Focal35From::CropFactor;
    }
    v.aperture = data.readNumber("Exif.Photo.FNumber");
    v.iso = data.readNumber("Exif.Photo.ISOSpeedRatings");
    v.exposureTime = data.readNumber("Exif.Photo.ExposureTime");
    if (v.exposureTime < kShortestExposure)
        v.exposureTime = 0.0f;
    if (double(v.focalLength35mm) < 0.1) {
        v.focalLength35mm = 0.0f;
        v.focal35From = Focal35From::None;
    }
    readMakerNoteValues(data, &v);
    if (hasAnyValue(v)) {
        // What a picture that may be counted needs; the counting options decide later
        // whether one without all four values is.
        MakerNoteValues& m = v.makerNotes;
        const bool fromMakerNotes = !hasFocalLength(v.focalLength);
        const float focal = fromMakerNotes ? m.focalLength : v.focalLength;
        v.lens = readLens(data, focal);
        if (fromMakerNotes && hasFocalLength(m.focalLength) && v.focal35From != Focal35From::Tag) {
            m.focalLength35mm = cropFactor(v.make, v.model) * m.focalLength;
            if (double(m.focalLength35mm) < 0.1)
                m.focalLength35mm = 0.0f;
        }
        const bool planeForTag = !fromMakerNotes && v.focalLength35mm == 0.0f;
        const bool planeForMakerNotes = hasFocalLength(focal) && fromMakerNotes &&
                                        v.focal35From != Focal35From::Tag &&
                                        m.focalLength35mm == 0.0f;
        if (planeForTag || planeForMakerNotes) {
            FocalPlane plane;
            plane.xResolution = data.readNumberIfPresent("Exif.Photo.FocalPlaneXResolution");
            if (plane.xResolution > 0) {
                plane.yResolution = data.readNumberIfPresent("Exif.Photo.FocalPlaneYResolution");
                plane.unit = int(data.readNumberIfPresent("Exif.Photo.FocalPlaneResolutionUnit"));
                plane.width = data.readNumberIfPresent("Exif.Photo.PixelXDimension");
                plane.height = data.readNumberIfPresent("Exif.Photo.PixelYDimension");
                if (!(plane.width > 0 && plane.height > 0)) {
                    plane.width = data.readNumberIfPresent("Exif.Image.ImageWidth");
                    plane.height = data.readNumberIfPresent("Exif.Image.ImageLength");
                }
                (planeForTag ? v.focalPlane35mm : m.focalPlane35mm) = focalPlane35mm(focal, plane);
            }
        }
        for (const char* key : {"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized",
                                "Exif.Image.DateTime"}) {
            QString date;
            if (data.readText(key, &date) && !date.trimmed().isEmpty()) {
                v.dateText = date.trimmed();
                break;
            }
        }
    }

    reading.outcome = isUsable(v) ? PictureOutcome::Counted : PictureOutcome::Unusable;
    return reading;
}

// Reads an opened image; messages is the capture's list, counted for the opening ones.
PictureReading readImage(Exiv2::Image* image, const QStringList* messages)
{
    PictureReading reading;
    if (image) {
        try {
            ExifDataSource tags(exif::exifData(*image));
            reading = readExifCounting(tags, messages);
        } catch (...) {
            // Anything outside the per-tag guards (allocation failure, a library fault):
            // the file still counts as processed, and adds nothing.
            reading = PictureReading();
        }
    }
    if (reading.outcome == PictureOutcome::Unreadable)
        reading.openingMessages = messages ? int(messages->size()) : 0;
    return reading;
}

} // namespace

void nameCamera(PictureReading* reading)
{
    reading->values.make = reading->makeRead ? reading->makeTag.trimmed() : QString();
    reading->values.model =
        reading->makeRead && reading->modelRead ? reading->modelTag.trimmed() : QString();
}

PictureReading readExif(Exiv2::ExifData& data)
{
    try {
        ExifDataSource tags(data);
        return readExifCounting(tags, nullptr);
    } catch (...) {
        return PictureReading();
    }
}

PictureReading readBuffer(const unsigned char* data, std::size_t size)
{
    exif::ImagePtr image = exif::openBuffer(data, size);
    PictureReading reading = readImage(image.get(), nullptr);
    reading.openingMessages = 0;
    return reading;
}

namespace {

template <typename Open> PictureReading readOpened(const QString& path, Open open)
{
    QStringList messages;
    PictureReading reading;
    exif::readAlone([&] {
        messages.clear();
        const exif::MessageCapture capture(&messages);
        exif::ImagePtr image = open();
        reading = readImage(image.get(), &messages);
        image.reset(); // its destructor may still talk
    });
    reading.values.messages = std::move(messages);
    keepFirstMessages(&reading.values);
    // A file that cannot even be opened (no permission, gone meanwhile) may be readable
    // next time, unlike one that is no picture.
    if (reading.outcome == PictureOutcome::Unreadable)
        reading.unopened = !canOpen(path);
    return reading;
}

} // namespace

PictureReading readTags(TagSource& tags)
{
    return readExifCounting(tags, nullptr);
}

PictureReading readFile(const QString& path)
{
    PictureReading fast;
    if (fastread::enabled() && fastread::readFile(fsname::encode(path), &fast))
        return fast;
    return readOpened(path, [&path] { return exif::openFile(path); });
}

PictureReading readFileWhole(const QString& path)
{
    return readOpened(path, [&path] { return exif::openWholeFile(path); });
}

void keepFirstMessages(PictureValues* values)
{
    QStringList& messages = values->messages;
    int room = kKeptMessageBytes;
    int kept = 0;
    for (; kept < std::min(int(messages.size()), kKeptMessages); ++kept) {
        const int size = int(messages[kept].toUtf8().size());
        if (size <= room) {
            room -= size;
            continue;
        }
        // The first one is cut rather than left out: a file that drew messages shows one.
        if (kept == 0)
            messages[kept++] = cutText(messages[0], room);
        break;
    }
    values->messagesLeftOut += int(messages.size()) - kept;
    messages.erase(messages.begin() + kept, messages.end());
}

QStringList messageLines(const PictureValues& values)
{
    QStringList lines = values.messages;
    if (values.messagesLeftOut == 1)
        lines.append(QStringLiteral("... and 1 more message"));
    else if (values.messagesLeftOut > 1)
        lines.append(QStringLiteral("... and %1 more messages").arg(values.messagesLeftOut));
    return lines;
}

bool isUsable(const PictureValues& v)
{
    return double(v.focalLength) > 0.1 && double(v.aperture) > 0.1 && v.iso > 0.0f &&
           v.exposureTime > 0.0f;
}

bool hasAnyValue(const PictureValues& v)
{
    const MakerNoteValues& m = v.makerNotes;
    return hasFocalLength(v.focalLength) || hasAperture(v.aperture) || hasIso(v.iso) ||
           hasExposureTime(v.exposureTime) || hasFocalLength(m.focalLength) ||
           hasAperture(m.aperture) || hasIso(m.iso) || hasExposureTime(m.exposureTime);
}

QString lensText(const QString& lensModel, const QString& makerNoteLens, float focalLength,
                 const QString& canonLensModel, const QString& rangeLabel)
{
    const QString model = lensModel.trimmed();
    if (!model.isEmpty())
        return model;
    static const QRegularExpression number(QStringLiteral("^\\(?[-+]?\\d+(\\.\\d+)?\\)?$"));
    const QString noted = makerNoteLens.trimmed();
    if (!(noted.isEmpty() || noted == QLatin1String("n/a") ||
          noted.compare(QLatin1String("Unknown"), Qt::CaseInsensitive) == 0 ||
          number.match(noted).hasMatch()) &&
        lensFitsFocalLength(noted, focalLength))
        return noted;
    const QString canon = canonLensModel.trimmed();
    if (!canon.isEmpty())
        return canon;
    if (!rangeLabel.isEmpty())
        return rangeLabel;
    return QStringLiteral("Unknown");
}
