// make_synthetic_session FOLDER [TICKS] [SEED]: writes a made-up session journal into FOLDER, for
// benchmarks and for looking at the review tool by hand.
#include <cstdlib>
#include <string>

#include "tests/review/SyntheticSession.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    zemtra::testing::SyntheticSessionShape shape;
    if (argc > 2) shape.ticks = std::stoul(argv[2]);
    if (argc > 3) shape.seed = static_cast<uint32_t>(std::stoul(argv[3]));
    zemtra::testing::writeJournal(
        zemtra::testing::syntheticJournal(shape, zemtra::testing::projectWords()), argv[1]);
    return 0;
}
