// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzzchecks.h"

#include "core/count/ifilter.h"
#include "core/count/makefilter.h"
#include "core/count/modelfilter.h"
#include "core/count/namelist.h"
#include "core/count/stattable.h"
#include "core/count/tally.h"
#include "core/read/bmffprefix.h"
#include "core/read/exifaccess.h"
#include "core/read/exiv2compat.h"
#include "core/read/fastreader.h"
#include "core/session/analysisresult.h"
#include "export/csvexporter.h"
#include "export/htmlexporter.h"
#include "export/jsonexporter.h"
#include "export/pageexporter.h"
#include "export/resultexport.h"
#include "export/tabexporter.h"
#include "testpictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QVector>

#include <cmath>

namespace fuzzchecks {

namespace {

bool isSane(float value)
{
    return std::isfinite(value) && std::fabs(value) < 1e9f;
}

// The tables of one analysis, registered as the reading step registers them.
struct Tables
{
    StatTable table[StatKindCount];
    TableSet set()
    {
        TableSet s{};
        for (int kind = 0; kind < StatKindCount; ++kind)
            s[size_t(kind)] = &table[kind];
        return s;
    }
};

QString checkTable(const StatTable& t, int expectedTotal)
{
    if (t.total() != expectedTotal)
        return QStringLiteral("table total %1, expected %2").arg(t.total()).arg(expectedTotal);
    long long counted = 0;
    double percents = 0;
    for (unsigned i = 0; i < t.rowCount(); ++i) {
        const StatRow* row = t.row(i);
        if (row->count <= 0 || row->label.isEmpty())
            return QStringLiteral("row %1 has count %2, label '%3'")
                .arg(i)
                .arg(row->count)
                .arg(row->label);
        counted += row->count;
        percents += double(row->percent);
    }
    if (counted != expectedTotal)
        return QStringLiteral("rows hold %1 values, table total %2")
            .arg(counted)
            .arg(expectedTotal);
    if (expectedTotal > 0 && std::fabs(percents - 100.0) > 0.01)
        return QStringLiteral("percents add up to %1").arg(percents);
    return QString();
}

QString checkSorted(const StatTable& t)
{
    for (unsigned i = 1; i < t.rowCount(); ++i) {
        if (t.row(i - 1)->count < t.row(i)->count)
            return QStringLiteral("sortByCount left count %1 before %2")
                .arg(t.row(i - 1)->count)
                .arg(t.row(i)->count);
    }
    return QString();
}

// Every line of the tab-separated text has three fields: six heading lines, one per row.
QString checkTabLines(const QByteArray& out, const TableSet& tables)
{
    QList<QByteArray> lines = out.split('\n');
    lines.removeLast(); // after the final line feed
    int expectedRows = 0;
    for (int kind = 0; kind < ClassicKindCount; ++kind)
        expectedRows += int(tables[size_t(kind)]->rowCount());
    int headings = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (!line.endsWith('\r') || line.count('\r') != 1 || line.count('\t') != 2)
            return QStringLiteral("line %1 is not three fields: %2")
                .arg(i)
                .arg(QString::fromUtf8(line.toPercentEncoding()));
        if (line.endsWith("\tPictures\t%\r"))
            ++headings;
    }
    if (headings != ClassicKindCount || lines.size() - 1 - headings != expectedRows)
        return QStringLiteral("%1 heading lines and %2 rows")
            .arg(headings)
            .arg(lines.size() - 1 - headings);
    return QString();
}

// Exports the tables with one exporter into memory; "" when the text has its frame.
QString checkExport(Exporter& exporter, const TableSet& tables, bool html)
{
    exporter.sections = resultSections(tables);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!exporter.writeTo(&buffer))
        return QStringLiteral("writeTo into memory failed");
    const QByteArray out = buffer.data();
    const QByteArray head =
        html ? QByteArrayLiteral("<html>\r\n") : QByteArrayLiteral("Lenstally\r\n");
    const QByteArray tail = html ? QByteArrayLiteral("</html>") : QByteArrayLiteral("\r\n");
    if (!out.startsWith(head) || !out.endsWith(tail))
        return QStringLiteral("export lacks its first or last line");
    for (int kind = 0; kind < ClassicKindCount; ++kind) {
        const StatTable* t = tables[size_t(kind)];
        for (unsigned i = 0; i < t->rowCount(); ++i) {
            // The page escapes its labels, so a camera name cannot inject markup.
            const QString label = t->row(i)->label;
            const QByteArray expected =
                (html ? label.toHtmlEscaped() : TABExporter::field(label)).toUtf8();
            if (!out.contains(expected))
                return QStringLiteral("export lacks the label '%1'").arg(label);
        }
    }
    return html ? QString() : checkTabLines(out, tables);
}

