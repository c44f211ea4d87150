// The selection rules as a value: what a simulation driving the engine by itself relies on (the
// rings wrap where the program's do, quiet times end only when released, copies are independent).
#include <gtest/gtest.h>

#include "session/SelectionEngine.h"

namespace zemtra::session {
namespace {

// Offers each index with the engine free, as if every quiet time had passed.
Selection offerFree(SelectionEngine& engine, int32_t index, int64_t now = 0) {
    engine.state().quietUntil = 0;
    return engine.select(index, now);
}

TEST(SelectionEngineTest, EachRuleDecidesWithItsQuietTime) {
    SelectionEngine engine;
    // A fresh memory holds 0 everywhere: 0 is held.
    Selection held = engine.select(0, 1000);
    EXPECT_EQ(held.decision, Decision::memory);
    EXPECT_EQ(held.quietMs, 18500);
    EXPECT_EQ(engine.state().quietUntil, 19500);
    EXPECT_EQ(engine.state().candidateCursor, 0) << "a held candidate leaves the rings alone";

    // While quiet, nothing is decided and nothing changes.
    const SelectionState before = engine.state();
    const Selection quiet = engine.select(700, 2000);
    EXPECT_EQ(quiet.decision, Decision::quiet);
    EXPECT_EQ(quiet.index, 700);
    EXPECT_FALSE(quiet.quietMs);
    EXPECT_EQ(engine.state().quietUntil, before.quietUntil);

    EXPECT_EQ(offerFree(engine, 2049).decision, Decision::range);
    EXPECT_FALSE(engine.state().quietUntil) << "out of range sets no quiet time";

    const Selection first = offerFree(engine, 700);
    EXPECT_EQ(first.decision, Decision::accepted);
    EXPECT_EQ(first.quietMs, 0) << "the first word of a run";
    EXPECT_EQ(engine.memory()[0], 700) << "the spoken-word ring starts at slot 0";
    EXPECT_EQ(engine.memory()[1], 700) << "the candidate ring starts at slot 1";

    // 700 is now held in slot 1; with no memory the repeat rule takes it.
    engine.settings().memoryDepth = 0;
    EXPECT_EQ(offerFree(engine, 700).quietMs, 15000 + 6 * 700);
    EXPECT_EQ(offerFree(engine, 700).decision, Decision::repeat);
    const Selection window = offerFree(engine, 710);
    EXPECT_EQ(window.decision, Decision::window);
    EXPECT_EQ(window.quietMs, 7500 + 710);
    // The window follows the last candidate, even a rejected one.
    EXPECT_EQ(offerFree(engine, 721).decision, Decision::accepted);
    EXPECT_EQ(offerFree(engine, 900).quietMs, 1500 * 2) << "the third word of the run";
}

TEST(SelectionEngineTest, CandidatesPastAShortWordListAreOutOfRangeLikeThoseOf2049AndMore) {
    SelectionEngine engine({.memoryDepth = 100, .windowWidth = 0, .words = 100});
    const SelectionState before = engine.state();
    const Selection past = offerFree(engine, 100);
    EXPECT_EQ(past.decision, Decision::range);
    EXPECT_EQ(engine.state().lastCandidate, before.lastCandidate) << "the rings are left alone";
    EXPECT_EQ(engine.state().candidateCursor, before.candidateCursor);
    EXPECT_EQ(offerFree(engine, 99).decision, Decision::accepted) << "the list's last word";
}

TEST(SelectionEngineTest, RingsWrapAndShareTheArray) {
    SelectionEngine engine({.memoryDepth = 3, .windowWidth = 0});
    // Spoken words at slots 0, 1, 2, 3, then 0 again; candidates at 1, 2, 3, ... overwrite them.
    for (int32_t index = 1001; index <= 1005; ++index)
        ASSERT_EQ(offerFree(engine, index).decision, Decision::accepted) << index;
    EXPECT_EQ(engine.state().memoryCursor, 1);
    EXPECT_EQ(engine.memory()[0], 1005);
    EXPECT_EQ(engine.state().candidateCursor, 5);

    for (int32_t index = 0; index < 200; ++index) offerFree(engine, 100 + index * 7 % 1900);
    EXPECT_EQ(engine.state().candidateCursor, (5 + 200 - 1) % kCandidateRingEnd + 1);
}

TEST(SelectionEngineTest, QuietEndsOnlyAfterItsDeadlineAndLongRunsStartAgain) {
    SelectionEngine engine({.memoryDepth = 100, .windowWidth = 0});
    engine.state().run = 8;
    engine.select(1200, 0);
    EXPECT_EQ(engine.state().quietUntil, 12000);
    EXPECT_FALSE(engine.releaseQuiet(12000)) << "the deadline itself is still quiet";
    EXPECT_EQ(engine.select(1300, 12000).decision, Decision::quiet);
    EXPECT_TRUE(engine.releaseQuiet(12001));
    EXPECT_EQ(engine.state().run, 0);

    // A short run keeps its count across a release.
    engine.select(1400, 20000);
    engine.select(1500, 20000);  // quiet: the first word set 0 ms but the deadline is not past
    EXPECT_TRUE(engine.releaseQuiet(20001));
    EXPECT_EQ(engine.state().run, 1);
}

TEST(SelectionEngineTest, CopiesRunOnTheirOwn) {
    SelectionEngine engine;
    offerFree(engine, 500);
    SelectionEngine copy = engine;
    offerFree(copy, 900);
    EXPECT_EQ(engine.state().lastCandidate, 500);
    EXPECT_EQ(copy.state().lastCandidate, 900);
    EXPECT_EQ(engine.memory()[2], 0);
    EXPECT_EQ(copy.memory()[2], 900);
    EXPECT_EQ(offerFree(engine, 900).decision, Decision::accepted);
}

}  // namespace
}  // namespace zemtra::session
