// SPDX-License-Identifier: GPL-3.0-or-later
// Drilling down: which pictures a selection takes and what the tables then count.

#include "core/count/selection.h"
#include "core/count/tally.h"

#include <QtTest>

namespace {

// Six pictures: lens, focal length, year.
struct Shot
{
    const char* lens;
    float focal;
    int year;
};
const Shot shots[] = {
    {"RF24-105", 24, 2023}, {"RF24-105", 105, 2024}, {"RF24-105", 50, 2022},
    {"RF50", 50, 2023},     {"RF50", 50, 2024},      {"Unknown", 0, 0},
};

struct Tables
{
    std::array<StatTable, StatKindCount> tables;
    ConstTableSet set{};

    Tables()
    {
        TableSet fill{};
        for (int k = 0; k < StatKindCount; ++k) {
            tables[size_t(k)].trackValues();
            fill[size_t(k)] = &tables[size_t(k)];
            set[size_t(k)] = &tables[size_t(k)];
        }
        for (const Shot& s : shots) {
            PictureValues v;
            v.make = QStringLiteral("Canon");
            v.model = QStringLiteral("R5");
            v.lens = QString::fromLatin1(s.lens);
            v.focalLength = s.focal;
            v.aperture = 4;
            v.iso = 100;
            v.exposureTime = 0.01f;
            if (s.year)
                v.dateText = QStringLiteral("%1:05:01 10:00:00").arg(s.year);
            addToTables(v, fill);
        }
        // Shown sorted by count, as the window and the exports leave them.
        for (StatTable& t : tables)
            t.sortByCount();
    }
};

// "label=count" for every row of a table, in its order.
QStringList rowsOf(const StatTable& table)
{
    QStringList rows;
    for (unsigned i = 0; i < table.rowCount(); ++i)
        rows << QStringLiteral("%1=%2").arg(table.row(i)->label).arg(table.row(i)->count);
    return rows;
}

} // namespace

class TestSelection : public QObject
{
    Q_OBJECT

private slots:
    void narrowsEveryTable_data();
    void narrowsEveryTable();
    void keepsOwnRowsToChooseFrom();
    void kindNamesRoundTrip();
};

void TestSelection::narrowsEveryTable_data()
{
    QTest::addColumn<QStringList>("lenses");
    QTest::addColumn<QStringList>("years");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("focalRows");
    QTest::addColumn<QStringList>("unmatched");

    QTest::newRow("nothing chosen")
        << QStringList() << QStringList() << 6 << QStringList{"50=3", "24=1", "105=1", "Unknown=1"}
        << QStringList();
    QTest::newRow("one lens") << QStringList{"RF24-105"} << QStringList() << 3
                              << QStringList{"50=1", "24=1", "105=1"} << QStringList();
    QTest::newRow("two lenses are OR-ed") << QStringList{"RF24-105", "RF50"} << QStringList() << 5
                                          << QStringList{"50=3", "24=1", "105=1"} << QStringList();
    QTest::newRow("lens AND year") << QStringList{"RF24-105"} << QStringList{"2023", "2024"} << 2
                                   << QStringList{"24=1", "105=1"} << QStringList();
    QTest::newRow("Unknown is a label") << QStringList() << QStringList{"Unknown"} << 1
                                        << QStringList{"Unknown=1"} << QStringList();
    QTest::newRow("a label without pictures") << QStringList{"RF 24-105"} << QStringList() << 0
                                              << QStringList() << QStringList{"Lens RF 24-105"};
    QTest::newRow("one of two labels matches") << QStringList{"RF50", "EF50"} << QStringList() << 2
                                               << QStringList{"50=2"} << QStringList{"Lens EF50"};
}

void TestSelection::narrowsEveryTable()
{
    QFETCH(QStringList, lenses);
    QFETCH(QStringList, years);
    QFETCH(int, selected);
    QFETCH(QStringList, focalRows);
    QFETCH(QStringList, unmatched);

    const Tables t;
    Selection selection;
    selection.setLabels(Lens, lenses);
    selection.setLabels(Year, years);
    const SelectedPictures pictures = selectPictures(t.set, selection);
    QCOMPARE(pictures.counted, 6);
    QCOMPARE(pictures.selected, selected);
    QCOMPARE(pictures.unmatched, unmatched);

    std::array<StatTable, StatKindCount> out;
    tabulateSelection(t.set, selection, pictures, out);
    QCOMPARE(rowsOf(out[FocalLength]), focalRows);
    for (int k = 0; k < StatKindCount; ++k) {
        int sum = 0;
        float percents = 0;
        for (unsigned i = 0; i < out[size_t(k)].rowCount(); ++i) {
            sum += out[size_t(k)].row(i)->count;
            percents += out[size_t(k)].row(i)->percent;
        }
        QCOMPARE(out[size_t(k)].total(), selected);
        QCOMPARE(sum, selected);
        if (selected > 0)
            QVERIFY(qAbs(percents - 100.0f) < 0.01f);
    }
    // The chosen lenses' own table holds only them.
    if (!lenses.isEmpty() && selected > 0) {
        for (unsigned i = 0; i < out[Lens].rowCount(); ++i)
            QVERIFY(lenses.contains(out[Lens].row(i)->label));
    }
}

void TestSelection::keepsOwnRowsToChooseFrom()
{
    const Tables t;
    Selection selection;
    selection.add(Lens, QStringLiteral("RF50"));
    selection.add(Year, QStringLiteral("2024"));
    const SelectedPictures pictures = selectPictures(t.set, selection);
    QCOMPARE(pictures.selected, 1);
    std::array<StatTable, StatKindCount> out;
    tabulateSelection(t.set, selection, pictures, out, true);
    // The lens table counts the pictures of 2024 and keeps every lens; the year table
    // counts RF50's pictures; the focal table only the one selected picture.
    QCOMPARE(rowsOf(out[Lens]), (QStringList{"RF24-105=1", "RF50=1", "Unknown=0"}));
    QCOMPARE(rowsOf(out[Year]), (QStringList{"2023=1", "2024=1", "2022=0", "Unknown=0"}));
    QCOMPARE(rowsOf(out[FocalLength]), QStringList{"50=1"});
    QCOMPARE(selection.describe(), QStringLiteral("Lens is RF50; Year is 2024"));
}

void TestSelection::kindNamesRoundTrip()
{
    for (int k = 0; k < StatKindCount; ++k)
        QCOMPARE(selectionKindFromName(selectionKindName(StatKind(k))), StatKind(k));
    QVERIFY(!selectionKindFromName(QStringLiteral("Lens")));
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
