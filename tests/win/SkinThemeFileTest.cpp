// Theme files on disk: the reader and manager, the theme component with its
// path rules and its hand-over to the owner form's skinned components, the
// style rule that depends on it, and the BMP loader its pictures go through.
// Theme files are made by the writer and written to temporary files.
#include "Forms.h"
#include "SUIMgr.h"
#include "SUIPublic.h"
#include "SUIThemeFile.h"
#include "SkinPictures.h"
#include "ThemeFileWriter.h"
#include "UIStyle.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace I = ThemeItem;
using S = TsuiUIStyle;

// ------------------------------------------------------------ files

std::string TempFolder()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof(path), path);
    return std::string(path, length);
}

// The folder of the test program, with its final backslash.
std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// A name no other file in any folder has.
std::string UniqueFileName()
{
    static int serial = 0;
    return "vk_theme_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount()) + "_" +
           std::to_string(++serial) + ".theme";
}

// A file the test owns: deleted when the object goes, whether or not it was
// ever written.
class TTempFile {
public:
    // A unique name in the temporary folder; nothing is created yet.
    TTempFile() : path_(TempFolder() + UniqueFileName()) {}
    explicit TTempFile(std::string path) : path_(std::move(path)) {}
    ~TTempFile() { DeleteFileA(path_.c_str()); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const std::string& Path() const { return path_; }

    // Replaces the whole contents.
    void Write(std::span<const std::uint8_t> bytes) const
    {
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path_ << " error " << GetLastError();
        DWORD written = 0;
        const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(ok && written == bytes.size()) << path_;
    }

private:
    std::string path_;
};

// Works in another folder until the object goes.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::string& folder)
    {
        char old[MAX_PATH] = {};
        old_.assign(old, GetCurrentDirectoryA(MAX_PATH, old));
        EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
    }
    ~TCurrentFolder() { SetCurrentDirectoryA(old_.c_str()); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::string old_;
};

// ------------------------------------------------------------ pictures

// Every pixel a different colour (0x00RRGGBB), so a flipped or shifted row shows.
TSkinBitmap Pattern(int width, int height, std::uint32_t seed)
{
    TSkinBitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.Set(x, y, (seed + 0x00102030u * static_cast<std::uint32_t>(1 + x + 7 * y)) & 0x00FFFFFF);
    return b;
}

// The pixels of a bitmap as 0x00RRGGBB, row by row from the top.
TSkinBitmap PixelsOf(TBitmap& bitmap)
{
    TSkinBitmap out(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) out.Set(x, y, bitmap.ScanLine(y)[x] & 0x00FFFFFF);
    return out;
}

void ExpectPixels(TBitmap& bitmap, const TSkinBitmap& want)
{
    ASSERT_EQ(bitmap.Width(), want.Width);
    ASSERT_EQ(bitmap.Height(), want.Height);
    const TSkinBitmap got = PixelsOf(bitmap);
    for (int y = 0; y < want.Height; ++y)
        for (int x = 0; x < want.Width; ++x)
            EXPECT_EQ(got.At(x, y), want.At(x, y)) << "pixel " << x << "," << y;
}

// A bitmap filled with a pattern, to tell "left as it was" from any load.
void Prefill(TBitmap& bitmap, const TSkinBitmap& pattern)
{
    bitmap.SetSize(pattern.Width, pattern.Height);
    for (int y = 0; y < pattern.Height; ++y)
        for (int x = 0; x < pattern.Width; ++x) bitmap.ScanLine(y)[x] = pattern.At(x, y);
}

// A picture lookup that must find nothing: the target keeps what it held.
template <class TSource>
void ExpectPictureLeftAlone(const TSource& source, int item, int seed)
{
    const TSkinBitmap before = Pattern(3, 2, static_cast<std::uint32_t>(seed));
    TBitmap picture;
    Prefill(picture, before);
    source.GetPicture(item, picture);
    ExpectPixels(picture, before);
}

// ------------------------------------------------------------ BMP images

constexpr std::size_t BitsOffsetField = 10, HeaderSizeField = 14, WidthField = 18, HeightField = 22,
                      CompressionField = 30, ColoursUsedField = 46;

void PutU32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Patched(Bytes b, std::size_t at, std::uint32_t v)
{
    PutU32(b, at, v);
    return b;
}

// The pieces of a BMP image the tests choose; MakeBmp writes the headers, the
// masks after a 40-byte header that uses bit fields, the colour table and the
// rows exactly as given (already padded and in stored order).
struct TBmpParts {
    std::uint32_t HeaderSize = 40;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint16_t BitsPerPixel = 24;
    std::uint32_t Compression = BI_RGB;
    std::vector<std::uint32_t> Palette = {};  // 0x00RRGGBB, stored as RGBQUAD
    std::array<std::uint32_t, 3> Masks = {0, 0, 0};
    Bytes Rows = {};
};

Bytes MakeBmp(const TBmpParts& p)
{
    const bool masksAfterHeader = p.Compression == BI_BITFIELDS && p.HeaderSize == 40;
    const std::size_t palette = 14 + p.HeaderSize + (masksAfterHeader ? 12 : 0);
    const std::size_t bits = palette + 4 * p.Palette.size();
    Bytes b(bits);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, static_cast<std::uint32_t>(bits + p.Rows.size()));
    PutU32(b, BitsOffsetField, static_cast<std::uint32_t>(bits));
    PutU32(b, HeaderSizeField, p.HeaderSize);
    PutU32(b, WidthField, static_cast<std::uint32_t>(p.Width));
    PutU32(b, HeightField, static_cast<std::uint32_t>(p.Height));
    b[26] = 1;  // planes
    b[28] = static_cast<std::uint8_t>(p.BitsPerPixel);
    PutU32(b, CompressionField, p.Compression);
    PutU32(b, ColoursUsedField, static_cast<std::uint32_t>(p.Palette.size()));
    if (p.Compression == BI_BITFIELDS)
        for (int i = 0; i < 3; ++i) PutU32(b, 54 + 4 * i, p.Masks[i]);
    for (std::size_t i = 0; i < p.Palette.size(); ++i) PutU32(b, palette + 4 * i, p.Palette[i]);
    b.insert(b.end(), p.Rows.begin(), p.Rows.end());
    return b;
}

