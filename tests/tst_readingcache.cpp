// SPDX-License-Identifier: GPL-3.0-or-later
// The reading cache through lenstally-report: the same results with it, without it and from
// it; files changed, removed, and caches that are damaged, newer, read-only or shared.
#include "testpictures.h"

#include <QtTest>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace testpictures;

namespace {

const QString reportPath = QStringLiteral(LENSTALLY_REPORT_PATH);

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    QByteArray json;
};

// Copies file into folder, readable by all; the copy's path, or "" on failure.
QString readableCopy(const QString& file, const QString& folder)
{
    const QString copy = folder + QLatin1Char('/') + QFileInfo(file).fileName();
    QFile::remove(copy);
    if (!QFile::copy(file, copy) ||
        !QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ReadOther |
                                         QFile::ReadGroup | QFile::ReadOwner))
        return QString();
    return copy;
}

// Runs the report as nobody from copies in folder: nobody may not enter the folder that
// holds the checkout, whose build has the program and whose source tree the sanitizers'
// suppression files. False when a copy fails.
bool asNobody(QProcess* process, QString* program, QStringList* command, const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys()) {
        if (!name.endsWith("SAN_OPTIONS"))
            continue;
        QStringList options = environment.value(name).split(':');
        for (QString& option : options) {
            if (!option.startsWith("suppressions="))
                continue;
            const QString copy = readableCopy(option.mid(option.indexOf('=') + 1), folder);
            if (copy.isEmpty())
                return false;
            option = "suppressions=" + copy;
        }
        environment.insert(name, options.join(':'));
    }
    process->setProcessEnvironment(environment);
    const QString copy = readableCopy(*program, folder);
    if (copy.isEmpty())
        return false;
    *command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", copy} + *command;
    *program = "setpriv";
    return true;
}

// Starts the report; as nobody, with copies in nobodyFolder, when that is given and the
// test runs as root (who may write any file).
QProcess* startReport(const QStringList& arguments, const QString& json,
                      const QString& nobodyFolder = QString())
{
    auto* process = new QProcess;
    QStringList command = arguments + QStringList{"--json", json};
    QString program = reportPath;
    // A file may grow to some 40 kB only, as on a full disk (the signal that would stop
    // the program is ignored, so its write fails).
    if (command.removeAll("--small-disk")) {
        command =
            QStringList{"-c", "trap '' XFSZ; ulimit -f 40; exec \"$0\" \"$@\"", program} + command;
        program = "bash";
    }
    if (!nobodyFolder.isEmpty() && ::geteuid() == 0 &&
        !asNobody(process, &program, &command, nobodyFolder))
        program = "/nonexistent/copy-failed";
    process->start(program, command);
    return process;
}

Run finish(QProcess* process, const QString& json)
{
    Run run;
    if (process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit)
        run.status = process->exitCode();
    // Whatever the end, what it said tells why.
    run.out = process->readAllStandardOutput();
    run.err = process->readAllStandardError();
    if (run.status < 0)
        run.err += process->errorString().toUtf8();
    QFile file(json);
    if (file.open(QIODevice::ReadOnly))
        run.json = file.readAll();
    delete process;
    return run;
}

Run report(const QStringList& arguments, const QString& json,
           const QString& nobodyFolder = QString())
{
    return finish(startReport(arguments, json, nobodyFolder), json);
}

QList<Tag> shot(const QString& make, const QString& model, const QString& iso, const QString& date)
{
    QList<Tag> tags = withTag(typicalTags(make, model), "Exif.Photo.ISOSpeedRatings",
                              Tag::textTag("Exif.Photo.ISOSpeedRatings", iso));
    tags << Tag::textTag("Exif.Photo.DateTimeOriginal", date)
         << Tag::textTag("Exif.Photo.LensModel", "EF 50mm f/1.8");
    return tags;
}

// The files writeLibrary writes, each kept by the cache.
constexpr int kLibraryFiles = 9;

