// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ANALYSISREQUEST_H
#define LENSTALLY_ANALYSISREQUEST_H

// One description of an analysis, shared by the window, the report and the tests: what
// to read, how to filter it, and the start checks with their refusals.

#include <QDate>
#include <QString>
#include <QStringList>

struct WalkWatch;

struct AnalysisRequest
{
    QString folder;          // as typed: only the emptiness test trims it
    QStringList moreFolders; // further folders analysed with it, each file counted once
    QStringList exclude;     // shell-style patterns of folders and files left out
    bool jpeg = false;
    bool tiff = false;
    bool raw = true;
    bool heif = false; // HEIF, HEIC and AVIF
    QString makeText;  // a make field as typed ("Canon; Nikon")
    bool exceptMake = false;
    QString modelText;
    bool exceptModel = false;
    int jobs = 0; // reading threads; 0: one per core, at most 8

    // Counting options, all off by default.
    bool estimate35mm = false;    // estimate the 35 mm focal length for every camera
    bool pairsOnce = false;       // count a shot saved as RAW and JPEG (or HEIF) once
    QDate takenFrom;              // first day counted; null: open
    QDate takenUntil;             // last day counted; null: open
    bool makerNotes = false;      // values the Exif tags lack from the maker notes
    bool countIncomplete = false; // count pictures with at least one of the four values

    // The reading cache's database file; "" reads every file and leaves the cache alone.
    QString cacheFile;

    // True when a date range is set (either end).
    bool hasDateRange() const { return takenFrom.isValid() || takenUntil.isValid(); }

    // folder, then moreFolders: every folder the analysis walks.
    QStringList folders() const;
    // True when the analysis differs from the plain walk of one folder: more folders, or
    // patterns that leave things out.
    bool walksMore() const { return !moreFolders.isEmpty() || !exclude.isEmpty(); }

    // The lower-case extensions of the ticked formats.
    QStringList extensions() const;
    // The reading threads to use: jobs, or the default when it is 0.
    int readingJobs() const;
};

// Why an analysis does not start; None when it does.
enum class Refusal
{
    None,
    NoFolder,         // "No folder was specified"
    InvalidFolder,    // "Invalid Folder": missing, or not a folder
    UnreadableFolder, // the folder exists but cannot be listed
    NoFiles,          // "No files were found"
};

// The user-facing text of a refusal ("" for None); the window's message box shows it as
// it is.
QString refusalMessage(Refusal refusal);

// The refusal as one line that names the folder where the folder is at fault ("Invalid
// Folder: /path"), as the report prints it.
QString refusalLine(Refusal refusal, const QString& folder);

// The folder of the request that a refusal is about: the first one missing or not a
// folder for InvalidFolder, the first one that cannot be listed for UnreadableFolder;
// request.folder otherwise.
QString refusedFolder(const AnalysisRequest& request, Refusal refusal);

// The files an analysis reads, and the folders below the chosen one that could not be listed.
struct FileListing
{
    QStringList files;
    QStringList unlistedFolders;
    QStringList walkedFolders; // every folder listed, the chosen one first
    int leftOutFolders = 0;    // folders the request's patterns kept the walk out of
    int leftOutFiles = 0;      // files of the ticked formats the patterns left out
};

// Checks every folder, walks them and keeps the files of the ticked formats; the refusal, or
// None with the listing filled. A watch follows the walk and may stop it.
Refusal listRequestFiles(const AnalysisRequest& request, FileListing* listing,
                         const WalkWatch* watch = nullptr);

#endif
