// SPDX-License-Identifier: GPL-3.0-or-later
// Whole analyses over trees of damaged, crafted and oddly named files: every file is
// counted as processed, the good pictures beside the bad ones are counted, no file
// takes long, and nothing in the tree changes.

#include "core/count/stattable.h"
#include "core/read/exifaccess.h"
#include "core/session/entryreader.h"
#include "core/walk/filecollector.h"
#include "testpictures.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testpictures;

namespace {

// One entry of a damaged tree, made by makeEntry.
struct Entry
{
    enum class Kind
    {
        Bytes,        // a file holding bytes
        Good,         // a good picture (JPEG unless the name ends in .tif)
        Folder,       // an empty folder
        Fifo,         // a named pipe
        Sparse,       // a 4 GiB file of holes, behind bytes
        LinkToGood,   // a symbolic link to a good picture outside the tree
        LinkToFolder, // a symbolic link to a folder outside the tree holding a good picture
        Dangling,     // a symbolic link to nothing
    };
    QByteArray name; // raw file-name bytes, relative to the tree; may hold a folder
    Kind kind = Kind::Bytes;
    QByteArray bytes;
    // May be counted, need not be: a picture cut behind its metadata still has it.
    bool mayCount = false;
};

QByteArray goodJpeg()
{
    static const QByteArray bytes = pictureBytes(Format::Jpeg, typicalTags());
    return bytes;
}

QByteArray goodTiff()
{
    static const QByteArray bytes = pictureBytes(Format::Tiff, typicalTags());
    return bytes;
}

// Writes bytes under a raw path, so that names need not be valid UTF-8.
bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

// Creates every folder of path below root, raw bytes as they are.
bool makeParents(const QByteArray& root, const QByteArray& relative)
{
    const QList<QByteArray> parts = relative.split('/');
    QByteArray path = root;
    for (int i = 0; i + 1 < parts.size(); ++i) {
        path += '/' + parts[i];
        if (::mkdir(path.constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool makeEntry(const QByteArray& root, const QByteArray& outside, const Entry& e)
{
    if (!makeParents(root, e.name))
        return false;
    const QByteArray path = root + '/' + e.name;
    switch (e.kind) {
    case Entry::Kind::Bytes:
        return writeRaw(path, e.bytes);
    case Entry::Kind::Good:
        return writeRaw(path, e.name.endsWith(".tif") ? goodTiff() : goodJpeg());
    case Entry::Kind::Folder:
        return ::mkdir(path.constData(), 0755) == 0;
    case Entry::Kind::Fifo:
        return ::mkfifo(path.constData(), 0644) == 0;
    case Entry::Kind::Sparse:
        return writeRaw(path, e.bytes) && ::truncate(path.constData(), 4LL << 30) == 0;
    case Entry::Kind::LinkToGood:
        return writeRaw(outside + "/linked.jpg", goodJpeg()) &&
               ::symlink((outside + "/linked.jpg").constData(), path.constData()) == 0;
    case Entry::Kind::LinkToFolder: {
        // A folder of its own per link: two links to one folder list its picture once.
        const QByteArray target = outside + "/folder-" + QByteArray(e.name).replace('/', '_');
        if (::mkdir(target.constData(), 0755) != 0 && errno != EEXIST)
            return false;
        return writeRaw(target + "/inside.jpg", goodJpeg()) &&
               ::symlink(target.constData(), path.constData()) == 0;
    }
    case Entry::Kind::Dangling:
        return ::symlink((outside + "/nothing.jpg").constData(), path.constData()) == 0;
    }
    return false;
}

// A TIFF header and one IFD of the given entries (12 bytes each), then the rest.
QByteArray tiffWithIfd(const QByteArray& entries, quint16 count, quint32 next,
                       const QByteArray& rest = QByteArray())
{
    QByteArray b("II*\0\x08\0\0\0", 8);
    b += char(count & 0xff);
    b += char(count >> 8);
    b += entries;
    for (int i = 0; i < 4; ++i)
        b += char((next >> (8 * i)) & 0xff);
    return b + rest;
}

// A little-endian IFD entry: tag, type, count, value or offset.
QByteArray ifdEntry(quint16 tag, quint16 type, quint32 count, quint32 value)
{
    QByteArray b;
    for (quint32 v : {quint32(tag), quint32(type)}) {
        b += char(v & 0xff);
        b += char(v >> 8);
    }
    for (quint32 v : {count, value}) {
        for (int i = 0; i < 4; ++i)
            b += char((v >> (8 * i)) & 0xff);
    }
    return b;
}

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        b[i] = char(seed >> 24);
    }
    return b;
}

// Every cut of a picture at the points that end its header, its segments and its data.
QList<Entry> truncations(const QByteArray& picture, const QByteArray& prefix, const char* suffix)
{
    QList<Entry> out;
    QList<int> cuts = {0, 1, 2, 3, 4, 6, 8, 10, 12, 16, 20, 24, 30, 40, 64, 100, 128};
    for (int i = 1; i < 16; ++i)
        cuts << picture.size() * i / 16;
    cuts << picture.size() - 2 << picture.size() - 1;
    for (int cut : cuts) {
        if (cut >= 0 && cut < picture.size())
            out << Entry{prefix + QByteArray::number(cut) + suffix, Entry::Kind::Bytes,
                         picture.left(cut), true};
    }
    return out;
}

// The damaged cases, by name; each holds the bad entries of one case.
QList<QPair<QString, QList<Entry>>> damagedCases()
{
    using K = Entry::Kind;
    const QByteArray exifHeader("\xff\xd8\xff\xe1\x00\x10"
                                "Exif\0\0",
                                12);
    return {
        {"truncated JPEGs", truncations(goodJpeg(), "cut-", ".jpg")},
        {"truncated TIFFs", truncations(goodTiff(), "cut-", ".tif")},
        {"random bytes",
         {{"random.jpg", K::Bytes, randomBytes(5000, 1)},
          {"random.tif", K::Bytes, randomBytes(5000, 2)},
          {"random.nef", K::Bytes, randomBytes(70000, 3)},
          {"random-tiff-head.tif", K::Bytes, QByteArray("II*\0", 4) + randomBytes(3000, 4)},
          {"random-jpeg-head.jpg", K::Bytes,
           QByteArray("\xff\xd8\xff\xe1", 4) + randomBytes(3000, 5)}}},
        {"empty file", {{"empty.jpg", K::Bytes, QByteArray()}}},
        {"only an Exif header", {{"header.jpg", K::Bytes, exifHeader}}},
        {"IFD offsets outside the file",
         {{"outside.tif", K::Bytes,
           tiffWithIfd(ifdEntry(0x010f, 2, 100, 0x7ffffff0) + ifdEntry(0x8769, 4, 1, 0xfffffff0), 2,
                       0x7fff0000)}}},
        {"IFD loops",
         {{"self-loop.tif", K::Bytes, tiffWithIfd(ifdEntry(0x0100, 3, 1, 1), 1, 8)},
          {"exif-loop.tif", K::Bytes, tiffWithIfd(ifdEntry(0x8769, 4, 1, 8), 1, 0)},
          {"two-loop.tif", K::Bytes,
           tiffWithIfd(ifdEntry(0x8769, 4, 1, 26), 1, 0,
                       QByteArray("\x01\0", 2) + ifdEntry(0x8769, 4, 1, 8) +
                           QByteArray(4, '\0'))}}},
        {"huge declared counts",
         {{"many-entries.tif", K::Bytes, tiffWithIfd(ifdEntry(0x0100, 3, 1, 1), 0xffff, 0)},
          {"many-components.tif", K::Bytes,
           tiffWithIfd(ifdEntry(0x010f, 2, 0x7fffffff, 26) + ifdEntry(0x8769, 4, 0x40000000, 26), 2,
                       0)}}},
        {"4 GiB sparse files",
         {{"sparse.tif", K::Sparse, QByteArray()},
          {"sparse-marker.jpg", K::Sparse, QByteArray("\xff\xd8\xff\xe1\xff\xff", 6)}}},
        {"folder named like a picture", {{"x.jpg", K::Folder, QByteArray()}}},
        {"FIFO named like a picture", {{"y.jpg", K::Fifo, QByteArray()}}},
        {"symbolic links",
         {{"link-to-picture.jpg", K::LinkToGood, QByteArray()},
          {"link-to-folder.jpg", K::LinkToFolder, QByteArray()},
          {"linked-folder", K::LinkToFolder, QByteArray()},
          {"dangling.jpg", K::Dangling, QByteArray()}}},
        {"odd names",
         {{"with space/good one.jpg", K::Good, QByteArray()},
          {"quote\"s'/good \"q\".jpg", K::Good, QByteArray()},
          {"new\nline/good\n.jpg", K::Good, QByteArray()},
          {"\xd0\xba\xd0\xb0\xd0\xbc\xd0\xb5\xd1\x80\xd0\xb0/\xe5\x86\x99\xe7\x9c\x9f.jpg", K::Good,
           QByteArray()},
          {"bad-\xff-folder/bad-\xfe-name.jpg", K::Good, QByteArray()}}},
    };
}

// Whether the entry brings one good picture into the analysis: a good picture, a link to
// one, or a linked folder (whose own files are listed, though it is not descended into).
bool isGoodEntry(const Entry& e)
{
    if (e.mayCount)
        return false;
    return e.kind == Entry::Kind::Good || e.kind == Entry::Kind::LinkToGood ||
           e.kind == Entry::Kind::LinkToFolder;
}

// Checksum and modification time of everything below root, links not followed.
QMap<QByteArray, QByteArray> snapshot(const QByteArray& root)
{
    QMap<QByteArray, QByteArray> out;
    QDirIterator it(QFile::decodeName(root),
                    QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray path = QFile::encodeName(it.next());
        struct stat info;
        if (::lstat(path.constData(), &info) != 0) {
            out[path] = "unlisted";
            continue;
        }
        QByteArray state = QByteArray::number(qint64(info.st_mode)) + ' ' +
                           QByteArray::number(qint64(info.st_size)) + ' ' +
                           QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
                           QByteArray::number(qint64(info.st_mtim.tv_nsec));
        if (S_ISREG(info.st_mode) && info.st_size < (1 << 26)) {
            QFile file(QFile::decodeName(path));
            if (file.open(QIODevice::ReadOnly))
                state += ' ' +
                         QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
        }
        out[path] = state;
    }
    return out;
}

struct Tables
{
    StatTable table[StatKindCount];
};

// Runs a reader over files; false when the counter does not reach the file count in time.
bool runReader(const QStringList& files, int jobs, Tables* tables, int* counter)
{
    QAtomicInt progress(-1);
    EntryReader reader;
    reader.setFiles(&progress, files);
    reader.setJobs(jobs);
    for (int kind = 0; kind < StatKindCount; ++kind)
        reader.setTable(StatKind(kind), &tables->table[kind]);
    BackgroundRead running(reader);
    QElapsedTimer clock;
    clock.start();
    while (progress.loadRelaxed() < files.size() && clock.elapsed() < 120000)
        QThread::msleep(10);
    *counter = progress.loadRelaxed();
    if (*counter < files.size()) {
        // A hung reader cannot be joined: end the process rather than wait for ever.
        running.stop();
        if (!running.wait(5000))
            qFatal("the reader hangs on one of the files");
        return false;
    }
    return running.wait(10000);
}

double threadCpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(QList<Entry>)

class DamagedTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void damagedCase_data();
    void damagedCase();
    void wholeTree_data();
    void wholeTree();
    void unreadableFile();
    void nonUtf8Name();
    void cleanupTestCase();
    void refusedBeforeExiv2_data();
    void refusedBeforeExiv2();

private:
    // Builds a tree of the entries beside two good pictures; returns its root. The
    // analysis must count expectedGood pictures and may count mayCount more.
    QByteArray buildTree(const QList<Entry>& entries, int* expectedGood, int* mayCount = nullptr);
    QTemporaryDir scratch;
    int treeNumber = 0;
};

void DamagedTreeTest::initTestCase()
{
    QVERIFY(scratch.isValid());
    QVERIFY(!goodJpeg().isEmpty());
    QVERIFY(!goodTiff().isEmpty());
}

QByteArray DamagedTreeTest::buildTree(const QList<Entry>& entries, int* expectedGood, int* mayCount)
{
    const QByteArray base =
        QFile::encodeName(scratch.path()) + "/tree" + QByteArray::number(treeNumber++);
    const QByteArray root = base + "/root";
    const QByteArray outside = base + "/outside";
    if (::mkdir(base.constData(), 0755) != 0 || ::mkdir(root.constData(), 0755) != 0 ||
        ::mkdir(outside.constData(), 0755) != 0)
        return QByteArray();
    QList<Entry> all = entries;
    all << Entry{"good-before.jpg", Entry::Kind::Good, {}}
        << Entry{"zz/good-after.tif", Entry::Kind::Good, {}};
    *expectedGood = 0;
    if (mayCount)
        *mayCount = 0;
    for (const Entry& e : all) {
        if (!makeEntry(root, outside, e)) {
            qWarning("could not make %s", e.name.constData());
            return QByteArray();
        }
        if (isGoodEntry(e))
            ++*expectedGood;
        if (e.mayCount && mayCount)
            ++*mayCount;
    }
    return root;
}

void DamagedTreeTest::damagedCase_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    for (const auto& c : damagedCases())
        QTest::newRow(qPrintable(c.first)) << c.second;
}

// Each case alone beside good pictures: the files are all processed, the good ones
// counted, none takes more than a few seconds of CPU, and the tree is unchanged.
void DamagedTreeTest::damagedCase()
{
    QFETCH(QList<Entry>, entries);
    int expectedGood = 0;
    int mayCount = 0;
    const QByteArray root = buildTree(entries, &expectedGood, &mayCount);
    QVERIFY(!root.isEmpty());
    const auto before = snapshot(root);

    const QStringList files =
        collectFiles(QFile::decodeName(root), pictureExtensions(true, true, true));
    QVERIFY(files.size() >= 2);
    for (const QString& path : files) {
        PictureValues values;
        const double start = threadCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        analyseFile(path, {}, &values);
        QVERIFY2(threadCpuSeconds() - start < 3.0, qPrintable(path + " took too much CPU"));
        QVERIFY2(wall.elapsed() < 10000, qPrintable(path + " stalled"));
    }

    Tables tables;
    int counter = 0;
    QVERIFY(runReader(files, 1, &tables, &counter));
    QCOMPARE(counter, files.size());
    QVERIFY(tables.table[Camera].total() >= expectedGood);
    QVERIFY(tables.table[Camera].total() <= expectedGood + mayCount);
    QCOMPARE(snapshot(root), before);
}

void DamagedTreeTest::wholeTree_data()
{
    QTest::addColumn<int>("jobs");
    QTest::newRow("one thread") << 1;
    QTest::newRow("four threads") << 4;
    QTest::newRow("eight threads") << 8;
}

// All cases in one tree, walked and read on the threads, and by lenstally-report.
void DamagedTreeTest::wholeTree()
{
    QFETCH(int, jobs);
    QList<Entry> entries;
    for (const auto& c : damagedCases()) {
        for (Entry e : c.second) {
            e.name = "case-" + QByteArray::number(entries.size()) + '/' + e.name;
            entries << e;
        }
    }
    int expectedGood = 0;
    int mayCount = 0;
    const QByteArray root = buildTree(entries, &expectedGood, &mayCount);
    QVERIFY(!root.isEmpty());
    const auto before = snapshot(root);

    const QStringList files =
        collectFiles(QFile::decodeName(root), pictureExtensions(true, true, true), jobs);
    Tables tables;
    int counter = 0;
    QVERIFY(runReader(files, jobs, &tables, &counter));
    QCOMPARE(counter, files.size());
    const int counted = tables.table[Camera].total();
    QVERIFY(counted >= expectedGood);
    QVERIFY(counted <= expectedGood + mayCount);
    QCOMPARE(tables.table[FocalLength].rowCount(), 1u);
    QCOMPARE(snapshot(root), before);

#ifdef LENSTALLY_REPORT
    QProcess report;
    report.start(QStringLiteral(LENSTALLY_REPORT),
                 {QFile::decodeName(root), QStringLiteral("--jpeg"), QStringLiteral("--tiff"),
                  QStringLiteral("--raw"), QStringLiteral("--quiet"), QStringLiteral("--tsv"),
                  QStringLiteral("-")});
    QVERIFY(report.waitForFinished(120000));
    QCOMPARE(report.exitStatus(), QProcess::NormalExit);
    QVERIFY2(report.exitCode() == 0, report.readAllStandardError().left(6000).constData());
    // The camera section of the tab-separated text: its rows hold the good pictures.
    const QList<QByteArray> lines = report.readAllStandardOutput().split('\n');
    int reported = 0;
    bool inCamera = false;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() == 3 && fields[1] == "Pictures")
            inCamera = fields[0] == "Make & Model";
        else if (inCamera && fields.size() == 3)
            reported += fields[1].toInt();
    }
    QCOMPARE(reported, counted);
    QCOMPARE(snapshot(root), before);
