// What the shipped files carry for Windows: both files' version resource, in
// Simplified Chinese with the build's version, and the program's manifest.
#undef _WIN32_WINNT  // activation contexts came with Windows XP; only this test reads them
#define _WIN32_WINNT 0x0601
#include <windows.h>

#include "Product.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Sibling(const std::string& name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L"\\/") + 1) + std::wstring(name.begin(), name.end());
}

// A code-page-936 text as the resource must hold it.
std::wstring FromGB(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

struct TProgramFile {
    std::string Name;
    DWORD FileType;
    std::string Description;  // code page 936
};

class ProgramFile : public ::testing::TestWithParam<TProgramFile> {};

TEST_P(ProgramFile, CarriesTheBuildsVersionInSimplifiedChinese)
{
    const std::wstring path = Sibling(GetParam().Name);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << "no version resource";
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    void* value = nullptr;
    UINT length = 0;
    auto text = [&](const wchar_t* name) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        return VerQueryValueW(info.data(), key.c_str(), &value, &length) ? static_cast<wchar_t*>(value)
                                                                            : std::wstring(L"(missing)");
    };

    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(VENDRAKE_VERSION_MINOR, VENDRAKE_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, VENDRAKE_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwFileType, GetParam().FileType);
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0804);  // Simplified Chinese
    EXPECT_EQ(static_cast<WORD*>(value)[1], 1200);    // UTF-16

    EXPECT_EQ(text(L"FileVersion"), FromGB(VENDRAKE_VERSION_TEXT));
    EXPECT_EQ(text(L"ProductName"), FromGB(ProductName));
    EXPECT_EQ(text(L"CompanyName"), FromGB(MakerName));
    EXPECT_EQ(text(L"FileDescription"), FromGB(GetParam().Description));
    EXPECT_EQ(text(L"LegalCopyright"), FromGB(std::string("版权所有 (C) ") + MakerName));
}

INSTANTIATE_TEST_SUITE_P(Shipped, ProgramFile,
                         ::testing::Values(TProgramFile{"Vendrake.exe", VFT_APP, "网页Flash动画抓取工具"},
                                           TProgramFile{"Zelpo.dll", VFT_DLL, "Vendrake 鼠标钩子库"}),
                         [](const auto& p) { return p.param.FileType == VFT_APP ? "Program" : "Library"; });

// Windows reads the manifest when the program starts, and one it cannot parse
// stops the start. Activating it here takes the same route; inside it the
// common controls must come from their version 6 assembly.
TEST(ProgramManifest, ActivatesCommonControlsSixForTheUsersOwnRights)
{
    const std::wstring path = Sibling("Vendrake.exe");
    HMODULE data = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);
    HRSRC found = FindResourceW(data, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest resource";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(data, found))),
                               SizeofResource(data, found));
    FreeLibrary(data);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"" VENDRAKE_VERSION_TEXT ".0\""), std::string::npos);
    for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(os), std::string::npos) << "supported system " << os;

    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE activation = CreateActCtxW(&context);
    ASSERT_NE(activation, INVALID_HANDLE_VALUE) << "the manifest does not parse, error " << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(activation, &cookie));
    // The folder is the sign: Wine's copy answers DllGetVersion with 5 all the same.
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(controls, loaded, MAX_PATH);
    CharLowerW(loaded);
    EXPECT_NE(std::wstring(loaded).find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos);
    FreeLibrary(controls);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(activation);
}

}  // namespace
