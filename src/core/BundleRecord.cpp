#include "BundleRecord.h"

#include "TextRules.h"

#include <initializer_list>
#include <string_view>
#include <utility>

namespace {

// Writes JSON as the record wants it: each member and element on a line of
// its own, two spaces a level, "[]" for an empty array.
class TJsonWriter {
public:
    void Open(char bracket)
    {
        out_ += bracket;
        empty_.push_back(true);
    }
    void Close(char bracket)
    {
        const bool empty = empty_.back();
        empty_.pop_back();
        if (!empty) NewLine();
        out_ += bracket;
    }
    void Key(std::string_view key)
    {
        Item();
        String(key);
        out_ += ": ";
    }
    // The start of an array's element.
    void Item()
    {
        if (!empty_.back()) out_ += ',';
        empty_.back() = false;
        NewLine();
    }
    void String(std::string_view s);
    void Number(uint64_t n) { out_ += std::to_string(n); }
    void Raw(std::string_view text) { out_ += text; }
    void Null() { out_ += "null"; }

    std::string Text() && { return std::move(out_) + "\n"; }

private:
    void NewLine() { out_ += "\n" + std::string(2 * empty_.size(), ' '); }

    std::string out_;
    std::vector<bool> empty_;  // per open level: nothing in it yet
};

// RFC 8259 section 7: quote, backslash and control characters escaped; the
// rest is written as it is, which UTF-8 must be (a byte that begins no
// well-formed character stands for U+FFFD, one for each).
void TJsonWriter::String(std::string_view s)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += '"';
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t length = Utf8CharacterLength(s, i);
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += static_cast<char>(c);
        } else if (c < 0x20) {
            out_ += "\\u00";
            out_ += kHex[c >> 4];
            out_ += kHex[c & 15];
        } else if (length == 0) {
            out_ += "\xEF\xBF\xBD";
        } else {
            out_ += s.substr(i, length);
        }
        i += length == 0 ? 1 : length;
    }
    out_ += '"';
}

void KeyString(TJsonWriter& json, std::string_view key, std::string_view value)
{
    json.Key(key);
    json.String(value);
}

void KeyStrings(TJsonWriter& json, std::initializer_list<std::pair<std::string_view, std::string_view>> members)
{
    for (const auto& [key, value] : members) KeyString(json, key, value);
}

void KeyNumber(TJsonWriter& json, std::string_view key, std::optional<uint64_t> value)
{
    json.Key(key);
    if (value)
        json.Number(*value);
    else
        json.Null();
}

// An 8.8 fixed-point frame rate in the fewest decimals that give it exactly
// (at most eight): 24, 12.5, 29.97265625.
std::string FrameRateText(uint16_t rate)
{
    std::string text = std::to_string(rate >> 8);
    unsigned fraction = rate & 0xFF;
    if (fraction != 0) text += '.';
    for (; fraction != 0; fraction = fraction * 10 % 256) text += static_cast<char>('0' + fraction * 10 / 256);
    return text;
}

const char* CompressionName(TMovieCompression compression)
{
    switch (compression) {
    case TMovieCompression::Zlib: return "zlib";
    case TMovieCompression::Lzma: return "lzma";
    case TMovieCompression::None: break;
    }
    return "none";
}

// What the header and the stage say; null for what the check could not read.
void WriteMovie(TJsonWriter& json, const TMovieInfo& movie)
{
    json.Key("movie");
    json.Open('{');
    KeyString(json, "verdict", MovieVerdictName(movie.Verdict));
    const auto header = [&](uint64_t n) { return movie.HeaderRead ? std::optional(n) : std::nullopt; };
    const auto stage = [&](uint64_t n) { return movie.HasStage ? std::optional(n) : std::nullopt; };
    KeyNumber(json, "version", header(movie.Version));
    KeyString(json, "compression", CompressionName(movie.Compression));
    KeyNumber(json, "declared_length", header(movie.DeclaredLength));
    KeyNumber(json, "frames", stage(movie.FrameCount));
    json.Key("frame_rate");
    if (movie.HasStage)
        json.Raw(FrameRateText(movie.FrameRate));
    else
        json.Null();
    // A stage whose minimum lies beyond its maximum has no size to give.
    const auto size = [&](int pixels) { return movie.HasStage && pixels >= 0 ? std::optional<uint64_t>(pixels) : std::nullopt; };
    KeyNumber(json, "width", size(movie.StageWidth()));
    KeyNumber(json, "height", size(movie.StageHeight()));
    json.Close('}');
}

void WriteFile(TJsonWriter& json, const TBundleFile& file)
{
    json.Open('{');
    KeyStrings(json, {{"address", file.Address}, {"path", file.Path}, {"source", file.FromCache ? "cache" : "download"}});
    KeyNumber(json, "size", file.Size);
    KeyString(json, "sha256", file.Sha256);
    json.Key("content_type");
    if (file.ContentType.empty())
        json.Null();
    else
        json.String(file.ContentType);
    KeyStrings(json, {{"seen_in", file.SeenIn}, {"where", file.Where}});
    if (file.Movie) WriteMovie(json, *file.Movie);
    json.Close('}');
}

void WriteMissing(TJsonWriter& json, const TMissingFile& missing)
{
    json.Open('{');
    KeyStrings(json, {{"reference", missing.Reference},
                      {"address", missing.Address},
                      {"seen_in", missing.SeenIn},
                      {"where", missing.Where},
                      {"reason", missing.Reason}});
    json.Close('}');
}

template <typename T, typename TWriteOne>
void KeyArray(TJsonWriter& json, std::string_view key, const std::vector<T>& items, TWriteOne writeOne)
{
    json.Key(key);
    json.Open('[');
    for (const T& item : items) {
        json.Item();
        writeOne(json, item);
    }
    json.Close(']');
}

}  // namespace

std::string BundleRecordJson(const TBundleRecord& record)
{
    TJsonWriter json;
    json.Open('{');
    KeyStrings(json, {{"page", record.PageAddress},
                      {"movie", record.MovieAddress},
                      {"saved", record.SavedUtc},
                      {"program", record.Program},
                      {"page_file", record.PagePath}});
    KeyArray(json, "files", record.Files, WriteFile);
    KeyArray(json, "missing", record.Missing, WriteMissing);
    KeyArray(json, "cuts", record.Cuts, [](TJsonWriter& j, const std::string& cut) { j.String(cut); });
    json.Close('}');
    return std::move(json).Text();
}

const char* MovieVerdictName(TMovieVerdict verdict)
{
    switch (verdict) {
    case TMovieVerdict::Complete: return "complete";
    case TMovieVerdict::CutShort: return "cut short";
    case TMovieVerdict::Damaged: return "damaged";
    case TMovieVerdict::NoMovie: break;
    }
    return "no movie";
}
