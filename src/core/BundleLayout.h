#pragma once
// Where each file of a complete save goes inside its folder, so that a player
// finds it where the movie asks: the page's server's files below the folder's
// root at their address's path (relative and root-relative references then
// resolve when the folder is served as a site's root, relative ones from disk
// too), another server's below a folder named after that server.
//
// Paths are relative to the folder, with "/" between their parts, in UTF-8;
// each part is the address's segment with its %XX escapes decoded where that
// gives UTF-8 text (else as written, raw bytes of no UTF-8 escaped), made safe
// for Windows (MovieFileName's rules; "", "." and ".." become "_"). A part
// keeps within 200 bytes and a path within 240, which leaves 20 characters of
// MAX_PATH for the folder the save goes in (a clash's " (n)" may add 7); where
// folders are deeper than that, the deepest go.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class TBundleLayout {
public:
    // The page's address: its server's files go below the root.
    explicit TBundleLayout(std::string_view pageAddress);

    // The path of an absolute http or https address: the same address gives
    // the same path; two addresses never share one, compared as Windows
    // compares names without regard to case (of ASCII letters only: two
    // names that differ in the case of "Ä" alone would still be one file),
    // and a file never takes a folder's name nor a folder a file's (the later
    // one is numbered, "a (2)", and a folder stays so). An address with a
    // query gets it in its name ("data.php@id=3"); one ending in "/" gets
    // "index.html". Nothing for another scheme.
    std::optional<std::string> PathOf(std::string_view address);

    // Where the embedding page goes: the page's own path as PathOf makes it,
    // ".htm" added when its name does not end in ".htm" or ".html"
    // ("site/index.php.htm"); "page.htm" for a page that is not on the web.
    std::string PagePath();

    // A file name at the folder's root that no path has taken: wanted, else
    // "stem (2).ext", ... (for the leading page and the record). Taken then.
    std::string RootName(std::string_view wanted);

    // The folder of a path ("movies/" for "movies/a.swf", "" at the root).
    static std::string FolderOf(std::string_view path);

private:
    std::string Take(const std::vector<std::string>& parts);
    std::string FreeName(const std::string& folder, const std::string& name) const;

    std::string pageAddress_;
    std::string pageServer_;
    std::string pagePath_;                          // once asked for
    std::map<std::string, std::string> byAddress_;  // CachedAddress -> path
    // A folder as addresses name it, folded to lower case, -> the folder it
    // went to: itself, or "a (2)/" where a file took "a".
    std::map<std::string, std::string> folderAs_;
    std::set<std::string> taken_;  // paths taken, folded to lower case; folders with their "/"
};

// A relative address from the file at fromPath to toPath, both folder paths
// as PathOf gives them; its parts are %XX escaped where an address needs it.
// A toPath ending in "/" is a folder.
std::string RelativeLink(std::string_view fromPath, std::string_view toPath);
