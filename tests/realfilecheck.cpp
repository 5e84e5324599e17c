// SPDX-License-Identifier: GPL-3.0-or-later
// Compares, file by file, what the analysis reads from a folder of real pictures
// (readFile: the guards, in-memory reading, the box walker) with what Exiv2 alone reads
// from each whole file, judged by the same rules:
//   lenstally-real-file-check FOLDER ALLOWED_LIST [--timeout SECONDS]
// Prints one line per difference and a closing count; exits 0 when every difference is
// on the allowed list (lines "NAME REASON"; # starts a comment), 1 otherwise, 2 on a
// wrong command line or a folder with nothing Exiv2 reads. Each read runs in a child process with a
// time limit, so that no file can hang the check.

#include "core/base/fsname.h"
#include "core/read/exifaccess.h"
#include "core/read/fastreader.h"
#include "core/read/picturereading.h"
#include "core/session/analysisresult.h"

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Reading
{
    PictureReading picture;
    QString metadata;  // every Exif and XMP datum, as exif::metadataText gives them
    bool fast = false; // the fast reader took the file
};

Reading readPath(const QString& path, bool whole)
{
    Reading reading;
    reading.picture = whole ? readFileWhole(path) : readFile(path);
    PictureReading taken;
    reading.fast =
        !whole && fastread::enabled() && fastread::readFile(fsname::encode(path), &taken);
    exif::ImagePtr image = whole ? exif::openWholeFile(path) : exif::openFile(path);
    if (image)
        reading.metadata = exif::metadataText(*image);
    return reading;
}

QByteArray serialise(const Reading& reading)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const PictureReading& r = reading.picture;
    const PictureValues& v = r.values;
    out << reading.metadata << reading.fast << int(r.outcome) << r.makeRead << r.modelRead
        << r.makeTag << r.modelTag << v.make << v.model << v.focalLength << v.focalLength35mm
        << v.focalPlane35mm << v.aperture << v.iso << v.exposureTime << v.lens << v.dateText;
    const MakerNoteValues& m = v.makerNotes;
    out << m.focalLength << m.aperture << m.iso << m.exposureTime << m.focalLength35mm
        << m.focalPlane35mm;
    return bytes;
}

Reading deserialise(const QByteArray& bytes)
{
    Reading reading;
    PictureReading& r = reading.picture;
    PictureValues& v = r.values;
    QDataStream in(bytes);
    int outcome = 0;
    in >> reading.metadata >> reading.fast >> outcome >> r.makeRead >> r.modelRead >> r.makeTag >>
        r.modelTag >> v.make >> v.model >> v.focalLength >> v.focalLength35mm >> v.focalPlane35mm >>
        v.aperture >> v.iso >> v.exposureTime >> v.lens >> v.dateText;
    MakerNoteValues& m = v.makerNotes;
    in >> m.focalLength >> m.aperture >> m.iso >> m.exposureTime >> m.focalLength35mm >>
        m.focalPlane35mm;
    r.outcome = PictureOutcome(outcome);
    return reading;
}

enum class Status
{
    Read,
    TimedOut,
    Crashed,
};

struct ChildReading
{
    Status status = Status::Crashed;
    Reading reading;
};

