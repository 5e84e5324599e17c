// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/walk/filecollector.h"
#include "testpictures.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool touch(const QString& path)
{
    return testpictures::writeBytes(path, QByteArray("x"));
}

// The collected paths relative to root, in collection order.
QStringList relative(const QString& root, const QStringList& files)
{
    QStringList out;
    const QDir dir(root);
    for (const QString& f : files)
        out << dir.relativeFilePath(f);
    return out;
}

// The walk described for the window, made with Qt's listing and iterator: the chosen
// folder's files, then each folder the iterator yields, matched by QFileInfo::suffix().
QStringList qtWalk(const QString& folder, const QStringList& extensions)
{
    QStringList files;
    QDir dir(folder);
    QDirIterator folders(folder, QStringList(), QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    auto list = [&] {
        const QFileInfoList entries =
            dir.entryInfoList(QStringList(), QDir::Files | QDir::Hidden, QDir::NoSort);
        for (const QFileInfo& entry : entries) {
            for (const QString& ext : extensions) {
                if (entry.suffix().compare(ext, Qt::CaseInsensitive) == 0) {
                    files << entry.absoluteFilePath();
                    break;
                }
            }
        }
    };
    list();
    while (folders.hasNext()) {
        dir.setPath(folders.next());
        list();
    }
    return files;
}

} // namespace

class TestFileCollector : public QObject
{
    Q_OBJECT

private slots:
    void extensions_data();
    void extensions();
    void suffixMatching_data();
    void suffixMatching();
    void walkOrderAndHiddenEntries();
    void pathsAreAbsolute();
    void linkedFolderIsListedNotDescended();
    void sameListAsQtWalk_data();
    void sameListAsQtWalk();
    void fileReachedThroughLinksListedOnce_data();
    void fileReachedThroughLinksListedOnce();
    void stoppedWalkKeepsWhatItFound_data();
    void stoppedWalkKeepsWhatItFound();
    void unreadableFoldersReported();
    void severalFoldersAndPatterns_data();
    void severalFoldersAndPatterns();
};

void TestFileCollector::extensions_data()
{
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<bool>("tiff");
    QTest::addColumn<bool>("raw");
    QTest::addColumn<bool>("heif");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("none") << false << false << false << false << 0 << QString() << QString();
    QTest::newRow("jpeg") << true << false << false << false << 2 << "jpg"
                          << "jpeg";
    QTest::newRow("tiff") << false << true << false << false << 2 << "tif"
                          << "tiff";
    // CR3 comes after the older RAW formats, whose order stays.
    QTest::newRow("raw") << false << false << true << false << 36 << "3rf"
                         << "cr3";
    QTest::newRow("heif") << false << false << false << true << 4 << "heic"
                          << "avif";
    QTest::newRow("all") << true << true << true << true << 44 << "jpg"
                         << "avif";
}

void TestFileCollector::extensions()
{
    QFETCH(bool, jpeg);
    QFETCH(bool, tiff);
    QFETCH(bool, raw);
    QFETCH(bool, heif);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QStringList list = pictureExtensions(jpeg, tiff, raw, heif);
    QCOMPARE(list.size(), count);
    QCOMPARE(list.value(0), first);
    QCOMPARE(list.isEmpty() ? QString() : list.last(), last);
    QCOMPARE(list.removeDuplicates(), 0);
    for (const QString& ext : list)
        QCOMPARE(ext, ext.toLower());
}

void TestFileCollector::suffixMatching_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("IMG_0001.JPG") << "IMG_0001.JPG" << true;
    QTest::newRow("img.Jpeg") << "img.Jpeg" << true;
    QTest::newRow("a.tif") << "a.tif" << false;
    QTest::newRow("photo.jpg.bak") << "photo.jpg.bak" << false;
    QTest::newRow("README") << "README" << false;
    QTest::newRow("x.NEF") << "x.NEF" << true;
    QTest::newRow("x.dng") << "x.dng" << true;
    QTest::newRow("hidden .a.jpg") << ".a.jpg" << true;
    QTest::newRow("hidden .jpg") << ".jpg" << true; // QFileInfo gives it the suffix jpg
}