// Every outcome: counted in three formats, a RAW+JPEG pair, a focal-plane-only picture,
// no usable data, no picture at all, a damaged TIFF, dates inside and outside a range, an
// ISO that only the maker notes hold.
bool writeLibrary(const QString& root)
{
    QDir().mkpath(root + "/a/b");
    QList<Tag> plane = withoutTag(shot("Acme", "Z1", "100", "2021:05:05 10:00:00"),
                                  "Exif.Photo.FocalLengthIn35mmFilm");
    plane << Tag::textTag("Exif.Photo.FocalPlaneXResolution", "492800/236")
          << Tag::textTag("Exif.Photo.FocalPlaneResolutionUnit", "3")
          << Tag::textTag("Exif.Photo.PixelXDimension", "4928")
          << Tag::textTag("Exif.Photo.PixelYDimension", "3264");
    QByteArray damaged = pictureBytes(Format::Tiff, shot("Canon", "Canon EOS 7D", "800", ""));
    damaged.chop(damaged.size() / 3);
    return writePicture(root + "/IMG_1.JPG", Format::Jpeg,
                        shot("Canon", "Canon EOS 7D", "200", "2022:01:02 03:04:05")) &&
           writePicture(root + "/IMG_1.CR2", Format::Tiff,
                        shot("Canon", "Canon EOS 7D", "200", "2022:01:02 03:04:05")) &&
           writePicture(root + "/a/DSC_1.nef", Format::Tiff,
                        shot("NIKON CORPORATION", "NIKON D750", "400", "2019:07:08 09:10:11")) &&
           writePicture(root + "/a/plane.jpg", Format::Jpeg, plane) &&
           writePicture(root + "/a/b/dark.tif", Format::Tiff,
                        withoutTag(typicalTags(), "Exif.Photo.ExposureTime")) &&
           writeBytes(root + "/a/b/notes.jpg", "not a picture") &&
           writeBytes(root + "/a/b/cut.tif", damaged) &&
           writePicture(root + "/a/b/IMG_9.heic", Format::Heif,
                        shot("Apple", "iPhone 15", "50", "2024:12:24 18:00:00")) &&
           writePicture(root + "/a/IMG_5.JPG", Format::Jpeg,
                        withoutTag(shot("Canon", "Canon EOS 7D", "", "2022:03:04 05:06:07"),
                                   "Exif.Photo.ISOSpeedRatings")
                            << Tag::textTag("Exif.CanonSi.ISOSpeed", "160"));
}

QStringList options()
{
    return {"--jpeg", "--tiff", "--raw", "--heif"};
}

