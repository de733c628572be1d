#include "SUIThemeFile.h"

#include "UIStyle.h"

#include <algorithm>
#include <vector>

namespace {

// Reads the whole file. Theme offsets are 32-bit, so nothing past 4 GiB can be
// reached from the header: a longer file is read only that far.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName)
{
    TKernelHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EFOpenError("Cannot open file \"" + fileName + "\"");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) throw EReadError("Cannot read file \"" + fileName + "\"");
    constexpr long long kReachable = 0xFFFFFFFFLL;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min(size.QuadPart, kReachable)));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr))
            throw EReadError("Cannot read file \"" + fileName + "\"");
        if (got == 0) break;  // the file became shorter while we read it
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace

bool ThemeFileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ------------------------------------------------------------ TsuiThemeFileReader

TsuiThemeFileReader::TsuiThemeFileReader(const std::string& fileName) : file_(ReadWholeFile(fileName)) {}

std::optional<std::span<const std::uint8_t>> TsuiThemeFileReader::FindPicture(std::string_view name) const
{
    return file_.FindPicture(name);
}

// ------------------------------------------------------------ TsuiFileThemeMgr

bool TsuiFileThemeMgr::Load(const std::string& path)
{
    if (!ThemeFileExists(path)) return false;
    reader_.reset();
    reader_ = std::make_unique<TsuiThemeFileReader>(path);
    return true;
}

void TsuiFileThemeMgr::GetPicture(int item, TBitmap& target) const
{
    if (!reader_) return;
    if (const auto image = reader_->FindPicture(ThemeItemName(item))) target.LoadFromStream(*image);
}

bool TsuiFileThemeMgr::GetBool(int item) const
{
    return reader_ && reader_->GetBoolean(ThemeItemName(item));
}

// Colours are stored as integer entries.
std::int32_t TsuiFileThemeMgr::GetColor(int item) const { return GetInt(item); }

std::int32_t TsuiFileThemeMgr::GetInt(int item) const
{
    return reader_ ? reader_->GetInteger(ThemeItemName(item)) : 0;
}
