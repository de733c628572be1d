#include "SUIMgr.h"

#include "Controls.h"
#include "Forms.h"
#include "SUIPublic.h"

namespace {

std::string FileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.resize(folder.find_last_of("\\/") + 1);  // npos + 1 == 0: no folder at all
    return folder;
}

// The path itself when a file is there, else the file-name part in the
// program's folder when one is there; empty when neither.
std::string LocateThemeFile(const std::string& path)
{
    if (ThemeFileExists(path)) return path;
    std::string folder = ProgramFolder();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    std::string inProgramFolder = folder + FileNamePart(path);
    return ThemeFileExists(inProgramFolder) ? inProgramFolder : std::string();
}

}  // namespace

TsuiFileTheme::TsuiFileTheme(TComponent* AOwner) : TComponent(AOwner) {}

void TsuiFileTheme::SetThemeFile(const std::string& path)
{
    // A path whose file could not be read counts as not given: once it can be
    // read, assigning it again loads it.
    if (path == themeFile_ && loaded_) return;
    std::string found = LocateThemeFile(path);
    if (found.empty()) return;
    themeFile_ = std::move(found);
    try {
        loaded_ = manager_.Load(themeFile_);
    } catch (...) {
        // The old reader is gone already: the controls must not go on asking a
        // theme that has nothing to answer, so they fall back to their default.
        loaded_ = false;
        throw;
    }
    if (loaded_) ReassignToOwnerComponents();
}

void TsuiFileTheme::GetPictureSlice(int item, TBitmap& target, int index, int count) const
{
    if (count == 0) {
        GetPicture(item, target);
        return;
    }
    TBitmap whole;
    manager_.GetPicture(item, whole);
    CutSlice(whole, target, count, index);
}

void TsuiFileTheme::ReassignToOwnerComponents()
{
    auto* form = dynamic_cast<TForm*>(Owner());
    if (!form) return;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* component = form->Components(i);
        if (std::string_view(component->ClassName()).substr(0, 4) != "Tsui") continue;
        if (!HasPublishedProperty(component, "FileTheme")) continue;
        auto* skinned = dynamic_cast<ISkinnable*>(component);
        if (skinned->FileTheme() == this) skinned->SetFileTheme(this);
    }
}
