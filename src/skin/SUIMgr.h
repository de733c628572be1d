#pragma once
// The theme-file component a form carries. Skinned controls point to it through
// their FileTheme property and, with style FromThemeFile, read their pictures,
// colours, integers and booleans from its file.
#include "Classes.h"
#include "Graphics.h"
#include "SUIThemeFile.h"

#include <string>

class TsuiFileTheme : public TComponent {
public:
    explicit TsuiFileTheme(TComponent* AOwner);
    const char* ClassName() const override { return "TsuiFileTheme"; }

    const std::string& ThemeFile() const { return themeFile_; }
    // Loads the theme at path, or at the file-name part of it in the program's
    // folder; a path naming no file in either place changes nothing. After a
    // load the skinned components of the owner form that use this theme are
    // given it again, so they redraw from the new file. A file that exists but
    // cannot be read raises EStreamError; the theme then counts as not loaded,
    // and the same path may be given again once the file can be read.
    void SetThemeFile(const std::string& path);
    bool IsLoaded() const { return loaded_; }

    // Item numbers 1..42. Lookups answer as the manager does.
    void GetPicture(int item, TBitmap& target) const { manager_.GetPicture(item, target); }
    // Frame `index` of `count` of the item's picture; count 0 takes it whole.
    void GetPictureSlice(int item, TBitmap& target, int index, int count) const;
    bool GetBool(int item) const { return manager_.GetBool(item); }
    TColor GetColor(int item) const { return static_cast<TColor>(manager_.GetColor(item)); }
    std::int32_t GetInt(int item) const { return manager_.GetInt(item); }

private:
    void ReassignToOwnerComponents();

    TsuiFileThemeMgr manager_;
    std::string themeFile_;
    bool loaded_ = false;
};