QByteArray whole(const Run& run)
{
    return run.out + "\n--\n" + run.err + "\n--\n" + run.json;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

qint64 entries(const QString& cache, const QString& where = QString())
{
    sqlite3* db = nullptr;
    qint64 count = -1;
    if (sqlite3_open_v2(QFile::encodeName(cache).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = "SELECT count(*) FROM files" +
                               (where.isEmpty() ? QByteArray() : " WHERE " + where.toUtf8());
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            count = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return count;
}

bool setModified(const QString& path, time_t seconds)
{
    struct utimbuf times
    {
        seconds, seconds
    };
    return ::utime(QFile::encodeName(path).constData(), &times) == 0;
}

// Files written just now are not kept (a coarse clock may not have ticked since): the
// tree's files are made a minute old.
bool age(const QString& root)
{
    const time_t then = time(nullptr) - 60;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (!setModified(it.next(), then))
            return false;
    }
    return true;
}

// Damages a cache so that it still opens: every row in one page beyond the first two,
// then that page cut off.
bool truncateCache(const QString& cache)
{
    sqlite3* db = nullptr;
    bool ok =
        sqlite3_open(QFile::encodeName(cache).constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok && ::truncate(QFile::encodeName(cache).constData(), 2 * 4096) == 0;
}

// Damages the page that holds the cache's entries, which is read only once files are
// looked up: the damage shows during the run, not when the cache is opened.
bool damageEntries(const QString& cache)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    qint64 page = 0;
    qint64 pageSize = 0;
    if (sqlite3_open(QFile::encodeName(cache).constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM "
                           "sqlite_schema WHERE name = 'files'",
                           -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        page = sqlite3_column_int64(statement, 0);
        pageSize = sqlite3_column_int64(statement, 1);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    QFile file(cache);
    return page > 1 && file.open(QIODevice::ReadWrite) && file.seek((page - 1) * pageSize) &&
           file.write(QByteArray(pageSize, '\xff')) == pageSize;
}

// The copies of a cache set aside.
QStringList setAside(const QString& cache)
{
    const QFileInfo info(cache);
    QStringList copies = info.dir().entryList({info.fileName() + ".set-aside-*"});
    copies.removeIf([](const QString& name) { return name.endsWith("-wal"); });
    return copies;
}

// A TIFF whose every tag points beyond its end: the library says so once for each.
QByteArray talkativeTiff(int tags)
{
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    QDataStream out(&bytes, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(tags);
    for (int i = 0; i < tags; ++i) // ASCII text of 40 bytes at 100,000 and on
        out << quint16(0x010d + i) << quint16(2) << quint32(40) << quint32(100000 + 64 * i);
    out << quint32(0);
    return bytes;
}

time_t modified(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mtime : 0;
}

} // namespace

class TestReadingCache : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sameResultsWithoutWithAndFromTheCache_data();
    void sameResultsWithoutWithAndFromTheCache();
    void fileListRows_data();
    void fileListRows();
    void nameNotValidUtf8();
    void changedFileIsReadAgainUnchangedIsNot();
    void removedFilesAndFoldersArePruned();
    void unusableCacheIsSetAsideWithOneWarning_data();
    void unusableCacheIsSetAsideWithOneWarning();
    void readOnlyCacheIsLeftAloneWhereverTheCheckoutLies();
    void damagedCacheIsReplacedInTheSameRunKeepingOneCopy();
    void manyMessagesAreCutAlikeFromFileAndCache();
    void twoReportsShareOneCache();
    void fullDiskOnlyStopsTheWriting();

private:
    QTemporaryDir dir;
    QString library;
    QString cache;
    QString json;
};

void TestReadingCache::init()
{
    QVERIFY(dir.isValid());
    library = dir.filePath(QString("library-%1").arg(QTest::currentTestFunction()));
    cache = dir.filePath(QString("%1-%2.sqlite")
                             .arg(QTest::currentTestFunction(), QTest::currentDataTag())
                             .replace(' ', '-'));
    json = dir.filePath("out.json");
    if (!QFileInfo::exists(library))
        QVERIFY(writeLibrary(library) && age(library));
}

void TestReadingCache::sameResultsWithoutWithAndFromTheCache_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plain") << QStringList();
    QTest::newRow("make filter") << QStringList{"--make", "canon;nikon", "--verbose"};
    QTest::newRow("model except") << QStringList{"--model", "7D", "--except-model"};
    QTest::newRow("counting options")
        << QStringList{"--pairs-once",  "--estimate-35mm", "--taken-from", "2020-01-01",
                       "--taken-until", "2023-12-31",      "--by-value"};
    // Values only the maker notes hold, and pictures counted without some of them.
    QTest::newRow("maker notes, incomplete") << QStringList{"--maker-notes", "--count-incomplete"};
}

void TestReadingCache::sameResultsWithoutWithAndFromTheCache()
{
    QFETCH(QStringList, arguments);
    const QString files = QDir(library).filePath("../files.csv");
    const QStringList run =
        QStringList{library} + options() + arguments + QStringList{"--files", files};
    const Run plain = report(run + QStringList{"--no-cache"}, json);
    QCOMPARE(plain.status, 0);
    const QByteArray plainFiles = contents(files);
    QCOMPARE(plainFiles.count("\r\n"), kLibraryFiles + 1); // the header and every file
    QVERIFY(!QFileInfo::exists(cache));
    const Run first = report(run + QStringList{"--cache", cache}, json);
    QCOMPARE(contents(files), plainFiles);
    const Run second = report(run + QStringList{"--cache", cache}, json);
    QCOMPARE(contents(files), plainFiles);
    QCOMPARE(whole(first), whole(plain));
    QCOMPARE(whole(second), whole(plain));
    // Every file is kept, the unreadable ones too.
    QCOMPARE(entries(cache), kLibraryFiles);
}

void TestReadingCache::fileListRows_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("row"); // after the path
    const QString jpeg = "Canon,Canon EOS 7D,EF 50mm f/1.8,50,75,tag,2.8,200,1/125,2022-01-02,0";
    QTest::newRow("counted") << QStringList() << "IMG_1.JPG"
                             << "counted," + jpeg;
    QTest::newRow("pair duplicate") << QStringList{"--pairs-once"} << "IMG_1.JPG"
                                    << "pair duplicate," + jpeg;
    QTest::newRow("filtered: make and model only")
        << QStringList{"--make", "nikon"} << "IMG_1.JPG"
        << "filtered out,Canon,Canon EOS 7D,,,,none,,,,,0";
    QTest::newRow("outside the dates")
        << QStringList{"--taken-from", "2020-01-01"} << "a/DSC_1.nef"
        << "outside the dates,NIKON CORPORATION,NIKON D750,EF 50mm f/1.8,50,75,tag,2.8,400,"
           "1/125,2019-07-08,0";
    QTest::newRow("35 mm unknown") << QStringList() << "a/plane.jpg"
                                   << "counted,Acme,Z1,EF 50mm f/1.8,50,Unknown,none,2.8,100,"
                                      "1/125,2021-05-05,0";
    QTest::newRow("focal plane") << QStringList{"--estimate-35mm"} << "a/plane.jpg"
                                 << "counted,Acme,Z1,EF 50mm f/1.8,50,76,focal plane,2.8,100,"
                                    "1/125,2021-05-05,0";
    QTest::newRow("without usable data") << QStringList() << "a/b/dark.tif"
                                         << "without usable data,Canon,Canon EOS 7D,,50,75,tag,"
                                            "2.8,200,,,0";
    QTest::newRow("damaged, with messages")
        << QStringList() << "a/b/cut.tif"
        << "without usable data,Canon,Canon EOS 7D,,,,none,,800,,,3";
    QTest::newRow("unreadable") << QStringList() << "a/b/notes.jpg"
                                << "unreadable,,,,,,none,,,,,0";
}

void TestReadingCache::fileListRows()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QString, row);
    const Run run = report(QStringList{library} + options() + arguments +
                               QStringList{"--no-cache", "--files", "-"},
                           json);
    QCOMPARE(run.status, 0);
    const QStringList lines = QString::fromUtf8(run.out).split("\r\n");
    QCOMPARE(lines.size(),
             kLibraryFiles + 2); // the header, the files, and nothing after the last CR LF
    QCOMPARE(lines.first(), "path,outcome,make,model,lens,focal_length,focal_length_35mm,"
                            "focal_length_35mm_from,f_number,iso,exposure_time,taken,messages");
    QVERIFY2(lines.contains(library + "/" + file + "," + row), qPrintable(lines.join('\n')));
}

