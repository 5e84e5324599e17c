// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/jsonexporter.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QIODevice>

namespace {

QString boolean(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A date as "YYYY-MM-DD", or null.
QString date(const QDate& day)
{
    return day.isValid() ? JSONExporter::string(day.toString(Qt::ISODate)) : QStringLiteral("null");
}

// {"text": "...", "except": false}
QString nameFilter(const QString& text, bool except)
{
    return QStringLiteral("{\"text\": ") + JSONExporter::string(text) +
           QStringLiteral(", \"except\": ") + boolean(except) + QLatin1Char('}');
}

// A share as a JSON number with two decimals; shares are finite, but a number it must be.
QString percentNumber(float percent)
{
    const QString text = percentText(percent);
    return text.at(text.size() - 1).isDigit() ? text : QStringLiteral("0.00");
}

// A length or f-number in tenths as a JSON number: 24, 27.5.
QString tenthsNumber(qint64 tenths)
{
    return tenthsLabel(tenths);
}

template <typename T, typename F> QString orNull(const std::optional<T>& value, F format)
{
    return value ? format(*value) : QStringLiteral("null");
}

// "insights": the coverage ranges and the lens usage, one line each.
QString insightsObject(const Insights& insights)
{
    QString text = QStringLiteral("  \"insights\": {\n    \"coverage\": [");
    for (size_t i = 0; i < insights.coverage.size(); ++i) {
        const CoverageRange& r = insights.coverage[i];
        text += QLatin1String(i ? ",\n      " : "\n      ") +
                QStringLiteral("{\"share\": %1, \"from\": %2, \"to\": %3}")
                    .arg(r.share)
                    .arg(tenthsNumber(r.from), tenthsNumber(r.to));
    }
    text += QLatin1String(insights.coverage.empty() ? "],\n" : "\n    ],\n");
    text += QStringLiteral("    \"lenses\": [");
    for (size_t i = 0; i < insights.lenses.size(); ++i) {
        const LensUsage& l = insights.lenses[i];
        text += QLatin1String(i ? ",\n      {\"label\": " : "\n      {\"label\": ") +
                JSONExporter::string(l.label) + QStringLiteral(", \"count\": ") +
                QString::number(l.count) + QStringLiteral(", \"percent\": ") +
                percentNumber(l.percent) + QStringLiteral(", \"shortest\": ") +
                tenthsNumber(l.shortest) + QStringLiteral(", \"longest\": ") +
                tenthsNumber(l.longest) + QStringLiteral(", \"atShortEnd\": ") +
                orNull(l.atShortEnd, percentNumber) + QStringLiteral(", \"atLongEnd\": ") +
                orNull(l.atLongEnd, percentNumber) + QStringLiteral(", \"favourite\": ") +
                orNull(l.favourite, tenthsNumber) + QStringLiteral(", \"favourite35mm\": ") +
                orNull(l.favourite35mm, tenthsNumber) + QStringLiteral(", \"widest\": ") +
                tenthsNumber(l.widest) + QStringLiteral(", \"wideOpen\": ") +
                percentNumber(l.wideOpen) + QLatin1Char('}');
    }
    text += QLatin1String(insights.lenses.empty() ? "]\n  }\n" : "\n    ]\n  }\n");
    return text;
}

} // namespace

QString JSONExporter::string(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        default:
            // U+2028 and U+2029 are valid JSON but end lines in JavaScript source.
            if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

JSONExporter::JSONExporter(const QString& fileName) : fileName(fileName) {}

namespace {

// ",\n    \"where\": [{\"kind\": \"lens\", \"labels\": [...]}]", only with a selection, so
// that an export of every picture stays as it always was.
QString whereText(const Selection& where)
{
    if (where.isEmpty())
        return QString();
    QStringList parts;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const QStringList& labels = where.labels(StatKind(kind));
        if (labels.isEmpty())
            continue;
        QStringList quoted;
        for (const QString& label : labels)
            quoted << JSONExporter::string(label);
        parts << QStringLiteral("{\"kind\": ") + JSONExporter::string(kindName(StatKind(kind))) +
                     QStringLiteral(", \"labels\": [") + quoted.join(QLatin1String(", ")) +
                     QStringLiteral("]}");
    }
    return QStringLiteral(",\n    \"where\": [") + parts.join(QLatin1String(", ")) +
           QLatin1Char(']');
}

} // namespace

bool JSONExporter::write()
{
    return saveAs(fileName);
}

bool JSONExporter::writeTo(QIODevice* device)
{
    const AnalysisRequest& request = context.request;
    const OutcomeCounts& outcomes = context.outcomes;
    QString text;
    text += QStringLiteral("{\n  \"program\": \"Lenstally\",\n  \"version\": ") +
            string(programVersion()) + QStringLiteral(",\n  \"folder\": ") +
            string(context.folder) + QStringLiteral(",\n");
    const auto list = [](const QStringList& texts) {
        QStringList strings;
        for (const QString& text : texts)
            strings << string(text);
        return QLatin1Char('[') + strings.join(QLatin1String(", ")) + QLatin1Char(']');
    };
    if (namesEveryFolder(context))
        text += QStringLiteral("  \"folders\": ") + list(context.folders) + QStringLiteral(",\n");

    QStringList formats;
    for (const QString& name : formatNames(request))
        formats << string(name);
    text +=
        QStringLiteral("  \"settings\": {\n    \"formats\": [") +
        formats.join(QLatin1String(", ")) + QStringLiteral("],\n    \"make\": ") +
        nameFilter(request.makeText, request.exceptMake) + QStringLiteral(",\n    \"model\": ") +
        nameFilter(request.modelText, request.exceptModel) + QStringLiteral(",\n    \"jobs\": ") +
        QString::number(request.readingJobs()) + QStringLiteral(",\n    \"estimate35mm\": ") +
        boolean(request.estimate35mm) + QStringLiteral(",\n    \"pairsOnce\": ") +
        boolean(request.pairsOnce) +
        // Only when on, so that a run without them exports what it always did.
        (request.makerNotes ? QStringLiteral(",\n    \"makerNotes\": true") : QString()) +
        (request.countIncomplete ? QStringLiteral(",\n    \"countIncomplete\": true") : QString()) +
        QStringLiteral(",\n    \"takenFrom\": ") + date(request.takenFrom) +
        QStringLiteral(",\n    \"takenUntil\": ") + date(request.takenUntil) +
        (request.exclude.isEmpty()
             ? QString()
             : QStringLiteral(",\n    \"exclude\": ") + list(request.exclude)) +
        whereText(context.where) + QStringLiteral("\n  },\n");

    text += QStringLiteral("  \"totals\": {\"files\": %1, \"counted\": %2, \"filteredOut\": %3, "
                           "\"unusable\": %4, \"unreadable\": %5")
                .arg(outcomes.files())
                .arg(outcomes.counted)
                .arg(outcomes.filteredOut)
                .arg(outcomes.unusable)
                .arg(outcomes.unreadable);
    if (request.pairsOnce)
        text += QStringLiteral(", \"pairDuplicates\": %1").arg(outcomes.pairDuplicates);
    if (request.hasDateRange())
        text += QStringLiteral(", \"outsideDates\": %1").arg(outcomes.outsideDates);
    text += QStringLiteral("},\n  \"tables\": [");

    for (qsizetype s = 0; s < sections.size(); ++s) {
        const ExportSection& section = sections[s];
        const unsigned rows = section.table ? section.table->rowCount() : 0;
        text += QLatin1String(s ? ",\n    {\n" : "\n    {\n");
        text += QStringLiteral("      \"kind\": ") +
                (section.kind ? string(kindName(*section.kind)) : QStringLiteral("null")) +
                QStringLiteral(",\n      \"title\": ") + string(section.title) +
                QStringLiteral(",\n      \"heading\": ") + string(section.valueHeading) +
                QStringLiteral(",\n      \"total\": ") +
                QString::number(section.table ? section.table->total() : 0) +
                QStringLiteral(",\n      \"rows\": [");
        for (unsigned i = 0; i < rows; ++i) {
            const StatRow* row = section.table->row(i);
            const QString label =
                section.kind ? displayLabel(*section.kind, row->label) : row->label;
            text += QLatin1String(i ? ",\n        {\"label\": " : "\n        {\"label\": ") +
                    string(label) + QStringLiteral(", \"key\": ") + QString::number(row->key) +
                    QStringLiteral(", \"count\": ") + QString::number(row->count) +
                    QStringLiteral(", \"percent\": ") + percentNumber(row->percent) +
                    QLatin1Char('}');
        }
        text += QLatin1String(rows ? "\n      ]\n    }" : "]\n    }");
    }
    text += QLatin1String(sections.isEmpty() ? "],\n" : "\n  ],\n");
    text += insightsObject(context.insights) + QStringLiteral("}\n");
    const QByteArray bytes = text.toUtf8();
    return device->write(bytes) == bytes.size();
}
