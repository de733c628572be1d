#pragma once
// Theme files on disk. TsuiThemeFileReader reads a whole file into memory at
// once and answers lookups by entry name; TsuiFileThemeMgr holds the current
// reader of one theme component and turns theme item numbers into entry names.
#include "Graphics.h"
#include "ThemeFile.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Whether a file (not a folder) exists at the path.
bool ThemeFileExists(const std::string& path);

class TsuiThemeFileReader {
public:
    // Reads the file (read-only, shared with any reader or writer) and loads
    // every entry. Raises EFOpenError when it cannot be opened, EReadError when
    // it cannot be read whole.
    explicit TsuiThemeFileReader(const std::string& fileName);

    // The picture entry's BMP image, or nothing.
    std::optional<std::span<const std::uint8_t>> FindPicture(std::string_view name) const;
    // -1 when there is no such integer entry.
    std::int32_t GetInteger(std::string_view name) const { return file_.GetInteger(name); }
    // True when the stored byte is not 0; false when missing.
    bool GetBoolean(std::string_view name) const { return file_.GetBoolean(name); }

    const TThemeFile& File() const { return file_; }

private:
    TThemeFile file_;
};

// Owns at most one reader; each successful load replaces it.
class TsuiFileThemeMgr {
public:
    // False, keeping the current reader, when no file exists at the path.
    // Otherwise the current reader goes first, then the new one loads the file
    // (its stream errors pass through, leaving the manager without reader).
    bool Load(const std::string& path);
    bool HasReader() const { return reader_ != nullptr; }

    // Without a reader, or without a usable picture entry, target is unchanged.
    void GetPicture(int item, TBitmap& target) const;
    bool GetBool(int item) const;          // false without a reader
    std::int32_t GetColor(int item) const; // 0 without a reader, -1 when missing
    std::int32_t GetInt(int item) const;   // 0 without a reader, -1 when missing

private:
    std::unique_ptr<TsuiThemeFileReader> reader_;
};
