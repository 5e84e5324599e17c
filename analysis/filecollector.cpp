#include "analysis/filecollector.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

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

// Appends the matching files of one folder, in the order the file system lists them.
void appendMatching(QDir& dir, const QSet<QString>& folded, QStringList* files)
{
    const QFileInfoList entries =
        dir.entryInfoList(QStringList(), QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        // Case folding is what a case-insensitive QString::compare applies.
        if (folded.contains(entry.suffix().toCaseFolded()))
            files->append(entry.absoluteFilePath());
    }
}

} // namespace

QStringList collectFiles(const QString& folder, const QStringList& extensions)
{
    QSet<QString> folded;
    for (const QString& ext : extensions)
        folded.insert(ext.toCaseFolded());

    QStringList files;
    QDir dir(folder);
    QDirIterator folders(folder, QStringList(), QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    appendMatching(dir, folded, &files);
    while (folders.hasNext()) {
        dir.setPath(folders.next());
        appendMatching(dir, folded, &files);
    }
    return files;
}
