#include "analysis/filecollector.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#if defined(Q_OS_UNIX)
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>
#endif

QStringList pictureExtensions(bool jpeg, bool tiff, bool raw)
{
    QStringList list;
    if (jpeg)
        list << QStringLiteral("jpg") << QStringLiteral("jpeg");
    if (tiff)
        list << QStringLiteral("tif") << QStringLiteral("tiff");
    if (raw) {
        list << QStringLiteral("3rf") << QStringLiteral("ari") << QStringLiteral("arw")
             << QStringLiteral("srf") << QStringLiteral("sr2") << QStringLiteral("bay")
             << QStringLiteral("crw") << QStringLiteral("cr2") << QStringLiteral("cap")
             << QStringLiteral("iiq") << QStringLiteral("eip") << QStringLiteral("dcs")
             << QStringLiteral("dcr") << QStringLiteral("drf") << QStringLiteral("k25")
             << QStringLiteral("kdc") << QStringLiteral("dng") << QStringLiteral("erf")
             << QStringLiteral("fff") << QStringLiteral("mef") << QStringLiteral("mos")
             << QStringLiteral("mrw") << QStringLiteral("nef") << QStringLiteral("nrw")
             << QStringLiteral("orf") << QStringLiteral("ptx") << QStringLiteral("pef")
             << QStringLiteral("pxn") << QStringLiteral("r3d") << QStringLiteral("raf")
             << QStringLiteral("raw") << QStringLiteral("rw2") << QStringLiteral("rwl")
             << QStringLiteral("rwz") << QStringLiteral("x3f");
    }
    return list;
}

namespace {

// Case folding is what a case-insensitive QString::compare applies.
QSet<QString> foldedSet(const QStringList& extensions)
{
    QSet<QString> folded;
    for (const QString& ext : extensions)
        folded.insert(ext.toCaseFolded());
    return folded;
}

#if defined(Q_OS_UNIX)

// The text after the last dot of a file name, as QFileInfo::suffix() gives it.
QString suffixOf(const QString& name)
{
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

// One pass over a folder: its matching files are appended (sorted by name, ignoring
// case, as QDir lists them by default), then each non-hidden
// subfolder is walked the same way (a linked one only for its own files). Every
// folder is read once, and the entry types come from the listing itself wherever
// the file system gives them: a stat() only for links and unknown types.
void walk(const QByteArray& nativePath, const QString& path, bool descend,
          const QSet<QString>& folded, QStringList* files)
{
    DIR* dir = ::opendir(nativePath.constData());
    if (!dir)
        return;
    struct Subfolder
    {
        QByteArray name;
        bool linked;
    };
    std::vector<Subfolder> subfolders;
    // Each matching name with its sort key, lowered once rather than in every comparison.
    struct Match
    {
        QString key;
        QString name;
    };
    std::vector<Match> matching;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool isFile = entry->d_type == DT_REG;
        bool isFolder = entry->d_type == DT_DIR;
        bool linked = entry->d_type == DT_LNK;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            const QByteArray full = nativePath + '/' + name;
            struct stat info;
            if (::stat(full.constData(), &info) != 0)
                continue; // a dangling link: neither file nor folder
            isFile = S_ISREG(info.st_mode);
            isFolder = S_ISDIR(info.st_mode);
            if (entry->d_type == DT_UNKNOWN && isFolder)
                linked = ::lstat(full.constData(), &info) == 0 && S_ISLNK(info.st_mode);
        }
        if (isFile) {
            const QString fileName = QFile::decodeName(name);
            if (folded.contains(suffixOf(fileName).toCaseFolded()))
                matching.push_back({fileName.toLower(), fileName});
        } else if (isFolder && descend && name[0] != '.') {
            subfolders.push_back({QByteArray(name), linked});
        }
    }
    ::closedir(dir);
    // A folder's files come in QDir's default order: by name, ignoring case.
    std::sort(matching.begin(), matching.end(), [](const Match& a, const Match& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    const QString prefix = path + QLatin1Char('/');
    for (const Match& match : matching)
        files->append(prefix + match.name);
    for (const Subfolder& sub : subfolders) {
        const QString subPath = path + QLatin1Char('/') + QFile::decodeName(sub.name);
        // Through the decoded name, as Qt would: a name that is not valid in the file
        // system's encoding cannot be entered again, here as there.
        walk(QFile::encodeName(subPath), subPath, !sub.linked, folded, files);
    }
}

#else

// Appends the matching files of one folder, in the order the file system lists them.
void appendMatching(QDir& dir, const QSet<QString>& folded, QStringList* files)
{
    const QFileInfoList entries =
        dir.entryInfoList(QStringList(), QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        if (folded.contains(entry.suffix().toCaseFolded()))
            files->append(entry.absoluteFilePath());
    }
}

#endif

} // namespace

QStringList collectFiles(const QString& folder, const QStringList& extensions)
{
    const QSet<QString> folded = foldedSet(extensions);
    QStringList files;
#if defined(Q_OS_UNIX)
    QString root = QDir::cleanPath(QDir(folder).absolutePath());
    if (root.endsWith(QLatin1Char('/')))
        root.chop(1); // the file system root: "/" + "/name" would double the slash
    walk(QFile::encodeName(root.isEmpty() ? QStringLiteral("/") : root), root, true, folded,
         &files);
#else
    // Elsewhere through Qt: the folder's own files, then each folder the iterator yields.
    QDir dir(folder);
    QDirIterator folders(folder, QStringList(), QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    appendMatching(dir, folded, &files);
    while (folders.hasNext()) {
        dir.setPath(folders.next());
        appendMatching(dir, folded, &files);
    }
#endif
    return files;
}
