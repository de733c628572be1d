#include "BundleRecord.h"

#include <gtest/gtest.h>

// The exact text is the point here: programs read the record by its keys.
TEST(BundleRecord, WritesEveryFieldInItsPlace)
{
    TMovieInfo movie;
    movie.Verdict = TMovieVerdict::Complete;
    movie.Compression = TMovieCompression::Zlib;
    movie.HeaderRead = true;
    movie.Version = 9;
    movie.DeclaredLength = 5021;
    movie.HasStage = true;
    movie.StageXMax = 11000;  // 550 x 400 pixels
    movie.StageYMax = 8000;
    movie.FrameRate = 0x0C80;  // 12.5
    movie.FrameCount = 30;
    TBundleRecord record{"http://h/site/index.php", "http://h/site/intro.swf", "2026-12-10T12:30:00Z", "Vendrake 2.1",
                         "site/index.php.htm", {}, {}, {}};
    record.Files.push_back({"http://h/site/intro.swf", "site/intro.swf", true, 1234, std::string(64, 'a'),
                            "application/x-shockwave-flash", "", "", movie});
    record.Files.push_back({"http://h/site/menu.xml", "site/menu.xml", false, 0, std::string(64, 'b'), "",
                            "http://h/site/intro.swf", "DoAction", std::nullopt});
    record.Missing.push_back({"sound.mp3", "http://h/site/sound.mp3", "http://h/site/intro.swf", "DefineSprite 3/DoAction",
                              "404"});
    EXPECT_EQ(BundleRecordJson(record), R"({
  "page": "http://h/site/index.php",
  "movie": "http://h/site/intro.swf",
  "saved": "2026-12-10T12:30:00Z",
  "program": "Vendrake 2.1",
  "page_file": "site/index.php.htm",
  "files": [
    {
      "address": "http://h/site/intro.swf",
      "path": "site/intro.swf",
      "source": "cache",
      "size": 1234,
      "sha256": "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
      "content_type": "application/x-shockwave-flash",
      "seen_in": "",
      "where": "",
      "movie": {
        "verdict": "complete",
        "version": 9,
        "compression": "zlib",
        "declared_length": 5021,
        "frames": 30,
        "frame_rate": 12.5,
        "width": 550,
        "height": 400
      }
    },
    {
      "address": "http://h/site/menu.xml",
      "path": "site/menu.xml",
      "source": "download",
      "size": 0,
      "sha256": "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb",
      "content_type": null,
      "seen_in": "http://h/site/intro.swf",
      "where": "DoAction"
    }
  ],
  "missing": [
    {
      "reference": "sound.mp3",
      "address": "http://h/site/sound.mp3",
      "seen_in": "http://h/site/intro.swf",
      "where": "DefineSprite 3/DoAction",
      "reason": "404"
    }
  ],
  "cuts": []
}
)");
}

TEST(BundleRecord, EscapesStringsAsJsonWantsAndWritesBytesOfNoUtf8AsReplacementCharacters)
{
    const struct {
        std::string In, Out;
    } rows[] = {
        {"say \"hi\"", R"(say \"hi\")"},
        {"C:\\movies\\", R"(C:\\movies\\)"},
        {std::string("a\0\n\x1F\x7F", 5), "a\\u0000\\u000a\\u001f\x7F"},
        {"\xE5\x8A\xA8\xE7\x94\xBB", "\xE5\x8A\xA8\xE7\x94\xBB"},
        {"\xB6\xAF.swf", "\xEF\xBF\xBD\xEF\xBF\xBD.swf"},
        {"\xE5\x8A", "\xEF\xBF\xBD\xEF\xBF\xBD"},            // cut short
        {"\xC0\xAF \xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong, surrogate
    };
    for (const auto& row : rows) {
        TBundleRecord record;
        record.Cuts = {row.In};
        const std::string json = BundleRecordJson(record);
        EXPECT_NE(json.find("\"cuts\": [\n    \"" + row.Out + "\"\n  ]"), std::string::npos) << json;
    }
}
