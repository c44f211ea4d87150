// libFuzzer target for the journal reader. The input is a samples.csv text, then optionally a NUL
// byte and a session.json text. Every input must be read without a crash: rows kept or skipped,
// a description or a failure; every row kept must write and read back as the same row; and the
// statistics (with one control run) of whatever was read must be computed without a crash.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "session/Journal.h"
#include "session/Statistics.h"
#include "session/StatisticsReport.h"

namespace {

using namespace zemtra::session;

bool sameRow(const SampleRow& a, const SampleRow& b) {
    return a.tMs == b.tMs && a.time == b.time && a.magneticField == b.magneticField &&
           a.acceleration == b.acceleration && a.digits == b.digits && a.value == b.value &&
           a.index == b.index && a.decision == b.decision && a.quietMs == b.quietMs &&
           a.word == b.word;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string_view samples = input.substr(0, split);
    const std::string_view description =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    Journal journal = readSamples(samples, "samples.csv");
    for (const SampleRow& row : journal.rows) {
        const std::string text = std::string(kSamplesHeader) + "\n" + formatRow(row);
        const Journal again = readSamples(text, "again.csv");
        if (again.rows.size() != 1 || !sameRow(again.rows.front(), row)) std::abort();
    }
    if (!description.empty()) {
        auto info = sessionInfoFromJson(description, "session.json");
        if (info) {
            // What is read back from its own JSON is read the same again.
            const std::string json = toJson(*info);
            auto again = sessionInfoFromJson(json, "again.json");
            if (!again || toJson(*again) != json) std::abort();
            journal.info = std::move(*info);
        }
    }
    const Statistics statistics = computeStatistics(journal, {.seed = 1, .runs = 1, .threads = 1});
    (void)statisticsJson(statistics);
    (void)statisticsText(statistics, journal.skippedRows);
    return 0;
}
