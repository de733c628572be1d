#pragma once
// One URL split into its parts by WinInet, with the name of the local file it
// is to be downloaded into. The parts live in seven buffers owned here that
// only ever grow, so the pointers in Components() stay valid until a longer
// URL makes them grow or the object dies. The download thread reads the parts
// for the whole of its download, so the object must outlive it.
#include "Classes.h"

#include <windows.h>
#include <wininet.h>

#include <array>
#include <memory>
#include <string>

class TCrackUrl : public TObject {
public:
    TCrackUrl();
    const char* ClassName() const override { return "TCrackUrl"; }

    // Splits url (escapes decoded) and remembers fileName as the download's
    // target (UTF-16: the name the user typed, whatever it holds); returns Valid(). When the split fails, the derived parts
    // (NormalizedPath, HostDomain, LocalFileName) keep their previous values.
    bool Crack(const std::string& url, const std::wstring& fileName);

    // The URL last given to Crack.
    std::string Url() const;
    bool Valid() const { return valid_; }
    const std::wstring& LocalFileName() const { return localFileName_; }
    const std::string& HostDomain() const { return hostDomain_; }
    const std::string& NormalizedPath() const { return normalizedPath_; }

    const URL_COMPONENTSA& Components() const { return components_; }
    const char* Scheme() const { return Part(components_.lpszScheme); }
    const char* HostName() const { return Part(components_.lpszHostName); }
    INTERNET_PORT Port() const { return components_.nPort; }
    const char* UserName() const { return Part(components_.lpszUserName); }
    const char* Password() const { return Part(components_.lpszPassword); }
    const char* UrlPath() const { return Part(components_.lpszUrlPath); }
    const char* ExtraInfo() const { return Part(components_.lpszExtraInfo); }

    // Bytes in each buffer: 1024 at first, then the longest URL plus one.
    int Capacity() const { return capacity_; }
    // The length offered to WinInet for every part.
    int ComponentLimit() const { return componentLimit_; }

private:
    enum { UrlBuf, SchemeBuf, HostBuf, UserBuf, PasswordBuf, PathBuf, ExtraBuf, BufferCount };

    static const char* Part(const char* p) { return p ? p : ""; }
    void EnsureBuffers(size_t length);
    void Allocate();

    std::array<std::unique_ptr<char[]>, BufferCount> buffers_;
    std::wstring localFileName_;
    int componentLimit_ = 1024;
    int capacity_ = 1024;
    URL_COMPONENTSA components_{};
    std::string hostDomain_;
    std::string normalizedPath_;
    bool valid_ = false;
};