void TestReadingCache::nameNotValidUtf8()
{
    // A folder and a picture named in Latin-1 ("café/été.jpg"), made through the POSIX API.
    const QByteArray root = QFile::encodeName(dir.filePath("latin1"));
    const QByteArray folder = root + "/caf\xe9";
    QVERIFY(::mkdir(root.constData(), 0755) == 0 && ::mkdir(folder.constData(), 0755) == 0);
    const QByteArray picture = pictureBytes(Format::Jpeg, typicalTags());
    const QByteArray path = folder + "/\xe9t\xe9.jpg";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, picture.constData(), size_t(picture.size())), ssize_t(picture.size()));
    ::close(fd);
    const utimbuf old{time(nullptr) - 60, time(nullptr) - 60}; // old enough to be kept
    QVERIFY(::utime(path.constData(), &old) == 0);
    const QStringList run{QString::fromLatin1(root), "--jpeg", "--files", "-", "--cache", cache};
    const Run first = report(run, json);
    QCOMPARE(first.status, 0);
    QVERIFY2(first.err.contains("1 files: 1 counted"), first.err.constData());
    // Shown with U+FFFD for each byte that is not UTF-8.
    QVERIFY2(first.out.contains("/caf\xef\xbf\xbd/\xef\xbf\xbdt\xef\xbf\xbd.jpg,counted,Canon,"),
             first.out.constData());
    // Kept under the name's own bytes, and found there again.
    QCOMPARE(entries(cache, "name = CAST(X'e974e92e6a7067' AS TEXT)"), 1);
    const Run second = report(run, json);
    QCOMPARE(whole(second), whole(first));
    QCOMPARE(entries(cache), 1);
    // QTemporaryDir could not name them.
    QVERIFY(::unlink(path.constData()) == 0 && ::rmdir(folder.constData()) == 0);
}

