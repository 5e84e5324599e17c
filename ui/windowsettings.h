// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_WINDOWSETTINGS_H
#define LENSTALLY_WINDOWSETTINGS_H

#include "core/session/analysisrequest.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// What the window remembers between runs of the program.
struct WindowState
{
    AnalysisRequest form;      // folders, patterns, formats, filters and counting options
    QByteArray geometry;       // QWidget::saveGeometry()
    int tab = 0;               // the results tab in sight
    QString exportFolder;      // where the Save dialog opens
    QString exportFilter;      // the file type the Save dialog offers first
    QList<QStringList> recent; // the last folder sets analysed, newest first
};

// The most folder sets the Recent menu keeps.
constexpr int recentLimit = 10;

// The window's settings: organisation and application "Lenstally", in the platform's
// standard place (~/.config/Lenstally/Lenstally.conf on Linux).
std::unique_ptr<QSettings> openWindowSettings();

// The state settings hold; whatever they lack or hold in a form not understood (a damaged
// file, a value of another type) is taken from defaults.
WindowState readWindowState(QSettings& settings, const WindowState& defaults);

// Writes state to settings and to their file.
void writeWindowState(QSettings& settings, const WindowState& state);

// recent with folders first, an earlier equal set dropped, at most recentLimit sets.
QList<QStringList> withRecent(const QList<QStringList>& recent, const QStringList& folders);

#endif
