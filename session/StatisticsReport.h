// The statistics as one JSON object and as sentences a reader without statistics can follow.
//
// The JSON object has exactly the keys session, decisions, words_per_hour, distinct_words,
// top_words, digits, reachable and control:
//   session         {"sensor_source", "sensor_device", "sensor_simulated", "word_list",
//                    "word_count", "voice"}: what the session ran with
//   decisions       {"quiet": n, "range": n, "memory": n, "repeat": n, "window": n, "accepted": n}
//   top_words       [{"word": "…", "count": n}, …], most repeated first
//   digits          {"digit_positions": [1, …], "mx": {"counts": [10 counts], "no_match": n,
//                    "chi2": x, "df": 9, "p": x}, …, "az": {…}}  (chi2 and p null without digits)
//   reachable       {"count", "of", "with_rare_digits", "seen", "samples", "share_00",
//                    "share_in_range", "reason"}
//   control         {"seed", "runs", "ticks", "words_per_hour", "distinct_words",
//                    "largest_repeat"}, each figure {"session", "mean", "interval_95": [lo, hi],
//                    "percentile"}
#pragma once

#include <string>

#include "session/Statistics.h"

namespace zemtra::session {

// The object, indented, with a line feed at its end.
std::string statisticsJson(const Statistics& statistics);

// Paragraphs of plain sentences, each line ending with a line feed. `skippedRows` is the number
// of rows that could not be read.
std::string statisticsText(const Statistics& statistics, size_t skippedRows);

}  // namespace zemtra::session