void AppendU32(Bytes& rows, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) rows.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The same picture stored top-down: the rows of EncodeBmp24's bottom-up image
// in the opposite order, and the height negated.
Bytes EncodeBmp24TopDown(const TSkinBitmap& picture)
{
    const Bytes bottomUp = EncodeBmp24(picture);
    const std::size_t stride = (static_cast<std::size_t>(picture.Width) * 3 + 3) & ~std::size_t{3};
    Bytes out(bottomUp.begin(), bottomUp.begin() + 54);
    for (int row = picture.Height - 1; row >= 0; --row) {
        const auto first = bottomUp.begin() + 54 + static_cast<std::ptrdiff_t>(stride * row);
        out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(stride));
    }
    PutU32(out, HeightField, static_cast<std::uint32_t>(-picture.Height));
    return out;
}

// ------------------------------------------------------------ themes

const TSkinBitmap kButtonPicture = Pattern(3, 2, 0x00AA0000);

// One entry of each kind, and a string entry named like an integer item (placed
// first in the chain) that must be neither answered as that integer nor stop
// the entries after it.
Bytes FourKindsTheme()
{
    TThemeFileWriter w;
    w.AddString("FormMinWidthInt", "not a number");
    w.AddPicture("ButtonImage", EncodeBmp24(kButtonPicture));
    w.AddInteger("FormBorderColor", 255);
    w.AddInteger("TitleBarButtonRightOffsetInt", -2);
    w.AddBooleanByte("ButtonTransparentBool", 2);
    w.AddBoolean("TitleBarButtonTransparentBool", false);
    w.AddString("Author", "someone");
    return w.Build();
}

// What a second file of other values holds: only these two entries.
Bytes OtherTheme()
{
    TThemeFileWriter w;
    w.AddInteger("FormRoundCornerInt", 7);
    w.AddInteger("MenuBarColor", 0x00123456);
    return w.Build();
}

