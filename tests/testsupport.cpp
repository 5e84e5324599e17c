// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include "core/session/entryreader.h"
#include "testdata/testpictures.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <chrono>

ProcessRun runReport(const QStringList& arguments, const QString& stdoutFile)
{
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(LENSTALLY_REPORT_PATH), arguments);
    ProcessRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

BackgroundRead::BackgroundRead(EntryReader& reader)
    : thread([this, &reader] {
          completed = reader.read([this] { return stopping.load(); });
          ended.store(true);
      })
{
}

BackgroundRead::~BackgroundRead()
{
    stop();
    thread.join();
}

bool BackgroundRead::wait(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!ended.load()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool writeInsightPictures(const QString& folder)
{
    using testpictures::Tag;
    const struct
    {
        const char* focal;
        const char* focal35;
        const char* fNumber;
        const char* lens;
    } pictures[] = {
        {"24/1", "24", "4/1", "Zoom 24-105"},   {"50/1", "50", "4/1", "Zoom 24-105"},
        {"50/1", "50", "56/10", "Zoom 24-105"}, {"105/1", "105", "8/1", "Zoom 24-105"},
        {"35/1", "52", "18/10", "Prime 35"},    {"35/1", "52", "28/10", "Prime 35"},
    };
    if (!QDir().mkpath(folder))
        return false;
    int n = 0;
    for (const auto& p : pictures) {
        QList<Tag> tags = testpictures::typicalTags();
        for (const auto& [key, text] : {std::pair{"Exif.Photo.FocalLength", p.focal},
                                        std::pair{"Exif.Photo.FocalLengthIn35mmFilm", p.focal35},
                                        std::pair{"Exif.Photo.FNumber", p.fNumber},
                                        std::pair{"Exif.Photo.LensModel", p.lens}}) {
            tags = testpictures::withTag(tags, QLatin1String(key),
                                         Tag::textTag(QLatin1String(key), QLatin1String(text)));
        }
        const QString path = QDir(folder).filePath(QStringLiteral("p%1.jpg").arg(++n));
        if (!testpictures::writePicture(path, testpictures::Format::Jpeg, tags))
            return false;
    }
    return true;
}
