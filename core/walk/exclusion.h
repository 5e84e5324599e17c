// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXCLUSION_H
#define LENSTALLY_EXCLUSION_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The folders and files a walk leaves out: shell-style patterns ("*", "?", "[...]"),
// matched case-sensitively as the file system names things. A pattern without "/" is
// tested against a folder's or file's own name; one with "/" against its path relative to
// the chosen folder ("2019/*/edits", where "*" stays within one folder's name). The chosen
// folder itself is never tested: it was chosen.
class WalkExclusion
{
public:
    // Takes the patterns as given; blank ones are dropped, a leading or trailing "/" of a
    // path pattern is ignored.
    explicit WalkExclusion(const QStringList& patterns = {});

    // True when no pattern is set: the walk leaves nothing out.
    bool isEmpty() const { return names.empty() && paths.empty(); }

    // True when the entry named name (file-system bytes), at relativePath below the chosen
    // folder ("a/b/name"), is left out.
    bool excludes(const QByteArray& relativePath, const char* name) const;

private:
    std::vector<QByteArray> names;
    std::vector<QByteArray> paths;
};

// The patterns of a field that separates them with ";" ("_trash; *.xmp"), trimmed, blanks
// dropped.
QStringList splitPatterns(const QString& text);

#endif