// The report page, CSV and JSON of all eight tables, with the picture's texts as folder
// and filters: each holds every label as it writes it, and the JSON reads back into the
// same rows. Text goes through UTF-8 as the exports write it.
QString checkRichExports(const TableSet& tables, const PictureValues& values)
{
    const QList<ExportSection> sections = allSections(tables);
    ExportContext context;
    context.folder = values.model;
    context.request.makeText = values.make;
    context.request.modelText = values.lens;
    const auto write = [&](Exporter& exporter) {
        exporter.sections = sections;
        exporter.context = context;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        return exporter.writeTo(&buffer) ? buffer.data() : QByteArray();
    };
    PageExporter pageExporter(QStringLiteral("unused.html"));
    const QByteArray page = write(pageExporter);
    if (!page.startsWith("<!DOCTYPE html>\n") || !page.endsWith("</html>\n") ||
        page.contains("<script"))
        return QStringLiteral("page: not a whole page, or markup from a text");
    CSVExporter csvExporter(QStringLiteral("unused.csv"));
    const QByteArray csv = write(csvExporter);
    if (!csv.startsWith("Table,Value,Number,Pictures,Percent\r\n") || !csv.endsWith("\r\n"))
        return QStringLiteral("CSV: lacks its header or last line end");
    JSONExporter jsonExporter(QStringLiteral("unused.json"));
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(write(jsonExporter), &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("JSON: ") + error.errorString();
    const auto viaUtf8 = [](const QString& text) { return QString::fromUtf8(text.toUtf8()); };
    if (json[QLatin1String("folder")].toString() != viaUtf8(context.folder))
        return QStringLiteral("JSON: the folder did not read back");
    const QJsonArray tablesRead = json[QLatin1String("tables")].toArray();
    if (tablesRead.size() != StatKindCount)
        return QStringLiteral("JSON: %1 tables").arg(tablesRead.size());
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const StatTable* t = tables[size_t(kind)];
        const QJsonArray rows = tablesRead[kind][QLatin1String("rows")].toArray();
        if (unsigned(rows.size()) != t->rowCount())
            return QStringLiteral("JSON: table %1 has %2 rows").arg(kind).arg(rows.size());
        for (unsigned i = 0; i < t->rowCount(); ++i) {
            const QString label = displayLabel(StatKind(kind), t->row(i)->label);
            const QJsonValue row = rows[qsizetype(i)];
            if (row[QLatin1String("label")].toString() != viaUtf8(label) ||
                row[QLatin1String("count")].toInt() != t->row(i)->count)
                return QStringLiteral("JSON: the row '%1' did not read back").arg(label);
            if (!page.contains(PageExporter::escaped(label).toUtf8()))
                return QStringLiteral("page: lacks the label '%1'").arg(label);
            if (!csv.contains(CSVExporter::field(label).toUtf8()))
                return QStringLiteral("CSV: lacks the label '%1'").arg(label);
        }
    }
    return QString();
}

QString checkValues(PictureOutcome outcome, const PictureValues& v)
{
    if (outcome == PictureOutcome::Unreadable || outcome == PictureOutcome::Filtered)
        return QString();
    // The 35 mm value is a tag or a product of the focal length and a crop factor.
    if (!isSane(v.focalLength) || !isSane(v.focalLength35mm / 10) || !isSane(v.aperture) ||
        !isSane(v.iso) || !isSane(v.exposureTime))
        return QStringLiteral("a value is not finite or out of range: %1 %2 %3 %4 %5")
            .arg(double(v.focalLength))
            .arg(double(v.focalLength35mm))
            .arg(double(v.aperture))
            .arg(double(v.iso))
            .arg(double(v.exposureTime));
    if ((outcome == PictureOutcome::Counted) != isUsable(v))
        return QStringLiteral("outcome disagrees with the usable-data test");
    if (v.make != v.make.trimmed() || v.model != v.model.trimmed())
        return QStringLiteral("make or model not trimmed");
    return QString();
}

