#pragma once
// The record a complete save leaves beside its files: where everything came
// from, as JSON that a person and a program can read. Strings are UTF-8.
#include "MovieCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TBundleFile {
    std::string Address;      // what the file was had from
    std::string Path;         // inside the folder, "/" between parts
    bool FromCache = false;   // the browser's cache, else a download
    uint64_t Size = 0;
    std::string Sha256;       // lower-case hex
    std::string ContentType;  // as the server gave it; empty when not known
    std::string SeenIn;       // the address of the movie or page that named it; empty for the movie itself
    std::string Where;        // how it was named: "DoAction", "FlashVars", ...; empty for the movie itself
    std::optional<TMovieInfo> Movie;  // for movies: the check's verdict
};

struct TMissingFile {
    std::string Reference;  // as it was written
    std::string Address;    // what it was resolved to; empty when it could not be
    std::string SeenIn;     // the address of the movie or page that named it
    std::string Where;
    std::string Reason;     // why it could not be had, in the program's words (UTF-8)
};

struct TBundleRecord {
    std::string PageAddress;
    std::string MovieAddress;
    std::string SavedUtc;  // ISO 8601, "2026-12-10T12:30:00Z"
    std::string Program;   // name and version
    std::string PagePath;  // the embedding page, inside the folder
    std::vector<TBundleFile> Files;
    std::vector<TMissingFile> Missing;
    std::vector<std::string> Cuts;  // the bounds that stopped the save from taking more, in words
};

// The record as JSON, two-space indented, one key per line, in a fixed order;
// every string escaped as JSON wants, bytes that are not UTF-8 written as
// U+FFFD.
std::string BundleRecordJson(const TBundleRecord& record);

// A verdict's name in the record: "complete", "cut short", "damaged", "no movie".
const char* MovieVerdictName(TMovieVerdict verdict);