#endif
}

// A picture without read permission beside two good ones. Root may read anything, so as
// root the tree is read by a child process that has dropped to the user "nobody".
void DamagedTreeTest::unreadableFile()
{
    int expectedGood = 0;
    const QByteArray root =
        buildTree({{"locked.jpg", Entry::Kind::Good, QByteArray()}}, &expectedGood);
    QVERIFY(!root.isEmpty());
    QVERIFY(::chmod((root + "/locked.jpg").constData(), 0) == 0);
    const QStringList files =
        collectFiles(QFile::decodeName(root), pictureExtensions(true, true, false));
    QCOMPARE(files.size(), 3);

    if (::geteuid() != 0) {
        Tables tables;
        int counter = 0;
        QVERIFY(runReader(files, 1, &tables, &counter));
        QCOMPARE(counter, 3);
        QCOMPARE(tables.table[Camera].total(), 2);
        return;
    }

    // The temporary folder is the owner's alone; the child must be able to enter it.
    QVERIFY(::chmod(QFile::encodeName(scratch.path()).constData(), 0755) == 0);
    enum Result
    {
        Passed = 0,
        NoDrop = 10,
        StillReadable,
        NotReachable,
        Stuck,
        WrongCounter,
        WrongCount,
    };
    std::fflush(nullptr);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const gid_t nobodyGroup = 65534;
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 || ::setuid(nobody) != 0)
            ::_exit(NoDrop);
        if (::access((root + "/locked.jpg").constData(), R_OK) == 0)
            ::_exit(StillReadable);
        if (::access((root + "/good-before.jpg").constData(), R_OK) != 0)
            ::_exit(NotReachable);
        // Read on this thread: a thread started after fork() in a process that had others
        // is one ThreadSanitizer cannot tell from those.
        Tables tables;
        QAtomicInt progress;
        EntryReader reader;
        reader.setFiles(&progress, files);
        reader.setJobs(1);
        for (int kind = 0; kind < StatKindCount; ++kind)
            reader.setTable(StatKind(kind), &tables.table[kind]);
        if (!reader.read([] { return false; }))
            ::_exit(Stuck);
        if (progress.loadRelaxed() != 3)
            ::_exit(WrongCounter);
        ::_exit(tables.table[Camera].total() == 2 ? Passed : WrongCount);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == NoDrop || WEXITSTATUS(status) == NotReachable)
        return QTest::qSkip("runs as root and cannot read the tree as the user nobody", __FILE__,
                            __LINE__);
    QCOMPARE(WEXITSTATUS(status), int(Passed));
}