void TestFileCollector::suffixMatching()
{
    QFETCH(QString, name);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    QVERIFY(touch(dir.filePath(name)));
    const QStringList files = collectFiles(dir.path(), pictureExtensions(true, false, true));
    QCOMPARE(files.size(), taken ? 1 : 0);
}

void TestFileCollector::walkOrderAndHiddenEntries()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QVERIFY(QDir(root).mkpath("sub/deeper"));
    QVERIFY(QDir(root).mkpath(".hidden/inner"));
    QVERIFY(QDir(root).mkpath("sub/.secret"));
    QVERIFY(touch(root + "/top.jpg"));
    QVERIFY(touch(root + "/sub/a.jpg"));
    QVERIFY(touch(root + "/sub/deeper/b.JPG"));
    QVERIFY(touch(root + "/sub/.shown.jpg"));
    QVERIFY(touch(root + "/.hidden/never.jpg"));
    QVERIFY(touch(root + "/.hidden/inner/never.jpg"));
    QVERIFY(touch(root + "/sub/.secret/never.jpg"));
    QVERIFY(QDir(root).mkpath("folder.jpg")); // a folder is never a picture

    const QStringList files =
        relative(root, collectFiles(root, pictureExtensions(true, false, false)));
    // The chosen folder's files come first; no hidden folder is entered.
    QCOMPARE(files.value(0), QStringLiteral("top.jpg"));
    QCOMPARE(QSet<QString>(files.begin(), files.end()),
             (QSet<QString>{"top.jpg", "sub/a.jpg", "sub/deeper/b.JPG", "sub/.shown.jpg"}));
    QCOMPARE(files.size(), 4);
    QVERIFY(files.indexOf("sub/a.jpg") < files.indexOf("sub/deeper/b.JPG"));
}

void TestFileCollector::pathsAreAbsolute()
{
    QTemporaryDir dir;
    QVERIFY(touch(dir.filePath("a.jpg")));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QStringList files = collectFiles(".", pictureExtensions(true, false, false));
    QDir::setCurrent(previous);
    QCOMPARE(files.size(), 1);
    QVERIFY(QFileInfo(files[0]).isAbsolute());
    QCOMPARE(QFileInfo(files[0]).canonicalFilePath(),
             QFileInfo(dir.filePath("a.jpg")).canonicalFilePath());
}

void TestFileCollector::linkedFolderIsListedNotDescended()
{
    QTemporaryDir outside, dir;
    QVERIFY(QDir(outside.path()).mkpath("deep"));
    QVERIFY(touch(outside.filePath("shallow.jpg")));
    QVERIFY(touch(outside.filePath("deep/deep.jpg")));
    QVERIFY(QFile::link(outside.path(), dir.filePath("link")));
    const QStringList files =
        relative(dir.path(), collectFiles(dir.path(), pictureExtensions(true, false, false)));
    QCOMPARE(files, QStringList{"link/shallow.jpg"});
}

void TestFileCollector::sameListAsQtWalk_data()
{
    QTest::addColumn<QString>("spelling"); // how the folder is written, %1 = its path
    QTest::addColumn<int>("jobs");         // threads reading folders
    for (int jobs : {1, 2, 8}) {
        QTest::addRow("absolute, %d threads", jobs) << "%1" << jobs;
        QTest::addRow("trailing slash, %d threads", jobs) << "%1/" << jobs;
        QTest::addRow("doubled slash, %d threads", jobs) << "%1//" << jobs;
        QTest::addRow("dot-dot, %d threads", jobs) << "%1/tree/.." << jobs;
        QTest::addRow("relative, %d threads", jobs) << "./rel" << jobs;
    }
}

