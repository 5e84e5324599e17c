// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportcontext.h"

#include <QDir>
#include <QFileInfo>

ExportContext makeExportContext(const AnalysisRequest& request, const OutcomeCounts& outcomes,
                                const QDateTime& analysedAt)
{
    ExportContext context;
    const auto absolute = [](const QString& folder) {
        return folder.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    };
    context.folder = absolute(request.folder);
    for (const QString& folder : request.folders())
        context.folders << absolute(folder);
    context.analysedAt = analysedAt;
    context.request = request;
    context.outcomes = outcomes;
    return context;
}

bool namesEveryFolder(const ExportContext& context)
{
    return context.folders.size() > 1 || !context.request.exclude.isEmpty();
}

QString programVersion()
{
    return QStringLiteral(LENSTALLY_VERSION);
}

QStringList formatNames(const AnalysisRequest& request)
{
    QStringList names;
    if (request.jpeg)
        names << QStringLiteral("jpeg");
    if (request.tiff)
        names << QStringLiteral("tiff");
    if (request.raw)
        names << QStringLiteral("raw");
    if (request.heif)
        names << QStringLiteral("heif");
    return names;
}

QString kindName(StatKind kind)
{
    switch (kind) {
    case FocalLength:
        return QStringLiteral("focalLength");
    case FocalLength35mm:
        return QStringLiteral("focalLength35mm");
    case Aperture:
        return QStringLiteral("aperture");
    case Iso:
        return QStringLiteral("iso");
    case ExposureTime:
        return QStringLiteral("exposureTime");
    case Camera:
        return QStringLiteral("camera");
    case Lens:
        return QStringLiteral("lens");
    case Year:
        return QStringLiteral("year");
    }
    return QString();
}