// The answers after loading FourKindsTheme, from the manager or the component.
template <class TSource>
void ExpectFourKindsAnswers(const TSource& source)
{
    EXPECT_EQ(static_cast<std::int32_t>(source.GetColor(I::FormBorderColor)), 255);
    EXPECT_EQ(source.GetInt(I::TitleBarButtonRightOffsetInt), -2);
    EXPECT_TRUE(source.GetBool(I::ButtonTransparentBool));  // stored byte 2
    EXPECT_FALSE(source.GetBool(I::TitleBarButtonTransparentBool));
    EXPECT_EQ(source.GetInt(I::FormMinWidthInt), -1);       // only a string has that name
    EXPECT_EQ(source.GetInt(I::FormRoundCornerInt), -1);    // missing
    EXPECT_EQ(static_cast<std::int32_t>(source.GetColor(I::MenuBarColor)), -1);
    EXPECT_FALSE(source.GetBool(I::ButtonImage));           // a picture is no boolean
    TBitmap picture(5, 5);
    source.GetPicture(I::ButtonImage, picture);
    ExpectPixels(picture, kButtonPicture);
}

// The answers after OtherTheme replaced FourKindsTheme: nothing of the first file.
template <class TSource>
void ExpectOtherAnswers(const TSource& source)
{
    EXPECT_EQ(source.GetInt(I::FormRoundCornerInt), 7);
    EXPECT_EQ(static_cast<std::int32_t>(source.GetColor(I::MenuBarColor)), 0x00123456);
    EXPECT_EQ(source.GetInt(I::TitleBarButtonRightOffsetInt), -1);
    EXPECT_EQ(static_cast<std::int32_t>(source.GetColor(I::FormBorderColor)), -1);
    EXPECT_FALSE(source.GetBool(I::ButtonTransparentBool));
    ExpectPictureLeftAlone(source, I::ButtonImage, 0x00010203);
}

// ------------------------------------------------------------ reader and manager

TEST(ThemeFileManager, LoadsAllFourEntryKinds)
{
    TTempFile file;
    file.Write(FourKindsTheme());

    const TsuiThemeFileReader reader(file.Path());
    EXPECT_EQ(reader.File().Entries().size(), 7u);
    const auto image = reader.FindPicture("buttonimage");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(Bytes(image->begin(), image->end()), EncodeBmp24(kButtonPicture));

    TsuiFileThemeMgr manager;
    ASSERT_TRUE(manager.Load(file.Path()));
    EXPECT_TRUE(manager.HasReader());
    ExpectFourKindsAnswers(manager);
}

// A chain that is only its terminator, and a file with no bytes at all, both
// load, and every lookup answers "missing".
TEST(ThemeFileManager, FilesWithoutEntriesAnswerMissing)
{
    TTempFile onlyTerminator, empty;
    onlyTerminator.Write(TThemeFileWriter().Build());
    empty.Write({});
    for (const TTempFile* file : {&onlyTerminator, &empty}) {
        SCOPED_TRACE(file == &empty ? "empty file" : "terminator only");
        EXPECT_TRUE(TsuiThemeFileReader(file->Path()).File().Entries().empty());
        TsuiFileThemeMgr manager;
        ASSERT_TRUE(manager.Load(file->Path()));
        EXPECT_EQ(manager.GetInt(I::FormMinWidthInt), -1);
        EXPECT_EQ(static_cast<std::int32_t>(manager.GetColor(I::FormBorderColor)), -1);
        EXPECT_FALSE(manager.GetBool(I::ButtonTransparentBool));
        ExpectPictureLeftAlone(manager, I::ButtonImage, 0x00404040);
    }
}

