// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/insights.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QtTest>

namespace {

// Readings from "focal/35mm/f-number/lens" words in mm; 0 as 35 mm is unknown.
std::vector<InsightReading> readingsOf(const QString& text)
{
    std::vector<InsightReading> readings;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = word.split(QLatin1Char('/'));
        InsightReading r;
        r.focalLength = roundHalfAway(parts.value(0).toDouble() * 10);
        r.focalLength35mm = roundHalfAway(parts.value(1).toDouble() * 10);
        r.aperture = roundHalfAway(parts.value(2).toDouble() * 10);
        r.lens = parts.value(3);
        readings.push_back(r);
    }
    return readings;
}

// Known 35 mm values alone, as readings of one lens.
std::vector<InsightReading> focal35Readings(const QString& values)
{
    QString words;
    for (const QString& v : values.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        words += QStringLiteral("50/%1/4/L ").arg(v);
    return readingsOf(words);
}

} // namespace

class TestInsights : public QObject
{
    Q_OBJECT

private slots:
    void coverage_data();
    void coverage();
    void lensUsage_data();
    void lensUsage();
    void readingsFollowTrackedRows();
};

void TestInsights::coverage_data()
{
    QTest::addColumn<QString>("focal35");
    QTest::addColumn<QString>("expected"); // "share:range" for 50, 80 and 95 %

    QTest::newRow("none known") << "0 0"
                                << "";
    QTest::newRow("no pictures") << ""
                                 << "";
    QTest::newRow("one picture") << "35"
                                 << "50:35 mm 80:35 mm 95:35 mm";
    QTest::newRow("all at one") << "50 50 50 50"
                                << "50:50 mm 80:50 mm 95:50 mm";
    // 24-48 and 100-200 are both a factor 2: the smaller start wins.
    QTest::newRow("tie") << "200 100 48 24"
                         << "50:24-48 mm 80:24-200 mm 95:24-200 mm";
    // 100-150 (x1.5) is narrower than 10-20 (x2) by ratio, wider by difference.
    QTest::newRow("by ratio") << "10 20 100 150"
                              << "50:100-150 mm 80:10-150 mm 95:10-150 mm";
    // Unknown rows are left out: N = 6, so 3, 5 and 6 pictures.
    QTest::newRow("unknown left out") << "0 24 50 0 50 50 70 200"
                                      << "50:50 mm 80:24-70 mm 95:24-200 mm";
    // N = 10: exactly 5 and 8, and 95 % rounds up to all 10.
    QTest::newRow("ceil") << "10 20 30 40 50 60 70 80 90 100"
                          << "50:60-100 mm 80:30-100 mm 95:10-100 mm";
}

void TestInsights::coverage()
{
    QFETCH(QString, focal35);
    QFETCH(QString, expected);
    QStringList got;
    for (const CoverageRange& r : focalCoverage(focal35Readings(focal35)))
        got << QString::number(r.share) + QLatin1Char(':') + focalRangeText(r.from, r.to);
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
}

void TestInsights::lensUsage_data()
{
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("expected"); // the cells of each lens, lenses split by "; "

    QTest::newRow("no pictures") << ""
                                 << "";
    QTest::newRow("one picture") << "50/75/1.8/A"
                                 << "A|1|100.00|50 mm||||f/1.8|100.00";
    QTest::newRow("prime") << "35/0/2/P 35/0/2.8/P 35/0/2/P"
                           << "P|3|100.00|35 mm||||f/2|66.67";
    QTest::newRow("zoom at its ends only")
        << "24/24/4/Z 105/105/4/Z 24/24/5.6/Z 105/105/8/Z 105/105/4/Z"
        << "Z|5|100.00|24-105 mm|40.00|60.00||f/4|60.00";
    // Between 18 and 55: 24 and 35 twice each, the shorter wins; at 24 the 35 mm values 36
    // and 38 tie, the shorter wins. W's favourite has no known 35 mm value.
    QTest::newRow("favourite ties")
        << "18/27/3.5/Z 35/52/4/Z 24/38/4/Z 24/36/4/Z 35/0/4.5/Z 55/82/5.6/Z "
           "10/0/2.8/W 12/0/2.8/W 16/0/4/W"
        << "Z|6|66.67|18-55 mm|16.67|16.67|24 mm (36 mm in 35 mm)|f/3.5|16.67; "
           "W|3|33.33|10-16 mm|33.33|33.33|12 mm|f/2.8|66.67";
    // Most pictures first; equal counts in order of first appearance, Unknown like any.
    QTest::newRow("order") << "50/0/2/Unknown 85/0/1.8/B 50/0/2/B 50/0/2/Unknown "
                              "20/0/8/C 20/0/8/C 20/0/8/C"
                           << "C|3|42.86|20 mm||||f/8|100.00; "
                              "Unknown|2|28.57|50 mm||||f/2|100.00; "
                              "B|2|28.57|50-85 mm|50.00|50.00||f/1.8|50.00";
}

void TestInsights::lensUsage()
{
    QFETCH(QString, readings);
    QFETCH(QString, expected);
    QStringList got;
    for (const LensUsage& lens : ::lensUsage(readingsOf(readings)))
        got << lensUsageCells(lens).join(QLatin1Char('|'));
    QCOMPARE(got.join(QStringLiteral("; ")), expected);
}

void TestInsights::readingsFollowTrackedRows()
{
    std::array<StatTable, StatKindCount> owned;
    TableSet tables{};
    for (int k = 0; k < StatKindCount; ++k) {
        tables[size_t(k)] = &owned[size_t(k)];
        owned[size_t(k)].trackValues();
    }
    const struct
    {
        float focal, focal35, aperture;
        const char* lens;
    } pictures[] = {
        {24, 38, 4, "A"}, {50, 0, 1.8f, "B"}, {24, 38, 5.6f, "A"}, {70, 112, 2.8f, "C"}};
    for (const auto& p : pictures) {
        PictureValues v;
        v.focalLength = p.focal;
        v.focalLength35mm = p.focal35;
        v.aperture = p.aperture;
        v.iso = 100;
        v.exposureTime = 0.01f;
        v.lens = QString::fromLatin1(p.lens);
        addToTables(v, tables);
    }
    // The rows move; the readings follow their ids.
    for (StatTable& t : owned)
        t.sortByCount();
    const auto text = [](const std::vector<InsightReading>& readings) {
        QStringList words;
        for (const InsightReading& r : readings)
            words << QStringLiteral("%1/%2/%3/%4")
                         .arg(r.focalLength)
                         .arg(r.focalLength35mm)
                         .arg(r.aperture)
                         .arg(r.lens);
        return words.join(QLatin1Char(' '));
    };
    QCOMPARE(text(trackedReadings(tables)), QStringLiteral("240/380/40/A 500/0/18/B 240/380/56/A "
                                                           "700/1120/28/C"));
    const std::vector<int> places{3, 1, 9};
    QCOMPARE(text(trackedReadings(tables, &places)), QStringLiteral("700/1120/28/C 500/0/18/B"));
    // Texts on one buffer are told apart by their length, not by their address alone.
    static const QChar buffer[] = {u'A', u'B'};
    std::vector<InsightReading> shared(2);
    shared[0].lens = QString::fromRawData(buffer, 1);
    shared[1].lens = QString::fromRawData(buffer, 2);
    QCOMPARE(::lensUsage(shared).size(), size_t(2));
    // Without tracking there is nothing to tell from.
    owned[FocalLength].clear();
    QVERIFY(trackedReadings(tables).empty());
}

QTEST_GUILESS_MAIN(TestInsights)
#include "tst_insights.moc"