bool sameValues(const PictureValues& a, const PictureValues& b)
{
    return a.make == b.make && a.model == b.model && a.focalLength == b.focalLength &&
           a.focalLength35mm == b.focalLength35mm && a.aperture == b.aperture && a.iso == b.iso &&
           a.exposureTime == b.exposureTime;
}

// Exiv2 reads the same from the box walker's prefix as from the whole file, wherever the
// walker makes one and the prefix is used.
QString checkPrefix(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    if (!exiv2compat::kBmffPrefix || !bmff::isBmff(bytes, size))
        return QString();
    const QByteArray whole = QByteArray::fromRawData(bytes, qsizetype(size));
    QByteArray prefix;
    const auto readAt = [&whole](qint64 offset, qint64 length, QByteArray* out) {
        *out = whole.mid(qsizetype(offset), qsizetype(length));
        return true;
    };
    if (!bmff::metadataPrefix(qint64(size), readAt, &prefix))
        return QString();
    const auto reading = [](const QByteArray& b) {
        exif::ImagePtr image = exif::openWholeBuffer(
            reinterpret_cast<const unsigned char*>(b.constData()), std::size_t(b.size()));
        return image ? exif::metadataText(*image) : QStringLiteral("unreadable");
    };
    const QString fromPrefix = reading(prefix);
    const QString fromWhole = reading(whole);
    if (fromPrefix != fromWhole)
        return QStringLiteral("the prefix reads otherwise than the whole file: %1 / %2")
            .arg(fromPrefix.left(200), fromWhole.left(200));
    return QString();
}

// Where the fast reader takes the bytes, it reads what the Exiv2 path reads from them,
// the library's messages aside.
QString checkFastReader(const std::uint8_t* data, std::size_t size)
{
    PictureReading fast;
    if (!fastread::readBuffer(data, size, &fast))
        return QString();
    const PictureReading slow = readBuffer(data, size);
    const PictureValues& a = fast.values;
    const PictureValues& b = slow.values;
    if (fast.outcome != slow.outcome || fast.makeRead != slow.makeRead ||
        fast.modelRead != slow.modelRead || fast.makeTag != slow.makeTag ||
        fast.modelTag != slow.modelTag || !sameValues(a, b) ||
        a.focalPlane35mm != b.focalPlane35mm || a.lens != b.lens || a.dateText != b.dateText ||
        a.focal35From != b.focal35From)
        return QStringLiteral("the fast reader reads otherwise than Exiv2: outcome %1/%2, "
                              "make '%3'/'%4', focal %5/%6, lens '%7'/'%8', date '%9'/'%10'")
            .arg(int(fast.outcome))
            .arg(int(slow.outcome))
            .arg(fast.makeTag, slow.makeTag)
            .arg(double(a.focalLength))
            .arg(double(b.focalLength))
            .arg(a.lens, b.lens, a.dateText, b.dateText);
    return QString();
}

} // namespace

QString checkPicture(const std::uint8_t* data, std::size_t size)
{
    if (const QString problem = checkPrefix(data, size); !problem.isEmpty())
        return problem;
    if (const QString problem = checkFastReader(data, size); !problem.isEmpty())
        return problem;

    PictureValues values;
    const PictureOutcome outcome = analyseBuffer(data, size, {}, &values);
    QString problem = checkValues(outcome, values);
    if (!problem.isEmpty())
        return problem;

    // Filters that can only refuse a picture whose make or model holds a control
    // character: otherwise they must leave outcome and values as they were.
    MakeFilter makeFilter(QStringList{QStringLiteral("\x01")});
    makeFilter.except = true;
    ModelFilter modelFilter(QStringList{QStringLiteral("\x02")});
    modelFilter.except = true;
    PictureValues filtered;
    const PictureOutcome filteredOutcome =
        analyseBuffer(data, size, {&makeFilter, &modelFilter}, &filtered);
    // A refusal comes before the numeric tags are read, so it may hide a later failure.
    if (filteredOutcome != PictureOutcome::Filtered) {
        if (filteredOutcome != outcome)
            return QStringLiteral("a filter changed the outcome");
        if (outcome == PictureOutcome::Counted && !sameValues(values, filtered))
            return QStringLiteral("a filter changed the values");
    }

    // The picture twice, so that its rows are found again rather than created.
    Tables tables;
    const TableSet set = tables.set();
    const int counted = outcome == PictureOutcome::Counted ? 2 : 0;
    if (counted) {
        addToTables(values, set);
        addToTables(values, set);
    }
    for (StatTable* t : set)
        t->computePercents();
    for (StatTable* t : set) {
        problem = checkTable(*t, counted);
        if (!problem.isEmpty())
            return problem;
        t->sortByValue();
        t->sortByCount();
        problem = checkSorted(*t);
        if (!problem.isEmpty())
            return problem;
    }

    TABExporter tab(QStringLiteral("unused.txt"));
    problem = checkExport(tab, set, false);
    if (!problem.isEmpty())
        return QStringLiteral("tab-separated: ") + problem;
    HTMLExporter html(QStringLiteral("unused.htm"));
    problem = checkExport(html, set, true);
    if (!problem.isEmpty())
        return QStringLiteral("HTML: ") + problem;
    return checkRichExports(set, values);
}

