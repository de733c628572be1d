#pragma once
// The texts the whole-page grab shows: the status line and the box at the end
// of a save (why a download failed is SaveReport's).
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The status line below the list: how many movies, and what could not be read
// (cutLists: lists of a page's elements read only to their first maxItems).
std::string GrabStatusText(size_t movies, int deniedFrames, int withoutSource, int cutLists = 0, int maxItems = 0);

// What the box at the end of a whole-page save says.
struct TGrabSummary {
    int Saved = 0;
    int FromCache = 0;  // of Saved
    std::vector<std::pair<std::string, std::string>> Unsound;  // saved files that are no whole movie (kept): file, problem
    std::vector<std::pair<std::string, std::string>> Failures;  // address, reason
    int NotStarted = 0;  // left when the user cancelled
};
std::string GrabReportText(const TGrabSummary& s);