TEST(ThemeFileManager, FirstOfNamesDifferingInCaseWinsWhateverTheLookupCase)
{
    const TSkinBitmap first = Pattern(2, 2, 0x00110000), second = Pattern(3, 1, 0x00002200);
    TThemeFileWriter w;
    w.AddPicture("BUTTONimage", EncodeBmp24(first));
    w.AddPicture("ButtonImage", EncodeBmp24(second));  // the exact case the manager asks for
    w.AddInteger("formbordercolor", 1);
    w.AddInteger("FormBorderColor", 2);
    TTempFile file;
    file.Write(w.Build());

    TsuiFileThemeMgr manager;
    ASSERT_TRUE(manager.Load(file.Path()));
    TBitmap picture;
    manager.GetPicture(I::ButtonImage, picture);
    ExpectPixels(picture, first);
    EXPECT_EQ(manager.GetColor(I::FormBorderColor), 1);

    const TsuiThemeFileReader reader(file.Path());
    const Bytes firstImage = EncodeBmp24(first);
    for (const char* name : {"ButtonImage", "buttonimage", "BUTTONIMAGE", "BUTTONimage"}) {
        const auto image = reader.FindPicture(name);
        ASSERT_TRUE(image.has_value()) << name;
        EXPECT_EQ(Bytes(image->begin(), image->end()), firstImage) << name;
    }
}

// Without a file the manager answers 0 (not the -1 of a missing entry).
TEST(ThemeFileManager, WithoutAFileIntegersAndColoursAreZero)
{
    TsuiFileThemeMgr manager;
    EXPECT_FALSE(manager.HasReader());
    EXPECT_EQ(manager.GetInt(I::TitleBarButtonRightOffsetInt), 0);
    EXPECT_EQ(manager.GetColor(I::FormBorderColor), 0);
    EXPECT_FALSE(manager.GetBool(I::ButtonTransparentBool));
    ExpectPictureLeftAlone(manager, I::ButtonImage, 0x00505050);

    const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
    EXPECT_FALSE(theme->IsLoaded());
    EXPECT_EQ(theme->GetInt(I::TitleBarButtonRightOffsetInt), 0);
    EXPECT_EQ(theme->GetColor(I::FormBorderColor), 0u);
}

TEST(ThemeFileManager, MissingPathKeepsAnsweringFromTheOldFile)
{
    TTempFile file, missing;
    file.Write(FourKindsTheme());
    TsuiFileThemeMgr manager;
    ASSERT_TRUE(manager.Load(file.Path()));
    EXPECT_FALSE(manager.Load(missing.Path()));
    EXPECT_FALSE(manager.Load(TempFolder()));  // a folder is no theme file either
    EXPECT_TRUE(manager.HasReader());
    ExpectFourKindsAnswers(manager);
}

TEST(ThemeFileManager, SecondFileReplacesEveryAnswer)
{
    TTempFile first, second;
    first.Write(FourKindsTheme());
    second.Write(OtherTheme());
    TsuiFileThemeMgr manager;
    ASSERT_TRUE(manager.Load(first.Path()));
    ASSERT_TRUE(manager.Load(second.Path()));
    ExpectOtherAnswers(manager);
}

TEST(ThemeFileManager, GarbagePictureEntryLeavesTheTargetUnchanged)
{
    Bytes notABmp(200);
    for (std::size_t i = 0; i < notABmp.size(); ++i) notABmp[i] = static_cast<std::uint8_t>(i * 37 + 11);
    Bytes cutBmp = EncodeBmp24(Pattern(4, 4, 0));
    cutBmp.resize(cutBmp.size() - 1);
    TThemeFileWriter w;
    w.AddPicture("ButtonImage", notABmp);
    w.AddPicture("CheckBoxImage", cutBmp);
    w.AddPicture("RadioButtonImage", {});
    TTempFile file;
    file.Write(w.Build());

    const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
    theme->SetThemeFile(file.Path());
    ASSERT_TRUE(theme->IsLoaded());
    for (int item : {I::ButtonImage, I::CheckBoxImage, I::RadioButtonImage}) {
        SCOPED_TRACE(ThemeItemName(item));
        ExpectPictureLeftAlone(*theme, item, 0x00606060);
    }
}

// ------------------------------------------------------------ the theme component

TEST(ThemeFileComponent, AnswersLikeItsManager)
{
    TTempFile file;
    file.Write(FourKindsTheme());
    const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
    theme->SetThemeFile(file.Path());
    EXPECT_TRUE(theme->IsLoaded());
    EXPECT_EQ(theme->ThemeFile(), file.Path());
    ExpectFourKindsAnswers(*theme);
}