namespace {

// The picture the name-list filters are asked about, made once.
const QByteArray& knownPicture()
{
    static const QByteArray bytes = testpictures::pictureBytes(
        testpictures::Format::Jpeg,
        testpictures::typicalTags(QStringLiteral("Canon"), QStringLiteral("Canon EOS 7D")));
    return bytes;
}

QString checkNameList(const QString& field, const QStringList& names)
{
    for (const QString& name : names) {
        if (name.isEmpty() || name.contains(QLatin1Char(',')) || name.contains(QLatin1Char(';')) ||
            name.contains(QStringLiteral("  ")) || name.startsWith(QLatin1Char(' ')) ||
            name.endsWith(QLatin1Char(' ')))
            return QStringLiteral("field '%1' gave the name '%2'").arg(field, name);
        // A name always occurs in a text that holds it.
        if (!TagFilter::matchesAny(QStringLiteral("<") + name + QStringLiteral(">"), names))
            return QStringLiteral("the name '%1' does not match a text holding it").arg(name);
    }
    return QString();
}

// Asks a filter and its except twin about the known picture: exactly one keeps it, and
// the keeping one lets it be counted.
template <typename Filter> QString checkFilterPair(const QStringList& names, const QString& tagText)
{
    const QByteArray& picture = knownPicture();
    const auto* bytes = reinterpret_cast<const unsigned char*>(picture.constData());
    const auto size = std::size_t(picture.size());
    Filter keep(names);
    Filter leaveOut(names);
    leaveOut.except = true;
    PictureValues values;
    const PictureOutcome a = analyseBuffer(bytes, size, {&keep}, &values);
    const PictureOutcome b = analyseBuffer(bytes, size, {&leaveOut}, &values);
    if ((a == PictureOutcome::Filtered) == (b == PictureOutcome::Filtered))
        return QStringLiteral("a filter and its except twin agree");
    if (a != PictureOutcome::Filtered && a != PictureOutcome::Counted)
        return QStringLiteral("a kept picture was not counted");
    if ((a != PictureOutcome::Filtered) != TagFilter::matchesAny(tagText, names))
        return QStringLiteral("the filter disagrees with matching its tag text");
    return QString();
}

} // namespace

QString checkNames(const std::uint8_t* data, std::size_t size)
{
    // make field NUL model field NUL tag text
    const QByteArray all(reinterpret_cast<const char*>(data), int(size));
    const QList<QByteArray> parts = all.split('\0');
    const QString makeField = QString::fromUtf8(parts.value(0));
    const QString modelField = QString::fromUtf8(parts.value(1));
    const QString tagText = QString::fromLatin1(parts.value(2));

    const QStringList makes = parseNameList(makeField);
    const QStringList models = parseNameList(modelField);
    QString problem = checkNameList(makeField, makes);
    if (problem.isEmpty())
        problem = checkNameList(modelField, models);
    if (!problem.isEmpty())
        return problem;

    // Extending a text never loses a match.
    if (TagFilter::matchesAny(tagText, makes) &&
        !TagFilter::matchesAny(QStringLiteral("x") + tagText + QStringLiteral("y"), makes))
        return QStringLiteral("a longer text lost the match");

    if (knownPicture().isEmpty())
        return QStringLiteral("the known picture could not be made");
    problem = checkFilterPair<MakeFilter>(makes, QStringLiteral("Canon"));
    if (problem.isEmpty())
        problem = checkFilterPair<ModelFilter>(models, QStringLiteral("Canon EOS 7D"));
    return problem;
}

} // namespace fuzzchecks
