#include "ThCrkUrl.h"

#include "ThTools.h"

#include <cstring>

TCrackUrl::TCrackUrl() = default;

void TCrackUrl::EnsureBuffers(size_t length)
{
    if (length + 1 > static_cast<size_t>(capacity_)) {
        capacity_ = static_cast<int>(length + 1);
        Allocate();
    } else if (!buffers_[UrlBuf]) {
        Allocate();
    }
}

void TCrackUrl::Allocate()
{
    // The new blocks are taken before the old ones go, so every part pointer
    // handed out earlier visibly changes.
    std::array<std::unique_ptr<char[]>, BufferCount> fresh;
    for (auto& b : fresh) b = std::make_unique<char[]>(static_cast<size_t>(capacity_));
    buffers_.swap(fresh);
    components_ = URL_COMPONENTSA{};
}

bool TCrackUrl::Crack(const std::string& url, const std::wstring& fileName)
{
    EnsureBuffers(url.size());
    std::memcpy(buffers_[UrlBuf].get(), url.c_str(), url.size() + 1);

    // The record's own size (60 bytes on 32-bit Windows, more with 64-bit pointers).
    components_ = URL_COMPONENTSA{};
    components_.dwStructSize = sizeof(URL_COMPONENTSA);
    const auto limit = static_cast<DWORD>(componentLimit_);
    components_.lpszScheme = buffers_[SchemeBuf].get();
    components_.dwSchemeLength = limit;
    components_.lpszHostName = buffers_[HostBuf].get();
    components_.dwHostNameLength = limit;
    components_.lpszUserName = buffers_[UserBuf].get();
    components_.dwUserNameLength = limit;
    components_.lpszPassword = buffers_[PasswordBuf].get();
    components_.dwPasswordLength = limit;
    components_.lpszUrlPath = buffers_[PathBuf].get();
    components_.dwUrlPathLength = limit;
    components_.lpszExtraInfo = buffers_[ExtraBuf].get();
    components_.dwExtraInfoLength = limit;
    for (int i = SchemeBuf; i < BufferCount; ++i) buffers_[i][0] = '\0';

    const char* text = buffers_[UrlBuf].get();
    valid_ = InternetCrackUrlA(text, static_cast<DWORD>(std::strlen(text)), ICU_DECODE | ICU_ESCAPE,
                               &components_) != FALSE;
    if (!valid_) return false;

    normalizedPath_ = NormalizeUrlPath(UrlPath());
    hostDomain_ = HostDomainOf(HostName(), hostDomain_);
    localFileName_ = fileName;
    return valid_;
}

std::string TCrackUrl::Url() const { return buffers_[UrlBuf] ? std::string(buffers_[UrlBuf].get()) : std::string(); }