void TestReadingCache::changedFileIsReadAgainUnchangedIsNot()
{
    const QString picture = library + "/IMG_1.JPG";
    const time_t was = modified(picture);
    QVERIFY(report({library, "--jpeg", "--no-raw", "--cache", cache}, json).out.contains("200 "));
    // Same size, one second later: read again.
    // Written in place: the same inode.
    QVERIFY(writeBytes(picture, pictureBytes(Format::Jpeg, shot("Canon", "Canon EOS 7D", "400",
                                                                "2022:01:02 03:04:05"))));
    QVERIFY(setModified(picture, was + 1));
    Run run = report({library, "--jpeg", "--no-raw", "--cache", cache}, json);
    QVERIFY2(run.out.contains("400 ") && !run.out.contains("200 "), run.out.constData());
    // Same size, same inode, same time: the cache answers, and so still says 400.
    QVERIFY(writeBytes(picture, pictureBytes(Format::Jpeg, shot("Canon", "Canon EOS 7D", "800",
                                                                "2022:01:02 03:04:05"))));
    QVERIFY(setModified(picture, was + 1));
    run = report({library, "--jpeg", "--no-raw", "--cache", cache}, json);
    QVERIFY2(run.out.contains("400 ") && !run.out.contains("800 "), run.out.constData());
    // Permissions count as a change: an unreadable file must not be counted from the cache.
    QVERIFY(QFile::setPermissions(picture, QFile::WriteOwner));
    if (::geteuid() != 0) {
        run = report({library, "--jpeg", "--no-raw", "--cache", cache}, json);
        QVERIFY2(run.err.contains("0 counted"), run.err.constData());
    }
    QVERIFY(QFile::setPermissions(picture, QFile::ReadOwner | QFile::WriteOwner));
    run = report({library, "--jpeg", "--no-raw", "--cache", cache}, json);
    QVERIFY2(run.out.contains("800 "), run.out.constData());
    // A file written just now is read but not kept.
    QVERIFY(writePicture(library + "/new.jpg", Format::Jpeg, typicalTags()));
    run = report({library, "--jpeg", "--no-raw", "--cache", cache}, json);
    QVERIFY2(run.err.contains("3 counted"), run.err.constData());
    QCOMPARE(entries(cache, "name = 'new.jpg'"), 0);
}

