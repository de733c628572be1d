#include "EmbedMarkup.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::string Described(const std::vector<TMarkupAttribute>& attributes)
{
    std::string out;
    for (const TMarkupAttribute& a : attributes) out += " " + a.Name + "=" + a.Value;
    return out;
}

// "TAG n=v ...; PARAM n=v ...; EMBED n=v ...; vars=...; base=...", the parts
// there are.
std::string Described(const std::optional<TEmbedMarkup>& m)
{
    if (!m) return "nothing";
    std::string out = m->Outer.Tag + Described(m->Outer.Attributes);
    if (!m->Outer.Params.empty()) out += "; PARAM" + Described(m->Outer.Params);
    if (m->Inner) out += "; " + m->Inner->Tag + Described(m->Inner->Attributes);
    if (!FlashVarsOf(*m).empty()) out += "; vars=" + FlashVarsOf(*m);
    if (!BaseOf(*m).empty()) out += "; base=" + BaseOf(*m);
    return out;
}

}  // namespace

TEST(EmbedMarkup, ReadsTheOuterHtmlTheBrowserGives)
{
    const struct {
        const char *Html, *Read;
    } rows[] = {
        // As IE writes it: names in upper case, values unquoted where it can.
        {"<OBJECT height=400 width=550 classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000>"
         "<PARAM NAME=\"Movie\" VALUE=\"intro.swf\"><PARAM NAME=\"FlashVars\" VALUE=\"a=1&amp;b=2\"> text <B>bold</B>"
         "<!-- <PARAM NAME=\"x\" VALUE=\"y\"> --><PARAM NAME=\"\" VALUE=\"nameless\">"
         "<EMBED src=\"intro.swf\" base=. type=application/x-shockwave-flash></EMBED></OBJECT>",
         "OBJECT height=400 width=550 classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000; PARAM Movie=intro.swf "
         "FlashVars=a=1&b=2; EMBED src=intro.swf base=. type=application/x-shockwave-flash; vars=a=1&b=2; base=."},
        {" \r\n<embed src=movies/a.swf?x=1 width=100% SRC=second.swf quality=high>",
         "EMBED src=movies/a.swf?x=1 width=100% quality=high"},
        {"<EMBED src='a \"b\".swf' FlashVars='t=&#39;x&#x27;&lt;&#26412&unknown;'/>",
         "EMBED src=a \"b\".swf FlashVars=t='x'<\xE6\x9C\xAC&unknown;; vars=t='x'<\xE6\x9C\xAC&unknown;"},
        // PARAMs of a nested fallback OBJECT, or after the end, are not the outer one's.
        {"<object classid=x><param name=movie value=a.swf><object data=a.swf><param name=movie value=b.swf></object>"
         "<param name=quality value=high></object><param name=after value=z>",
         "OBJECT classid=x; PARAM movie=a.swf quality=high"},
        {"<DIV><OBJECT></OBJECT></DIV>", "nothing"},
        {"<objects data=a.swf>", "nothing"},
        {"</object>", "nothing"},
        {"movie", "nothing"},
        // Cut short: what was read.
        {"<OBJECT width=5><PARAM NAME=\"movie\" VALUE=\"a.sw", "OBJECT width=5; PARAM movie=a.sw"},
        {"<EMBED src=\"a.swf", "EMBED src=a.swf"},
        {"<OBJECT data", "OBJECT data="},
        {"<OBJECT><", "OBJECT"},
    };
    for (const auto& row : rows) EXPECT_EQ(Described(ParseEmbedMarkup(row.Html)), row.Read) << row.Html;
}

TEST(EmbedMarkup, EmbeddingPageRelinksAddressesAndFlashVarsValuesAndKeepsTheRest)
{
    const auto markup = ParseEmbedMarkup(
        "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" id='m\"1'>"
        "<PARAM NAME=\"Movie\" VALUE=\"http://h/a/intro.swf\"><PARAM NAME=\"BASE\" VALUE=\"http://h/a/\">"
        "<PARAM NAME=\"FlashVars\" VALUE=\"xml=http%3A%2F%2Fh%2Fa%2Fmenu.xml&amp;title=a+b%21&amp;&amp;skin=http://else/s.swf\">"
        "<EMBED src=\"http://h/a/intro.swf\" FlashVars=\"xml=http://h/a/menu.xml\"></OBJECT>");
    ASSERT_TRUE(markup);
    const std::map<std::string, std::string, std::less<>> files{
        {"http://h/a/intro.swf", "intro.swf"}, {"http://h/a/menu.xml", "data/menu file&.xml"}, {"http://h/a/", "./"}};
    std::vector<std::string> asked;
    const TRelink relink = [&](std::string_view value) -> std::optional<std::string> {
        asked.emplace_back(value);
        const auto file = files.find(value);
        return file == files.end() ? std::nullopt : std::optional(file->second);
    };
    const std::string page = EmbeddingPageHtml(*markup, relink, "A <B> & \"C\"", "http://h/a/");
    for (const char* part : {
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
             "<title>A &lt;B&gt; &amp; &quot;C&quot;</title>\n<base href=\"http://h/a/\">",
             "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" id=\"m&quot;1\">\n"
             "<PARAM NAME=\"Movie\" VALUE=\"intro.swf\">\n<PARAM NAME=\"BASE\" VALUE=\"./\">\n"
             "<PARAM NAME=\"FlashVars\" VALUE=\"xml=data/menu%20file%26.xml&amp;title=a+b%21&amp;&amp;skin=http://else/s.swf\">\n"
             "<EMBED src=\"intro.swf\" FlashVars=\"xml=data/menu%20file%26.xml\">\n</OBJECT>\n</body>",
         })
        EXPECT_NE(page.find(part), std::string::npos) << part << "\nnot in:\n" << page;
    EXPECT_NE(std::find(asked.begin(), asked.end(), "a b!"), asked.end()) << "FlashVars values are asked for decoded";
}
