// `zemtra review`: a session's chart as a window, a PNG or an SVG file, and the review window
// reached from the running program. No Qt type shows here, so the process entry can use it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/SessionReview.h"
#include "session/Journal.h"

namespace zemtra::review {

struct ReviewRequest {
    std::filesystem::path session;  // the session folder
    std::string png;                // write the chart here instead of opening the window
    std::string svg;                // and/or here
    int width = 1600;
    int height = 700;
};

// The journal of a session, or why it cannot be reviewed: the reader's failures, and a journal
// without one readable row. Rows the reader skipped are said on the diagnostics channel.
platform::Result<session::Journal> loadForReview(const std::filesystem::path& folder);

// Loads the session and writes the files asked for (on the offscreen platform), or shows the
// window until it is closed. Answers the exit status: 0, or 1 after a message.
int runReview(const ReviewRequest& request, const std::string& programPath);

// The chart of a journal as a PNG or SVG file (a QApplication must exist).
platform::Result<void> writeChartPng(const session::Journal& journal, const std::string& file,
                                     int width, int height);
platform::Result<void> writeChartSvg(const session::Journal& journal, const std::string& file,
                                     int width, int height);

// The review window inside the running program; headless runs get one that says it needs a
// window.
std::shared_ptr<platform::SessionReview> createSessionReview(bool headless);

}  // namespace zemtra::review