// The path is compared before anything is read: the same path again does not
// read the file again, even when the file has changed since.
TEST(ThemeFileComponent, SamePathTwiceLoadsOnce)
{
    TTempFile file;
    file.Write(FourKindsTheme());
    const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
    theme->SetThemeFile(file.Path());
    file.Write(OtherTheme());
    theme->SetThemeFile(file.Path());
    EXPECT_TRUE(theme->IsLoaded());
    ExpectFourKindsAnswers(*theme);
}

TEST(ThemeFileComponent, PathNamingNoFileChangesNothing)
{
    TTempFile file, missing;
    file.Write(FourKindsTheme());

    const TOwnedComponent<TsuiFileTheme> fresh(new TsuiFileTheme(nullptr));
    fresh->SetThemeFile(missing.Path());
    EXPECT_EQ(fresh->ThemeFile(), "");
    EXPECT_FALSE(fresh->IsLoaded());
    EXPECT_EQ(fresh->GetInt(I::TitleBarButtonRightOffsetInt), 0);

    const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
    theme->SetThemeFile(file.Path());
    theme->SetThemeFile(missing.Path());
    theme->SetThemeFile("");
    EXPECT_EQ(theme->ThemeFile(), file.Path());
    EXPECT_TRUE(theme->IsLoaded());
    ExpectFourKindsAnswers(*theme);
}

// A name that is nowhere else is looked up in the program's folder, whatever
// folder the path names; the current folder is moved away from the program's
// so that the bare name cannot be found there directly.
TEST(ThemeFileComponent, FileNameFoundInTheProgramFolderGivesItsFullPath)
{
    const std::string name = UniqueFileName();
    const TTempFile beside(ProgramFolder() + name);
    beside.Write(FourKindsTheme());
    const TCurrentFolder elsewhere(TempFolder());
    ASSERT_FALSE(ThemeFileExists(name));

    for (const std::string& path : {name, "C:\\no such folder\\" + name}) {
        SCOPED_TRACE(path);
        const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
        theme->SetThemeFile(path);
        EXPECT_TRUE(theme->IsLoaded());
        EXPECT_EQ(theme->ThemeFile(), beside.Path());
        EXPECT_NE(theme->ThemeFile().find('\\'), std::string::npos);
        ExpectFourKindsAnswers(*theme);
    }
}

// The manager has let its old reader go by the time the new file fails to
// open, so the theme counts as not loaded and answers as one without a file.
TEST(ThemeFileComponent, LockedFileThrowsAndLeavesTheThemeNotLoaded)
{
    TTempFile good, locked;
    good.Write(FourKindsTheme());
    locked.Write(OtherTheme());
    const TOwnedComponent<TsuiFileTheme> theme(new TsuiFileTheme(nullptr));
    theme->SetThemeFile(good.Path());
    ASSERT_TRUE(theme->IsLoaded());

    HANDLE lock = CreateFileA(locked.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(theme->SetThemeFile(locked.Path()), EStreamError);
    CloseHandle(lock);

    EXPECT_FALSE(theme->IsLoaded());
    EXPECT_EQ(theme->ThemeFile(), locked.Path());
    EXPECT_EQ(theme->GetInt(I::TitleBarButtonRightOffsetInt), 0);
    EXPECT_FALSE(theme->GetBool(I::ButtonTransparentBool));
    TsuiUIStyle effective = S::MacOS;
    EXPECT_FALSE(ResolveUIStyle(theme.get(), S::FromThemeFile, effective));
    EXPECT_EQ(effective, S::DeepBlue);

    // Once the file can be read, giving the same path again loads it.
    theme->SetThemeFile(locked.Path());
    EXPECT_TRUE(theme->IsLoaded());
    EXPECT_EQ(theme->GetInt(I::FormRoundCornerInt), 7);
}

// ------------------------------------------------------------ hand-over to the form's components

// A skinned component as the theme component sees it: its class name and its
// FileTheme, counting how often it is given a theme.
class TFakeSkinned : public TComponent, public ISkinnable {
public:
    TFakeSkinned(TComponent* owner, const char* className, TsuiFileTheme* theme)
        : TComponent(owner), className_(className), theme_(theme)
    {
    }
    const char* ClassName() const override { return className_; }
    TsuiUIStyle UIStyle() const override { return S::DeepBlue; }
    void SetUIStyle(TsuiUIStyle) override { ++styleCalls; }
    TsuiFileTheme* FileTheme() const override { return theme_; }
    void SetFileTheme(TsuiFileTheme* value) override
    {
        theme_ = value;
        ++themeCalls;
    }

    int themeCalls = 0;
    int styleCalls = 0;

private:
    const char* className_;
    TsuiFileTheme* theme_;  // not owned
};

// Named like a skinned control but publishing nothing.
class TPlainTsui : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TsuiPlain"; }
};