void TestReadingCache::removedFilesAndFoldersArePruned()
{
    QVERIFY(QDir().mkpath(library + "/gone"));
    QVERIFY(writePicture(library + "/gone/x.jpg", Format::Jpeg, typicalTags()));
    QVERIFY(age(library));
    QVERIFY(report(QStringList{library, "--cache", cache} + options(), json).status == 0);
    QCOMPARE(entries(cache), kLibraryFiles + 1);
    // A listing of other formats does not prune the files it did not look for.
    QVERIFY(QFile::remove(library + "/IMG_1.CR2"));
    QVERIFY(report({library, "--jpeg", "--no-raw", "--cache", cache}, json).status == 0);
    QCOMPARE(entries(cache, "name = 'IMG_1.CR2'"), 1);
    QVERIFY(QFile::remove(library + "/a/plane.jpg"));
    QVERIFY(QDir(library + "/gone").removeRecursively());
    QVERIFY(report(QStringList{library, "--cache", cache} + options(), json).status == 0);
    QCOMPARE(entries(cache, "name IN ('plane.jpg', 'x.jpg', 'IMG_1.CR2')"), 0);
    QCOMPARE(entries(cache), kLibraryFiles - 2);
}

void TestReadingCache::unusableCacheIsSetAsideWithOneWarning_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("warning");
    QTest::newRow("not a database") << "garbage"
                                    << "is damaged";
    QTest::newRow("truncated") << "truncated"
                               << "is damaged";
    QTest::newRow("future schema") << "future"
                                   << "comes from a newer version of Lenstally";
}

void TestReadingCache::unusableCacheIsSetAsideWithOneWarning()
{
    QFETCH(QString, kind);
    QFETCH(QString, warning);
    const QStringList run = QStringList{library} + options();
    const Run plain = report(run + QStringList{"--no-cache"}, json);
    if (kind == "garbage") {
        QVERIFY(writeBytes(cache, QByteArray(8192, 'x')));
    } else {
        QCOMPARE(report(run + QStringList{"--cache", cache}, json).status, 0);
        if (kind == "truncated") {
            QVERIFY(truncateCache(cache));
        } else {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(cache).constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        }
    }
    const Run damaged = report(run + QStringList{"--cache", cache}, json);
    QCOMPARE(damaged.status, 0);
    QCOMPARE(damaged.out, plain.out);
    QCOMPARE(damaged.json, plain.json);
    QCOMPARE(damaged.err.count("Warning: "), 1);
    QVERIFY2(damaged.err.contains(warning.toUtf8()), damaged.err.constData());
    QCOMPARE(setAside(cache).size(), 1);
    // The next run builds a new cache without a word.
    const Run next = report(run + QStringList{"--cache", cache}, json);
    QCOMPARE(whole(next), whole(plain));
    QCOMPARE(entries(cache), kLibraryFiles);
}

void TestReadingCache::readOnlyCacheIsLeftAloneWhereverTheCheckoutLies()
{
    const QStringList run = QStringList{library} + options();
    QCOMPARE(report(run + QStringList{"--cache", cache}, json).status, 0);
    QVERIFY(QFile::remove(library + "/a/plane.jpg"));
    QVERIFY(QFile::setPermissions(cache, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const auto everyoneEnters = QFile::ExeOther | QFile::ReadOther | QFile::ExeGroup |
                                QFile::ReadGroup | QFile::ReadOwner | QFile::WriteOwner |
                                QFile::ExeOwner;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | everyoneEnters));
    const QString nobody = dir.filePath("nobody");
    QVERIFY(QDir().mkpath(nobody) && QFile::setPermissions(nobody, everyoneEnters));
    QFile before(cache);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    // Somewhere nobody may write the export.
    const QString out = QDir::temp().filePath(QString("lenstally-ro-%1.json").arg(getpid()));
    const Run plain = report(run + QStringList{"--no-cache"}, json);
    const Run readOnly = report(run + QStringList{"--cache", cache}, out, nobody);
    QFile::remove(out);
    QVERIFY2(readOnly.status == 0, readOnly.err.constData());
    QCOMPARE(readOnly.out, plain.out);
    QCOMPARE(readOnly.err.count("Warning: "), 1);
    QVERIFY2(readOnly.err.contains("is read-only"), readOnly.err.constData());
    QFile after(cache);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
}