// Reads the file in a child process (ours, or Exiv2's whole reading), waiting at most
// timeoutMs; a child that runs over is killed.
ChildReading readInChild(const QString& path, bool whole, int timeoutMs)
{
    std::fflush(nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return {};
    }
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray bytes = serialise(readPath(path, whole));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(fds[1], bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ::_exit(1);
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    QByteArray bytes;
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildReading result;
    if (timedOut)
        result.status = Status::TimedOut;
    else if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        result = {Status::Read, deserialise(bytes)};
    return result;
}

// The compared fields of a reading, as text, by name.
QList<QPair<QString, QString>> fields(const PictureReading& r)
{
    const auto number = [](float value) { return QString::number(double(value), 'g', 9); };
    const auto tag = [](bool read, const QString& text) {
        return read ? QLatin1Char('"') + text + QLatin1Char('"') : QStringLiteral("(unreadable)");
    };
    const PictureValues& v = r.values;
    return {
        {QStringLiteral("outcome"), outcomeText(r.outcome)},
        {QStringLiteral("Make"), tag(r.makeRead, r.makeTag)},
        {QStringLiteral("Model"), tag(r.modelRead, r.modelTag)},
        {QStringLiteral("FocalLength"), number(v.focalLength)},
        {QStringLiteral("FocalLengthIn35mmFilm"), number(v.focalLength35mm)},
        {QStringLiteral("focal-plane 35 mm"), number(v.focalPlane35mm)},
        {QStringLiteral("FNumber"), number(v.aperture)},
        {QStringLiteral("ISO"), number(v.iso)},
        {QStringLiteral("ExposureTime"), number(v.exposureTime)},
        {QStringLiteral("lens"), QLatin1Char('"') + v.lens + QLatin1Char('"')},
        {QStringLiteral("date"), QLatin1Char('"') + v.dateText + QLatin1Char('"')},
        // What --maker-notes counts.
        {QStringLiteral("maker-note focal length"), number(v.makerNotes.focalLength)},
        {QStringLiteral("maker-note f-number"), number(v.makerNotes.aperture)},
        {QStringLiteral("maker-note ISO"), number(v.makerNotes.iso)},
        {QStringLiteral("maker-note exposure time"), number(v.makerNotes.exposureTime)},
        {QStringLiteral("maker-note 35 mm"), number(v.makerNotes.focalLength35mm)},
        {QStringLiteral("maker-note focal-plane 35 mm"), number(v.makerNotes.focalPlane35mm)},
    };
}

// "NAME: FIELD: ours X, Exiv2 Y" for every field that differs.
QStringList differences(const QString& name, const ChildReading& ours, const ChildReading& whole)
{
    if (ours.status != Status::Read)
        return {name + (ours.status == Status::TimedOut ? QStringLiteral(": our reading timed out")
                                                        : QStringLiteral(": our reading crashed"))};
    QStringList lines;
    const auto a = fields(ours.reading.picture);
    const auto b = fields(whole.reading.picture);
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].second != b[i].second)
            lines << QStringLiteral("%1: %2: ours %3, Exiv2 %4")
                         .arg(name, a[i].first, a[i].second, b[i].second);
    }
    // Beyond what the rules take: all the metadata, so that a walker fault shows even
    // where the tables would not.
    const QStringList mine = ours.reading.metadata.split(QLatin1Char('\n'));
    const QStringList theirs = whole.reading.metadata.split(QLatin1Char('\n'));
    if (mine != theirs) {
        qsizetype i = 0;
        while (i < mine.size() && i < theirs.size() && mine[i] == theirs[i])
            ++i;
        lines << QStringLiteral("%1: metadata: %2 lines, Exiv2 %3; from line %4 ours \"%5\", "
                                "Exiv2 \"%6\"")
                     .arg(name)
                     .arg(mine.size())
                     .arg(theirs.size())
                     .arg(i + 1)
                     .arg(mine.value(i).left(80), theirs.value(i).left(80));
    }
    return lines;
}

void print(const QString& line)
{
    std::printf("%s\n", qUtf8Printable(line));
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int timeoutSeconds = 20;
    const int option = int(args.indexOf(QStringLiteral("--timeout")));
    if (option >= 0 && option + 1 < args.size()) {
        timeoutSeconds = args[option + 1].toInt();
        args.remove(option, 2);
    }
    if (args.size() != 2 || timeoutSeconds <= 0) {
        std::fprintf(stderr, "usage: %s FOLDER ALLOWED_LIST [--timeout SECONDS]\n", argv[0]);
        return 2;
    }
    const QDir folder{QDir(args[0]).absolutePath()};

    QFile list(args[1]);
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[1]));
        return 2;
    }
    QMap<QString, QString> allowed; // name, reason
    while (!list.atEnd()) {
        const QString line = QString::fromUtf8(list.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype space = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        allowed.insert(line.left(space), space < 0 ? QString() : line.mid(space).trimmed());
    }

    QStringList names;
    QDirIterator it(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << folder.relativeFilePath(it.next());
    names.sort();
    if (names.isEmpty()) {
        std::fprintf(stderr, "no files in %s\n", qPrintable(folder.path()));
        return 2;
    }

    exif::prepareForThreads(); // once, before the children are forked
    int passed = 0;
    int failed = 0;
    int allowedCount = 0;
    int readByExiv2 = 0;
    int takenFast = 0;
    const int timeoutMs = timeoutSeconds * 1000;
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        const ChildReading whole = readInChild(path, true, timeoutMs);
        const ChildReading ours = readInChild(path, false, timeoutMs);
        // What Exiv2 cannot finish reading is a picture it does not read.
        if (whole.status != Status::Read)
            print(name + (whole.status == Status::TimedOut
                              ? QStringLiteral(": note: Exiv2 ran over %1 s; taken as unreadable")
                                    .arg(timeoutSeconds)
                              : QStringLiteral(": note: Exiv2 crashed; taken as unreadable")));
        if (whole.reading.picture.outcome != PictureOutcome::Unreadable)
            ++readByExiv2;
        if (ours.status == Status::Read && ours.reading.fast)
            ++takenFast;
        const QStringList lines = differences(name, ours, whole);
        if (lines.isEmpty()) {
            ++passed;
            if (allowed.contains(name))
                print(name + QStringLiteral(": note: on the allowed list, but reads the same"));
        } else if (allowed.contains(name)) {
            ++allowedCount;
            print(name + QStringLiteral(": allowed: ") + allowed.value(name));
        } else {
            ++failed;
            for (const QString& line : lines)
                print(line);
        }
    }
    print(QStringLiteral("%1 files (%2 read by Exiv2, %6 by the fast reader): %3 passed, %4 "
                         "failed, %5 allowed")
              .arg(names.size())
              .arg(readByExiv2)
              .arg(passed)
              .arg(failed)
              .arg(allowedCount)
              .arg(takenFast));
    if (readByExiv2 == 0) {
        std::fprintf(stderr, "Exiv2 read none of the files: nothing was compared\n");
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
