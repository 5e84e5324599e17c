// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowsettings.h"

#include <QDate>
#include <QSettings>
#include <QVariant>

namespace {

// A value of the expected type, else the fallback: a hand-edited or damaged file may hold
// anything under a key.
bool boolean(const QSettings& settings, const QString& key, bool fallback)
{
    const QVariant value = settings.value(key);
    const QString text = value.toString();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return fallback;
}

QString text(const QSettings& settings, const QString& key, const QString& fallback)
{
    const QVariant value = settings.value(key);
    return value.isValid() && value.canConvert<QString>() ? value.toString() : fallback;
}

QStringList texts(const QSettings& settings, const QString& key, const QStringList& fallback)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return fallback;
    // An INI list of one item reads back as a plain string.
    return value.typeId() == QMetaType::QString ? QStringList{value.toString()}
                                                : value.toStringList();
}

QDate day(const QSettings& settings, const QString& key, const QDate& fallback)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return fallback;
    // "" is an open end; anything else not a date keeps the fallback.
    if (value.toString().isEmpty())
        return QDate();
    const QDate date = QDate::fromString(value.toString(), Qt::ISODate);
    return date.isValid() ? date : fallback;
}

} // namespace

std::unique_ptr<QSettings> openWindowSettings()
{
    // QSettings::setPath(NativeFormat, UserScope, ...) moves it, for the tests.
    return std::make_unique<QSettings>(QStringLiteral("Lenstally"), QStringLiteral("Lenstally"));
}

WindowState readWindowState(QSettings& settings, const WindowState& defaults)
{
    WindowState state = defaults;
    if (settings.status() != QSettings::NoError)
        return state;
    AnalysisRequest& form = state.form;
    const AnalysisRequest& given = defaults.form;
    const QStringList folders = texts(settings, QStringLiteral("folders"), given.folders());
    form.folder = folders.value(0);
    form.moreFolders = folders.mid(1);
    form.exclude = texts(settings, QStringLiteral("exclude"), given.exclude);
    form.jpeg = boolean(settings, QStringLiteral("formats/jpeg"), given.jpeg);
    form.tiff = boolean(settings, QStringLiteral("formats/tiff"), given.tiff);
    form.raw = boolean(settings, QStringLiteral("formats/raw"), given.raw);
    form.heif = boolean(settings, QStringLiteral("formats/heif"), given.heif);
    form.makeText = text(settings, QStringLiteral("filters/make"), given.makeText);
    form.exceptMake = boolean(settings, QStringLiteral("filters/exceptMake"), given.exceptMake);
    form.modelText = text(settings, QStringLiteral("filters/model"), given.modelText);
    form.exceptModel = boolean(settings, QStringLiteral("filters/exceptModel"), given.exceptModel);
    form.estimate35mm =
        boolean(settings, QStringLiteral("counting/estimate35mm"), given.estimate35mm);
    form.pairsOnce = boolean(settings, QStringLiteral("counting/pairsOnce"), given.pairsOnce);
    form.makerNotes = boolean(settings, QStringLiteral("counting/makerNotes"), given.makerNotes);
    form.countIncomplete =
        boolean(settings, QStringLiteral("counting/countIncomplete"), given.countIncomplete);
    form.takenFrom = day(settings, QStringLiteral("counting/takenFrom"), given.takenFrom);
    form.takenUntil = day(settings, QStringLiteral("counting/takenUntil"), given.takenUntil);
    const QVariant geometry = settings.value(QStringLiteral("window/geometry"));
    if (geometry.typeId() == QMetaType::QByteArray)
        state.geometry = geometry.toByteArray();
    bool ok = false;
    const int tab = settings.value(QStringLiteral("window/tab")).toInt(&ok);
    if (ok && tab >= 0)
        state.tab = tab;
    state.exportFolder = text(settings, QStringLiteral("export/folder"), defaults.exportFolder);
    state.exportFilter = text(settings, QStringLiteral("export/filter"), defaults.exportFilter);
    const int sets = settings.beginReadArray(QStringLiteral("recent"));
    if (sets > 0) {
        state.recent.clear();
        for (int i = 0; i < sets && i < recentLimit; ++i) {
            settings.setArrayIndex(i);
            const QStringList set = texts(settings, QStringLiteral("folders"), {});
            if (!set.isEmpty() && !set.first().isEmpty())
                state.recent << set;
        }
    }
    settings.endArray();
    return state;
}

void writeWindowState(QSettings& settings, const WindowState& state)
{
    const AnalysisRequest& form = state.form;
    settings.setValue(QStringLiteral("folders"), form.folders());
    settings.setValue(QStringLiteral("exclude"), form.exclude);
    settings.setValue(QStringLiteral("formats/jpeg"), form.jpeg);
    settings.setValue(QStringLiteral("formats/tiff"), form.tiff);
    settings.setValue(QStringLiteral("formats/raw"), form.raw);
    settings.setValue(QStringLiteral("formats/heif"), form.heif);
    settings.setValue(QStringLiteral("filters/make"), form.makeText);
    settings.setValue(QStringLiteral("filters/exceptMake"), form.exceptMake);
    settings.setValue(QStringLiteral("filters/model"), form.modelText);
    settings.setValue(QStringLiteral("filters/exceptModel"), form.exceptModel);
    settings.setValue(QStringLiteral("counting/estimate35mm"), form.estimate35mm);
    settings.setValue(QStringLiteral("counting/pairsOnce"), form.pairsOnce);
    settings.setValue(QStringLiteral("counting/makerNotes"), form.makerNotes);
    settings.setValue(QStringLiteral("counting/countIncomplete"), form.countIncomplete);
    settings.setValue(QStringLiteral("counting/takenFrom"), form.takenFrom.toString(Qt::ISODate));
    settings.setValue(QStringLiteral("counting/takenUntil"), form.takenUntil.toString(Qt::ISODate));
    settings.setValue(QStringLiteral("window/geometry"), state.geometry);
    settings.setValue(QStringLiteral("window/tab"), state.tab);
    settings.setValue(QStringLiteral("export/folder"), state.exportFolder);
    settings.setValue(QStringLiteral("export/filter"), state.exportFilter);
    settings.remove(QStringLiteral("recent"));
    settings.beginWriteArray(QStringLiteral("recent"), int(state.recent.size()));
    for (int i = 0; i < state.recent.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("folders"), state.recent.at(i));
    }
    settings.endArray();
    settings.sync();
}

QList<QStringList> withRecent(const QList<QStringList>& recent, const QStringList& folders)
{
    QList<QStringList> result{folders};
    for (const QStringList& set : recent) {
        if (set != folders && result.size() < recentLimit)
            result << set;
    }
    return result;
}
