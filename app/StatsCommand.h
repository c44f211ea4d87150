// `zemtra stats [SESSION] [--json] [--seed N] [--runs N] [--data DIR] [--config FILE]`: the
// figures of a session's journal against chance, as sentences or as one JSON object on standard
// output. SESSION is a session folder (or its samples.csv, or a folder name under the documents
// directory's Sessions/); without it, the newest session there. Problems go to the diagnostics
// channel: rows that could not be read are named and counted, the rest are used.
#pragma once

#include <string>
#include <vector>

#include "app/ConfigFile.h"

namespace zemtra::app {

// The command's exit status: 0 when the figures were printed, 1 when the session could not be
// read, 2 for a bad command line. `arguments` come after the word "stats".
int runStatsCommand(const std::vector<std::string>& arguments, Environment environment);

// The usage lines of the command, for --help.
std::string statsUsageText();

}  // namespace zemtra::app