void TestFileCollector::sameListAsQtWalk()
{
    // The one-pass walk must give exactly Qt's list, in Qt's order, on any number of threads.
    QFETCH(QString, spelling);
    QFETCH(int, jobs);
    QTemporaryDir dir, outside;
    const QString root = dir.path();
    QDir top(root);
    QVERIFY(top.mkpath("tree/a/b/c"));
    QVERIFY(top.mkpath("tree/.hidden/d"));
    QVERIFY(top.mkpath(QString::fromUtf8("tree/Фото 2024/x.jpg")));
    QVERIFY(QDir(outside.path()).mkpath("in/deeper"));
    for (const char* name : {"one.JPG", "two.jpeg", ".dot.jpg", "no-suffix", "a.tif", "b.NeF",
                             "c.txt", "x.jpg.bak", "space name.jpg"}) {
        for (const char* sub : {"", "tree/", "tree/a/", "tree/a/b/c/", "tree/.hidden/"})
            QVERIFY(touch(root + '/' + sub + name));
    }
    for (int i = 0; i < 40; ++i)
        QVERIFY(touch(root + QStringLiteral("/tree/a/b/p%1.jpg").arg(i)));
    QVERIFY(touch(root + QString::fromUtf8("/tree/Фото 2024/снимок.JPG")));
    // Enough folders, at several depths, for every thread to read some.
    for (int i = 0; i < 30; ++i) {
        const QString sub = QStringLiteral("/tree/many/f%1/g%2").arg(i).arg(i % 4);
        QVERIFY(top.mkpath(root + sub));
        QVERIFY(touch(root + sub + QStringLiteral("/deep%1.jpg").arg(i)));
        QVERIFY(touch(root + QStringLiteral("/tree/many/f%1/Shallow%1.jpg").arg(i)));
    }
    QVERIFY(touch(outside.filePath("in/linked.jpg")));
    QVERIFY(touch(outside.filePath("in/deeper/never.jpg")));
    QVERIFY(QFile::link(outside.filePath("in"), root + "/tree/a/link-to-folder"));
    QVERIFY(QFile::link(root + "/one.JPG", root + "/tree/link-to-file.jpg"));
    QVERIFY(QFile::link(root + "/missing.jpg", root + "/tree/dangling.jpg"));
    QVERIFY(::mkfifo(QFile::encodeName(root + "/tree/y.jpg").constData(), 0600) == 0);

    const QString folder =
        spelling == "./rel"
            ? QStringLiteral("./") + QDir(QDir::currentPath()).relativeFilePath(root)
            : spelling.arg(root);
    const QStringList extensions = pictureExtensions(true, true, true);
    QStringList expected = qtWalk(folder, extensions);
    // The one file reached twice, through a link, is listed once, at its first place.
    QVERIFY(expected.removeOne(QDir::cleanPath(QDir(folder).absolutePath()) +
                               "/tree/link-to-file.jpg"));
    QCOMPARE(collectFiles(folder, extensions, jobs), expected);
    QVERIFY(expected.size() > 120);
    QVERIFY(expected.contains(root + "/tree/a/link-to-folder/linked.jpg"));
}

QTEST_GUILESS_MAIN(TestFileCollector)
void TestFileCollector::fileReachedThroughLinksListedOnce_data()
{
    // Relative to the tree: the links to make (link, target), and the names listed.
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("linked file") << QStringList{"b-link.jpg", "real/pic.jpg"}
                                 << QStringList{"b-link.jpg"};
    QTest::newRow("linked folder") << QStringList{"a-dir", "real"} << QStringList{"a-dir/pic.jpg"};
    QTest::newRow("file and folder links")
        << QStringList{"a-dir", "real", "b-link.jpg", "real/pic.jpg"}
        << QStringList{"b-link.jpg"}; // the folder's own files come before its subfolders
    QTest::newRow("hard link stays")
        << QStringList{"hard.jpg", "=real/pic.jpg"} << QStringList{"hard.jpg", "real/pic.jpg"};
}

void TestFileCollector::fileReachedThroughLinksListedOnce()
{
    QFETCH(QStringList, links);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("real"));
    QVERIFY(touch(dir.filePath("real/pic.jpg")));
    for (int i = 0; i + 1 < links.size(); i += 2) {
        const QString link = dir.filePath(links[i]);
        if (links[i + 1].startsWith('=')) {
            QVERIFY(::link(QFile::encodeName(dir.filePath(links[i + 1].mid(1))).constData(),
                           QFile::encodeName(link).constData()) == 0);
        } else {
            QVERIFY(QFile::link(dir.filePath(links[i + 1]), link));
        }
    }
    QStringList expected;
    for (const QString& name : listed)
        expected << dir.filePath(name);
    QCOMPARE(collectFiles(dir.path(), {"jpg"}, 2), expected);
}

