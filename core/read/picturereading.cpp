// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/picturereading.h"

#include "core/base/fsname.h"
#include "core/read/cropfactor.h"
#include "core/read/exifaccess.h"
#include "core/read/fastreader.h"
#include "core/read/tagsource.h"

#include <exiv2/exiv2.hpp>

#include <QRegularExpression>

#include <exception>

namespace {

// Exposure times below a nanosecond are no camera's: treat them as absent.
constexpr float kShortestExposure = 1e-9f;

// The tags of Exiv2's Exif data.
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
    QString makerNoteLens() override { return exif::makerNoteLens(data); }

private:
    Exiv2::ExifData& data;
};

// Reads everything from the tags; openingMessages counts what messages held after
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
    if (isUsable(v)) {
        QString lensModel;
        data.readText("Exif.Photo.LensModel", &lensModel);
        lensModel = lensModel.trimmed();
        // The maker notes only where the standard tag says nothing.
        v.lens = lensText(lensModel, lensModel.isEmpty() ? data.makerNoteLens() : QString());
        if (v.focalLength35mm == 0.0f) {
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
                v.focalPlane35mm = focalPlane35mm(v.focalLength, plane);
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

PictureReading readTags(TagSource& tags)
{
    return readExifCounting(tags, nullptr);
}

PictureReading readBuffer(const unsigned char* data, std::size_t size)
{
    exif::ImagePtr image = exif::openBuffer(data, size);
    PictureReading reading = readImage(image.get(), nullptr);
    reading.openingMessages = 0;
    return reading;
}

namespace {

template <typename Open> PictureReading readOpened(Open open)
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
    return reading;
}

} // namespace

PictureReading readFile(const QString& path)
{
    PictureReading fast;
    if (fastread::enabled() && fastread::readFile(fsname::encode(path), &fast))
        return fast;
    return readOpened([&path] { return exif::openFile(path); });
}

PictureReading readFileWhole(const QString& path)
{
    return readOpened([&path] { return exif::openWholeFile(path); });
}

bool isUsable(const PictureValues& v)
{
    return double(v.focalLength) > 0.1 && double(v.aperture) > 0.1 && v.iso > 0.0f &&
           v.exposureTime > 0.0f;
}

QString lensText(const QString& lensModel, const QString& makerNoteLens)
{
    const QString model = lensModel.trimmed();
    if (!model.isEmpty())
        return model;
    static const QRegularExpression number(QStringLiteral("^\\(?[-+]?\\d+(\\.\\d+)?\\)?$"));
    const QString noted = makerNoteLens.trimmed();
    if (noted.isEmpty() || noted == QLatin1String("n/a") ||
        noted.compare(QLatin1String("Unknown"), Qt::CaseInsensitive) == 0 ||
        number.match(noted).hasMatch())
        return QStringLiteral("Unknown");
    return noted;
}
