// The chart's data and geometry: envelopes match the rows they summarise, rows out of time order
// are left out, labels never overlap and the picked word keeps its label, the amount drawn does
// not grow with the rows, the SVG says what the painter draws, and a word's details mark the
// digit the scan took.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <limits>
#include <random>

#include "review/ChartData.h"
#include "review/ChartPainter.h"
#include "review/ChartScene.h"
#include "review/WordDetails.h"
#include "tests/session/SimulatedJournal.h"

namespace zemtra::review {
namespace {

using session::Decision;
// At digit position 7 the simulated digits vary, so that every decision and many words come.
session::Journal journalOf(int64_t ticks, uint64_t seed = 3) {
    return testing::simulatedJournal({.seed = seed, .ticks = ticks, .digitPosition = 7});
}

TEST(ChartData, EnvelopesAreTheMinimumAndMaximumOfTheirRows) {
    session::Journal journal = journalOf(5000);
    // Gaps: rows without a magnetometer reading inside the session.
    for (size_t row = 1000; row < 1010; ++row) journal.rows[row].magneticField.reset();
    const ChartData data(journal);
    std::mt19937 random(7);
    for (int trial = 0; trial < 500; ++trial) {
        const size_t begin = random() % data.size();
        const size_t end = begin + 1 + random() % (data.size() - begin);
        for (size_t channel = 0; channel < kChannels; ++channel) {
            Envelope expected;
            for (size_t row = begin; row < end; ++row) {
                const double value = data.reading(channel, row);
                if (std::isnan(value)) continue;
                const auto reading = static_cast<float>(value);
                expected.low = expected.any ? std::min(expected.low, reading) : reading;
                expected.high = expected.any ? std::max(expected.high, reading) : reading;
                expected.any = true;
            }
            const Envelope got = data.envelope(channel, begin, end);
            ASSERT_EQ(got.any, expected.any) << begin << ".." << end;
            if (!got.any) continue;
            ASSERT_EQ(got.low, expected.low)
                << "channel " << channel << " " << begin << ".." << end;
            ASSERT_EQ(got.high, expected.high)
                << "channel " << channel << " " << begin << ".." << end;
        }
    }
    EXPECT_FALSE(data.envelope(0, 1000, 1010).any);
    EXPECT_EQ(data.count(Decision::accepted, 0, data.size()), data.accepted().size());
}

TEST(ChartData, RowsThatGoBackInTimeAreLeftOutAndCounted) {
    session::Journal journal = journalOf(20);
    journal.rows[5].tMs = journal.rows[1].tMs;  // stamped before row 4
    journal.rows[6].acceleration[0] = std::numeric_limits<double>::quiet_NaN();
    const ChartData data(journal);
    EXPECT_EQ(data.size(), 19u);
    EXPECT_EQ(data.leftOut(), 1u);
    EXPECT_EQ(data.journalRow(5), 6u);
    EXPECT_TRUE(std::isnan(data.reading(3, 5)));
    for (size_t row = 1; row < data.size(); ++row) EXPECT_LE(data.time(row - 1), data.time(row));
}

std::vector<const SceneText*> labelsOf(const ChartScene& scene) {
    std::vector<const SceneText*> labels;
    for (const SceneItem& item : scene.items)
        if (const auto* text = std::get_if<SceneText>(&item);
            text && text->baseline.y() < scene.plot.top())
            labels.push_back(text);
    return labels;
}

TEST(ChartScene, WordLabelsNeverOverlapAndThePickedWordKeepsItsLabel) {
    const ChartData data(journalOf(86400));
    ASSERT_GT(data.accepted().size(), 50u);
    const QFontMetricsF metrics(chartFont(12, false));
    const size_t picked = data.accepted()[data.accepted().size() / 2];
    const ChartViewport whole = wholeSession(data);
    for (const double share : {1.0, 0.1, 0.01}) {
        ChartViewport viewport = whole;
        const double centre = static_cast<double>(data.time(picked));
        const double span = (whole.endMs - whole.startMs) * share;
        viewport.startMs = centre - span / 2;
        viewport.endMs = centre + span / 2;
        viewport.selectedRow = picked;
        for (const QSizeF size : {QSizeF(800, 400), QSizeF(1600, 700)}) {
            const ChartScene scene = layoutChart(data, viewport, size);
            const auto labels = labelsOf(scene);
            EXPECT_EQ(labels.size(), scene.labelledMarkers);
            EXPECT_LE(scene.labelledMarkers, scene.markersInView);
            bool pickedLabelled = false;
            for (size_t a = 0; a < labels.size(); ++a) {
                const double width = metrics.horizontalAdvance(labels[a]->text);
                const double left = labels[a]->baseline.x() - width / 2;
                EXPECT_GE(left, scene.plot.left() - 3);
                EXPECT_LE(left + width, scene.plot.right() + 3);
                if (labels[a]->text == QString::fromStdString(data.word(picked)) && labels[a]->bold)
                    pickedLabelled = true;
                for (size_t b = a + 1; b < labels.size(); ++b) {
                    if (labels[a]->baseline.y() != labels[b]->baseline.y()) continue;
                    const double otherWidth = metrics.horizontalAdvance(labels[b]->text);
                    const double gap = std::fabs(labels[a]->baseline.x() - labels[b]->baseline.x());
                    EXPECT_GE(gap, (width + otherWidth) / 2)
                        << labels[a]->text.toStdString() << " and "
                        << labels[b]->text.toStdString();
                }
            }
            EXPECT_TRUE(pickedLabelled) << "share " << share << " width " << size.width();
        }
    }
}

size_t drawnPoints(const ChartScene& scene) {
    size_t points = 0;
    for (const SceneItem& item : scene.items) {
        if (const auto* line = std::get_if<ScenePolyline>(&item)) points += line->points.size();
        if (const auto* band = std::get_if<SceneBand>(&item)) points += 2 * band->top.size();
    }
    return points;
}

TEST(ChartScene, WhatIsDrawnDependsOnTheWidthNotOnTheRows) {
    const ChartData hour(journalOf(3600));
    const ChartData day(journalOf(86400));
    const ChartScene hourScene = layoutChart(hour, wholeSession(hour), QSizeF(1200, 600));
    const ChartScene dayScene = layoutChart(day, wholeSession(day), QSizeF(1200, 600));
    const double columns = dayScene.plot.width();
    EXPECT_LE(static_cast<double>(drawnPoints(dayScene)), kChannels * 4 * columns + 100);
    EXPECT_LE(static_cast<double>(drawnPoints(hourScene)), kChannels * 4 * columns + 100);
    // Every column with rows gets its strip share; the strip is covered edge to edge.
    double stripCovered = 0;
    for (const SceneItem& item : dayScene.items) {
        const auto* rect = std::get_if<SceneRect>(&item);
        if (rect && rect->rect.top() >= dayScene.plot.bottom() &&
            rect->rect.bottom() <= dayScene.plot.bottom() + 20 &&
            rect->fill != QColor(0x1c, 0x1c, 0x1e))
            stripCovered += rect->rect.width() * rect->rect.height();
    }
    EXPECT_GT(stripCovered, 0.9 * (columns * 0.98) * 14);
}

TEST(ChartScene, TheSvgEscapesTheWordsItShows) {
    session::Journal journal = journalOf(600);
    for (auto& row : journal.rows)
        if (row.decision == Decision::accepted) row.word = "R&D <b>";
    const ChartData data(journal);
    const std::string svg = svgOf(layoutChart(data, wholeSession(data), QSizeF(900, 400)));
    EXPECT_NE(svg.find(">R&amp;D &lt;b&gt;<"), std::string::npos);
    EXPECT_EQ(svg.find("<b>"), std::string::npos);
}

TEST(WordDetails, TheDigitAtTheDigitPositionIsMarkedAndTheRulesFollowTheDecision) {
    session::SampleRow row;
    row.tMs = 5000;
    row.magneticField = std::array<double, 3>{0.0123456789, -41.98765432109876, 12.34567891};
    row.acceleration = {0.0011223344556, 0.5, -0.000012345678912};
    row.digits = "0930-2";
    row.value = "9322";
    row.index = 2049;
    row.decision = Decision::range;
    session::SessionInfo info;
    session::Settings start;
    start.tMs = 0;
    start.digitPosition = 1;
    session::Settings later = start;
    later.tMs = 4000;
    later.digitPosition = 3;
    info.settings = {start, later};

    const WordDetails details = detailsOf(row, info);
    EXPECT_EQ(details.digitPosition, 3);
    EXPECT_EQ(details.readings[1].text, "41.98765432109876");
    ASSERT_TRUE(details.readings[1].marked);
    EXPECT_EQ(details.readings[1].text[*details.readings[1].marked], '7');
    EXPECT_EQ(details.readings[5].text, "1.2345678912e-05");
    EXPECT_EQ(details.readings[5].text[*details.readings[5].marked], '4');
    EXPECT_FALSE(details.readings[4].marked) << "0.5 has too few digits for the scan";
    EXPECT_TRUE(details.passed.empty());
    EXPECT_EQ(details.failed, "range");

    EXPECT_EQ(digitPositionAt(info, 3999), 1);
    row.decision = Decision::window;
    EXPECT_EQ(detailsOf(row, info).passed, (std::vector<std::string>{"range", "memory", "repeat"}));
    row.decision = Decision::accepted;
    row.quietMs = 1500;
    const WordDetails accepted = detailsOf(row, info);
    EXPECT_EQ(accepted.passed.size(), 4u);
    EXPECT_FALSE(accepted.failed);
    EXPECT_EQ(accepted.quietMs, 1500);
    row.decision = Decision::quiet;
    EXPECT_TRUE(detailsOf(row, info).passed.empty());
    EXPECT_FALSE(detailsOf(row, info).failed);
}

}  // namespace
}  // namespace zemtra::review