// A good picture whose folder and file names are not UTF-8. Qt turns the bytes into
// replacement characters, so the folder walk cannot enter the folder again: the picture
// is missing from the file list (though the counter still matches the list).
void DamagedTreeTest::nonUtf8Name()
{
    int expectedGood = 0;
    const QByteArray root =
        buildTree({{"bad-\xff/bad-\xfe.jpg", Entry::Kind::Good, QByteArray()}}, &expectedGood);
    QVERIFY(!root.isEmpty());
    const QStringList files =
        collectFiles(QFile::decodeName(root), pictureExtensions(true, true, false));
    QCOMPARE(files.size(), 3);
    Tables tables;
    int counter = 0;
    QVERIFY(runReader(files, 1, &tables, &counter));
    QCOMPARE(counter, files.size());
    QCOMPARE(tables.table[Camera].total(), files.size());
}

// QTemporaryDir cannot remove names that Qt cannot encode again.
void DamagedTreeTest::cleanupTestCase()
{
    const QByteArray path = QFile::encodeName(scratch.path());
    ::nftw(
        path.constData(),
        [](const char* name, const struct stat*, int, struct FTW*) { return ::remove(name); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

void DamagedTreeTest::refusedBeforeExiv2_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("mayBePicture");
    using K = Entry::Kind;
    QTest::newRow("good picture") << Entry{"good.jpg", K::Good, {}} << true;
    QTest::newRow("link to a picture") << Entry{"link.jpg", K::LinkToGood, {}} << true;
    QTest::newRow("small file with a hole") << Entry{"hole.jpg", K::Bytes, {}} << true;
    QTest::newRow("big allocated file") << Entry{"big.jpg", K::Bytes, {}} << true;
    QTest::newRow("FIFO") << Entry{"y.jpg", K::Fifo, {}} << false;
    QTest::newRow("folder") << Entry{"x.jpg", K::Folder, {}} << false;
    QTest::newRow("link to a folder") << Entry{"d.jpg", K::LinkToFolder, {}} << false;
    QTest::newRow("dangling link") << Entry{"n.jpg", K::Dangling, {}} << false;
    QTest::newRow("4 GiB of holes")
        << Entry{"s.jpg", K::Sparse, QByteArray("\xff\xd8\xff\xe1\xff\xff", 6)} << false;
}

// What Exiv2 would hang on or spend long over never reaches it, while files and links
// to files still do.
void DamagedTreeTest::refusedBeforeExiv2()
{
    QFETCH(Entry, entry);
    QFETCH(bool, mayBePicture);
    const QByteArray base =
        QFile::encodeName(scratch.path()) + "/single" + QByteArray::number(treeNumber++);
    QVERIFY(::mkdir(base.constData(), 0755) == 0);
    QVERIFY(makeEntry(base, base, entry));
    const QByteArray path = base + '/' + entry.name;
    if (entry.name == "hole.jpg") {
        // A picture whose end was never written: small, so it is left to Exiv2.
        QVERIFY(writeRaw(path, goodJpeg()));
        QVERIFY(::truncate(path.constData(), 1 << 20) == 0);
    } else if (entry.name == "big.jpg") {
        // A big picture whose blocks are all allocated is no sparse file.
        QVERIFY(writeRaw(path, goodJpeg()));
        const int fd = ::open(path.constData(), O_WRONLY);
        QVERIFY(fd >= 0);
        const int allocated = ::posix_fallocate(fd, 0, 100 << 20);
        ::close(fd);
        if (allocated != 0)
            return QTest::qSkip("the file system cannot allocate a file's blocks in advance",
                                __FILE__, __LINE__);
    }
    QCOMPARE(exif::mayBePicture(QFile::decodeName(path)), mayBePicture);

    QElapsedTimer wall;
    wall.start();
    PictureValues values;
    const PictureOutcome outcome = analyseFile(QFile::decodeName(path), {}, &values);
    QVERIFY(wall.elapsed() < 5000);
    QCOMPARE(outcome, mayBePicture ? PictureOutcome::Counted : PictureOutcome::Unreadable);
}

QTEST_GUILESS_MAIN(DamagedTreeTest)
#include "tst_damagedtree.moc"