void TestFileCollector::stoppedWalkKeepsWhatItFound_data()
{
    QTest::addColumn<int>("foldersBeforeStop");
    QTest::addColumn<int>("files");
    QTest::newRow("before the root") << 0 << 0;
    QTest::newRow("after the root") << 1 << 2;
    QTest::newRow("never") << 1000 << 8;
}

void TestFileCollector::stoppedWalkKeepsWhatItFound()
{
    QFETCH(int, foldersBeforeStop);
    QFETCH(int, files);
    QTemporaryDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "s1/c.jpg", "s1/d.jpg", "s2/e.jpg", "s2/f.jpg",
                             "s2/t/g.jpg", "s2/t/h.jpg"}) {
        QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(name)).absolutePath()));
        QVERIFY(testpictures::writeBytes(dir.filePath(name), "x"));
    }
    QAtomicInt found;
    int asked = 0;
    WalkWatch watch;
    watch.found = &found;
    watch.stop = [&] { return asked++ >= foldersBeforeStop; };
    const QStringList list = collectFiles(dir.path(), {"jpg"}, 1, nullptr, &watch);
    QCOMPARE(list.size(), files);
    QCOMPARE(found.loadRelaxed(), files);
}

void TestFileCollector::unreadableFoldersReported()
{
    if (::geteuid() == 0)
        QSKIP("root lists every folder");
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("closed/inner"));
    QVERIFY(touch(dir.filePath("open.jpg")));
    QVERIFY(touch(dir.filePath("closed/hidden.jpg")));
    QVERIFY(QFile::setPermissions(dir.filePath("closed"), QFileDevice::WriteOwner));
    QStringList unlisted;
    const QStringList files = collectFiles(dir.path(), {"jpg"}, 1, &unlisted);
    QFile::setPermissions(dir.filePath("closed"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(files, QStringList{dir.filePath("open.jpg")});
    QCOMPARE(unlisted, QStringList{dir.filePath("closed")});
}

void TestFileCollector::severalFoldersAndPatterns_data()
{
    // Every case walks this tree, relative to a temporary folder:
    //   lib/a.jpg  lib/2019/x/edits/e.jpg  lib/2019/x/k.jpg  lib/edits/f.jpg
    //   lib/_trash/t.jpg  lib/Trash/u.jpg  lib/.hidden/h.jpg  lib/b.xmp.jpg
    //   phone/p.jpg  phone/lib-link -> lib (a linked folder: its own files, not descended)
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("patterns");
    // Subfolders come in the listing's order: only the first file's place is fixed (the
    // first chosen folder's first file by name).
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("leftOutFolders");
    QTest::addColumn<int>("leftOutFiles");
    const QStringList all{
        "lib/a.jpg",       "lib/b.xmp.jpg",    "lib/2019/x/k.jpg", "lib/2019/x/edits/e.jpg",
        "lib/Trash/u.jpg", "lib/_trash/t.jpg", "lib/edits/f.jpg"};
    QTest::newRow("one folder, nothing left out")
        << QStringList{"lib"} << QStringList{} << all << 0 << 0;
    QTest::newRow("the same folder twice")
        << QStringList{"lib", "lib/"} << QStringList{} << all << 0 << 0;
    QTest::newRow("a folder inside another, inner first")
        << QStringList{"lib/2019", "lib"} << QStringList{}
        << QStringList{"lib/2019/x/k.jpg", "lib/2019/x/edits/e.jpg", "lib/a.jpg",
                       "lib/b.xmp.jpg",    "lib/Trash/u.jpg",        "lib/_trash/t.jpg",
                       "lib/edits/f.jpg"}
        << 0 << 0;
    QTest::newRow("a linked folder's files counted once")
        << QStringList{"lib", "phone"} << QStringList{} << all + QStringList{"phone/p.jpg"} << 0
        << 0;
    QTest::newRow("name pattern: every folder so named")
        << QStringList{"lib"} << QStringList{"edits"}
        << QStringList{"lib/a.jpg", "lib/b.xmp.jpg", "lib/2019/x/k.jpg", "lib/Trash/u.jpg",
                       "lib/_trash/t.jpg"}
        << 2 << 0;
    QTest::newRow("case-sensitive, wildcards, brackets")
        << QStringList{"lib"} << QStringList{"[_T]*rash", "?.xmp.*"}
        << QStringList{"lib/a.jpg", "lib/2019/x/k.jpg", "lib/2019/x/edits/e.jpg", "lib/edits/f.jpg"}
        << 2 << 1;
    QTest::newRow("lower-case pattern leaves Trash in")
        << QStringList{"lib"} << QStringList{"trash"} << all << 0 << 0;
    QTest::newRow("path pattern: only at that place")
        << QStringList{"lib"} << QStringList{"2019/*/edits"}
        << QStringList{"lib/a.jpg",       "lib/b.xmp.jpg",    "lib/2019/x/k.jpg",
                       "lib/Trash/u.jpg", "lib/_trash/t.jpg", "lib/edits/f.jpg"}
        << 1 << 0;
    QTest::newRow("path pattern: a star stays in one folder")
        << QStringList{"lib"} << QStringList{"*/edits"}
        << QStringList{"lib/a.jpg",        "lib/b.xmp.jpg",
                       "lib/2019/x/k.jpg", "lib/2019/x/edits/e.jpg",
                       "lib/Trash/u.jpg",  "lib/_trash/t.jpg",
                       "lib/edits/f.jpg"}
        << 0 << 0;
    QTest::newRow("path pattern with slashes around it")
        << QStringList{"lib"} << QStringList{"/2019/"} << all.mid(0, 2) + all.mid(4) << 1 << 0;
    QTest::newRow("path pattern, relative to each folder")
        << QStringList{"lib/2019", "lib"} << QStringList{"x/edits"}
        << QStringList{"lib/2019/x/k.jpg",       "lib/a.jpg",       "lib/b.xmp.jpg",
                       "lib/2019/x/edits/e.jpg", "lib/Trash/u.jpg", "lib/_trash/t.jpg",
                       "lib/edits/f.jpg"}
        << 1 << 0;
    QTest::newRow("a pattern matching a chosen folder's name does not drop it")
        << QStringList{"lib/edits"} << QStringList{"edits"} << QStringList{"lib/edits/f.jpg"} << 0
        << 0;
    QTest::newRow("file pattern through a linked folder")
        << QStringList{"phone"} << QStringList{"a.jpg"}
        << QStringList{"phone/p.jpg", "phone/lib-link/b.xmp.jpg"} << 0 << 1;
}

void TestFileCollector::severalFoldersAndPatterns()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, patterns);
    QFETCH(QStringList, listed);
    QFETCH(int, leftOutFolders);
    QFETCH(int, leftOutFiles);
    QTemporaryDir dir;
    for (const char* file : {"lib/a.jpg", "lib/2019/x/edits/e.jpg", "lib/2019/x/k.jpg",
                             "lib/edits/f.jpg", "lib/_trash/t.jpg", "lib/Trash/u.jpg",
                             "lib/.hidden/h.jpg", "lib/b.xmp.jpg", "phone/p.jpg"}) {
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(file)).path()));
        QVERIFY(touch(dir.filePath(file)));
    }
    QVERIFY(QFile::link(dir.filePath("lib"), dir.filePath("phone/lib-link")));
    QStringList roots;
    for (const QString& folder : folders)
        roots << dir.filePath(folder);
    for (int jobs : {1, 3}) {
        const FolderWalk walk = collectFolders(roots, {"jpg"}, WalkExclusion(patterns), jobs);
        QStringList files = relative(dir.path(), walk.files);
        QCOMPARE(files.value(0), listed.first());
        files.sort();
        QStringList expected = listed;
        expected.sort();
        QCOMPARE(files, expected);
        QCOMPARE(walk.leftOutFolders, leftOutFolders);
        QCOMPARE(walk.leftOutFiles, leftOutFiles);
        QVERIFY(walk.unlisted.isEmpty());
    }
}

#include "tst_filecollector.moc"