void TestReadingCache::damagedCacheIsReplacedInTheSameRunKeepingOneCopy()
{
    const QStringList run = QStringList{library, "--cache", cache} + options();
    QCOMPARE(report(run, json).status, 0);
    for (int time = 0; time < 2; ++time) {
        QVERIFY(damageEntries(cache));
        const Run damaged = report(run, json);
        QVERIFY2(damaged.err.contains("is damaged"), damaged.err.constData());
        // What this run read is kept anew: the next one reads nothing.
        QCOMPARE(entries(cache), kLibraryFiles);
        // A newer copy set aside replaces the older one.
        QCOMPARE(setAside(cache).size(), 1);
    }
}

void TestReadingCache::manyMessagesAreCutAlikeFromFileAndCache()
{
    QVERIFY(writeBytes(library + "/talk.tif", talkativeTiff(12)));
    QVERIFY(age(library));
    const QStringList run = QStringList{library, "--verbose"} + options();
    const Run plain = report(run + QStringList{"--no-cache"}, json);
    QVERIFY2(plain.err.contains("/talk.tif: ... and 8 more messages\n"), plain.err.constData());
    QCOMPARE(whole(report(run + QStringList{"--cache", cache}, json)), whole(plain));
    QCOMPARE(whole(report(run + QStringList{"--cache", cache}, json)), whole(plain));
    QCOMPARE(entries(cache, "name = 'talk.tif' AND length(messages) < 1100 AND more = 8"), 1);
}

void TestReadingCache::twoReportsShareOneCache()
{
    // Enough files that the two runs overlap.
    QVERIFY(QDir().mkpath(library + "/many"));
    for (int i = 0; i < 300; ++i) {
        QVERIFY(writePicture(library + QString("/many/P%1.jpg").arg(i), Format::Jpeg,
                             shot("Canon", "Canon EOS 7D", QString::number(100 + i % 7), "")));
    }
    QVERIFY(age(library));
    const QStringList run = QStringList{library} + options();
    const Run plain = report(run + QStringList{"--no-cache"}, json);
    const QString json2 = dir.filePath("out2.json");
    QProcess* a = startReport(run + QStringList{"--cache", cache}, json);
    QProcess* b = startReport(run + QStringList{"--cache", cache}, json2);
    const Run first = finish(a, json);
    const Run second = finish(b, json2);
    QCOMPARE(whole(first), whole(plain));
    QCOMPARE(whole(second), whole(plain));
    QCOMPARE(entries(cache), kLibraryFiles + 300);
    QCOMPARE(whole(report(run + QStringList{"--cache", cache}, json)), whole(plain));
}

void TestReadingCache::fullDiskOnlyStopsTheWriting()
{
    QVERIFY(QDir().mkpath(library + "/many"));
    for (int i = 0; i < 300; ++i)
        QVERIFY(
            writePicture(library + QString("/many/P%1.jpg").arg(i), Format::Jpeg, typicalTags()));
    QVERIFY(age(library));
    const QStringList run = QStringList{library} + options();
    const Run plain = report(run + QStringList{"--no-cache"}, json);
    const Run full = report(run + QStringList{"--cache", cache, "--small-disk"}, json);
    QCOMPARE(full.status, 0);
    QCOMPARE(full.out, plain.out);
    QCOMPARE(full.json, plain.json);
    QCOMPARE(full.err.count("Warning: "), 1);
    QVERIFY2(full.err.contains("Could not write to the reading cache"), full.err.constData());
    // With room again, the same database takes everything.
    QCOMPARE(whole(report(run + QStringList{"--cache", cache}, json)), whole(plain));
    QCOMPARE(entries(cache), kLibraryFiles + 300);
}

QTEST_GUILESS_MAIN(TestReadingCache)
#include "tst_readingcache.moc"