TEST(ThemeFileComponent, LoadGivesItselfAgainToTheFormsSkinnedComponentsUsingIt)
{
    TTempFile first, second, locked, missing;
    first.Write(FourKindsTheme());
    second.Write(OtherTheme());
    locked.Write(OtherTheme());

    const TOwnedComponent<TForm> form(new TForm(nullptr));
    auto* theme = new TsuiFileTheme(form.get());
    auto* otherTheme = new TsuiFileTheme(form.get());
    auto* mine = new TFakeSkinned(form.get(), "TsuiSomething", theme);
    auto* onOther = new TFakeSkinned(form.get(), "TsuiSomething", otherTheme);
    auto* onNone = new TFakeSkinned(form.get(), "TsuiSomething", nullptr);
    auto* notTsui = new TFakeSkinned(form.get(), "TSkinnedElsewhere", theme);
    new TPlainTsui(form.get());
    auto calls = [&] {
        return std::array<int, 4>{mine->themeCalls, onOther->themeCalls, onNone->themeCalls, notTsui->themeCalls};
    };

    theme->SetThemeFile(first.Path());
    EXPECT_EQ(calls(), (std::array<int, 4>{1, 0, 0, 0}));
    EXPECT_EQ(mine->FileTheme(), theme);
    EXPECT_EQ(mine->styleCalls, 0);

    theme->SetThemeFile(first.Path());    // the same path: nothing loaded
    theme->SetThemeFile(missing.Path());  // no file: nothing loaded
    EXPECT_EQ(calls(), (std::array<int, 4>{1, 0, 0, 0}));

    theme->SetThemeFile(second.Path());
    EXPECT_EQ(calls(), (std::array<int, 4>{2, 0, 0, 0}));

    HANDLE lock = CreateFileA(locked.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(theme->SetThemeFile(locked.Path()), EStreamError);
    CloseHandle(lock);
    EXPECT_EQ(calls(), (std::array<int, 4>{2, 0, 0, 0}));
}

// Only a form's components are handed the theme; under any other owner a load
// just loads.
TEST(ThemeFileComponent, OwnerThatIsNoFormGetsNothing)
{
    TTempFile file;
    file.Write(FourKindsTheme());
    const TOwnedComponent<TComponent> owner(new TComponent(nullptr));
    auto* theme = new TsuiFileTheme(owner.get());
    auto* skinned = new TFakeSkinned(owner.get(), "TsuiSomething", theme);
    theme->SetThemeFile(file.Path());
    EXPECT_TRUE(theme->IsLoaded());
    EXPECT_EQ(skinned->themeCalls, 0);
}

// ------------------------------------------------------------ style source

// One theme with its file loaded and one that never had a file.
struct TLoadedAndUnloaded {
    TTempFile file;
    TOwnedComponent<TsuiFileTheme> unloaded{new TsuiFileTheme(nullptr)};
    TOwnedComponent<TsuiFileTheme> loaded{new TsuiFileTheme(nullptr)};
    TLoadedAndUnloaded()
    {
        file.Write(FourKindsTheme());
        loaded->SetThemeFile(file.Path());
    }
};

TEST(ThemeFileStyle, FromThemeFileNeedsALoadedTheme)
{
    const TLoadedAndUnloaded themes;
    const auto& [file, unloaded, loaded] = themes;
    ASSERT_TRUE(loaded->IsLoaded());

    TsuiUIStyle effective = S::MacOS;
    EXPECT_TRUE(ResolveUIStyle(loaded.get(), S::FromThemeFile, effective));

    const TsuiFileTheme* unusable[] = {nullptr, unloaded.get()};
    for (const TsuiFileTheme* theme : unusable) {
        effective = S::MacOS;
        EXPECT_FALSE(ResolveUIStyle(theme, S::FromThemeFile, effective));
        EXPECT_EQ(effective, S::DeepBlue);
    }
}

class ThemeFileBuiltInStyle : public ::testing::TestWithParam<TsuiUIStyle> {};

TEST_P(ThemeFileBuiltInStyle, IsUsedAsItIsWhateverTheTheme)
{
    const TLoadedAndUnloaded pair;
    const auto& [file, unloaded, loaded] = pair;
    ASSERT_TRUE(loaded->IsLoaded());

    const TsuiFileTheme* themes[] = {nullptr, unloaded.get(), loaded.get()};
    for (const TsuiFileTheme* theme : themes) {
        TsuiUIStyle effective = S::FromThemeFile;
        EXPECT_FALSE(ResolveUIStyle(theme, GetParam(), effective));
        EXPECT_EQ(effective, GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, ThemeFileBuiltInStyle,
                         ::testing::Values(S::MacOS, S::WinXP, S::DeepBlue, S::Protein, S::BlueGlass));

// ------------------------------------------------------------ TBitmap::LoadFromStream

TEST(BmpLoad, TopDownAndBottomUpGiveTheSamePixels)
{
    const TSkinBitmap picture = Pattern(5, 3, 0x00203040);  // 15-byte rows: padding on every row
    TBitmap bottomUp(9, 9), topDown(1, 1);
    ASSERT_TRUE(bottomUp.LoadFromStream(EncodeBmp24(picture)));
    ASSERT_TRUE(topDown.LoadFromStream(EncodeBmp24TopDown(picture)));
    ExpectPixels(bottomUp, picture);
    ExpectPixels(topDown, picture);
    // The sections they had go on to later bitmaps whole: a new one of the
    // loaded size draws into pixels of its own.
    TBitmap later(5, 3);
    later.Canvas().Brush().SetColor(clNavy);
    later.Canvas().FillRect(RECT{0, 0, 5, 3});
    EXPECT_EQ(later.ScanLine(2)[4], 0x00000080u);
    ExpectPixels(bottomUp, picture);
}

TEST(BmpLoad, EightBitsTakeTheirColoursFromThePalette)
{
    // Rows bottom-up, 3 index bytes padded to 4; a colour table of 3 entries.
    const TBmpParts parts{.Width = 3, .Height = 2, .BitsPerPixel = 8,
                          .Palette = {0x00FF0000, 0x0000C000, 0x00123456},
                          .Rows = {2, 1, 0, 0, /* top row: */ 0, 1, 2, 0}};
    TBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromStream(MakeBmp(parts)));
    TSkinBitmap want(3, 2);
    want.Pixels = {0x00FF0000, 0x0000C000, 0x00123456, 0x00123456, 0x0000C000, 0x00FF0000};
    ExpectPixels(bitmap, want);
}

// Masks that put red in the low byte, the reverse of the plain 32-bit order:
// pixels come out right only if the masks are honoured.
TEST(BmpLoad, ThirtyTwoBitsFollowTheirBitFieldMasks)
{
    const std::array<std::uint32_t, 3> redLow = {0x000000FF, 0x0000FF00, 0x00FF0000};
    const TSkinBitmap want = Pattern(2, 2, 0x00102030);
    Bytes rows;  // top-down
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            const std::uint32_t c = want.At(x, y);
            AppendU32(rows, (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16);
        }
    for (std::uint32_t headerSize : {40u, 108u}) {
        SCOPED_TRACE(headerSize);
        TBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromStream(MakeBmp({.HeaderSize = headerSize, .Width = 2, .Height = -2,
                                                   .BitsPerPixel = 32, .Compression = BI_BITFIELDS,
                                                   .Masks = redLow, .Rows = rows})));
        ExpectPixels(bitmap, want);
    }
}

// GDI itself may refuse an image whose layout passes: Wine refuses bit-field
// masks that are all zero (measured: SetDIBits answers 0). A false answer must
// leave the picture as it was; the load once resized it to the image's size
// and blackened it first.
TEST(BmpLoad, ImageGdiRefusesLeavesTheBitmapAsItWas)
{
    for (std::uint16_t bitsPerPixel : {16, 32}) {
        SCOPED_TRACE(bitsPerPixel);
        const Bytes image = MakeBmp({.Width = 2, .Height = 1, .BitsPerPixel = bitsPerPixel,
                                     .Compression = BI_BITFIELDS, .Rows = Bytes(8, 0xFF)});
        const TSkinBitmap before = Pattern(3, 3, 0x00345678);
        TBitmap bitmap;
        Prefill(bitmap, before);
        if (bitmap.LoadFromStream(image)) {
            EXPECT_EQ(bitmap.Width(), 2);  // GDI took it after all: the new picture is there
            EXPECT_EQ(bitmap.Height(), 1);
        } else {
            ExpectPixels(bitmap, before);
        }
    }
}

struct TRefusedBmp {
    const char* Name;
    std::function<Bytes()> Make;
};

void PrintTo(const TRefusedBmp& c, std::ostream* os) { *os << c.Name; }

Bytes Valid24() { return EncodeBmp24(Pattern(4, 3, 0x00707070)); }

const TRefusedBmp kRefusedBmps[] = {
    {"Empty", [] { return Bytes(); }},
    {"TruncatedPixelData", [] { Bytes b = Valid24(); b.pop_back(); return b; }},
    {"OnlyTheHeaders", [] { Bytes b = Valid24(); b.resize(54); return b; }},
    {"BadSignature", [] { Bytes b = Valid24(); b[0] = 'M'; b[1] = 'B'; return b; }},
    {"ZeroWidth", [] { return Patched(Valid24(), WidthField, 0); }},
    {"ZeroHeight", [] { return Patched(Valid24(), HeightField, 0); }},
    {"HeightInt32Min", [] { return Patched(Valid24(), HeightField, 0x80000000u); }},
    {"AbsurdDimensions",
     [] { return Patched(Patched(Valid24(), WidthField, 0x7FFFFFFF), HeightField, 0x7FFFFFFF); }},
    {"MillionByMillion", [] { return Patched(Patched(Valid24(), WidthField, 1000000), HeightField, 1000000); }},
    {"PaletteLargerThanAllowed", [] {
         std::vector<std::uint32_t> palette(257, 0x00FFFFFF);
         return MakeBmp({.Width = 4, .Height = 1, .BitsPerPixel = 8, .Palette = palette, .Rows = Bytes(4, 1)});
     }},
    {"BitsOffsetPastTheEnd", [] {
         Bytes b = Valid24();
         return Patched(b, BitsOffsetField, static_cast<std::uint32_t>(b.size() + 1));
     }},
    {"BitsOffsetNearUint32Max", [] { return Patched(Valid24(), BitsOffsetField, 0xFFFFFFF0u); }},
    {"RunLengthCompressed", [] {
         return MakeBmp({.Width = 2, .Height = 1, .BitsPerPixel = 8, .Compression = BI_RLE8,
                         .Palette = {0, 0x00FFFFFF}, .Rows = {2, 1, 0, 1}});
     }},
    {"UnknownHeaderSize", [] { return Patched(Valid24(), HeaderSizeField, 41); }},
};

class BmpLoadRefused : public ::testing::TestWithParam<TRefusedBmp> {};

TEST_P(BmpLoadRefused, ReturnsFalseAndLeavesTheBitmapAsItWas)
{
    const TSkinBitmap before = Pattern(3, 2, 0x00ABCDEF);
    TBitmap bitmap;
    Prefill(bitmap, before);
    EXPECT_FALSE(bitmap.LoadFromStream(GetParam().Make()));
    ExpectPixels(bitmap, before);
}

INSTANTIATE_TEST_SUITE_P(Images, BmpLoadRefused, ::testing::ValuesIn(kRefusedBmps),
                         [](const auto& c) { return std::string(c.param.Name); });

}  // namespace
