// Winsock 2 before <windows.h>, which the header brings.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "FetchTestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <shellapi.h>

int ServerPort()
{
    const char* text = std::getenv("VENDRAKE_HTTP_PORT");
    return text ? std::atoi(text) : 0;
}

std::string ServerUrl(const std::string& path) { return "http://127.0.0.1:" + std::to_string(ServerPort()) + path; }

namespace {
struct TWinsock {
    TWinsock()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~TWinsock() { WSACleanup(); }
};
}  // namespace

std::string ServerGet(const std::string& path)
{
    static TWinsock winsock;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return {};
    DWORD timeout = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(ServerPort()));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string response;
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        send(s, request.data(), static_cast<int>(request.size()), 0);
        char chunk[4096];
        for (int n; (n = recv(s, chunk, sizeof(chunk), 0)) > 0;) response.append(chunk, static_cast<size_t>(n));
    }
    closesocket(s);
    const size_t body = response.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : response.substr(body + 4);
}

int ServerStat(const std::string& key, const std::string& name)
{
    const std::string stats = " " + ServerGet("/stats/" + key);
    const size_t at = stats.find(" " + name + "=");
    return at == std::string::npos ? -1 : std::atoi(stats.c_str() + at + name.size() + 2);
}

std::string GeneratedBody(size_t length)
{
    // Mirrors body_byte() of the server: 5000 letters, then a zero every 256 bytes.
    std::string s(length, '\0');
    for (size_t i = 0; i < length; ++i)
        s[i] = static_cast<char>(i < 5000 ? 'a' + i % 26 : (i * 31 + 7) & 0xFF);
    return s;
}

TScratchDir::TScratchDir()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + UniqueKey("vkfetch") + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
}

TScratchDir::~TScratchDir()
{
    // SHFileOperation wants a list ending in two zeros.
    std::string from = path_.substr(0, path_.size() - 1);
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

bool FileExists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

static std::string ReadAndClose(HANDLE f)
{
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    while (ReadFile(f, chunk, sizeof(chunk), &n, nullptr) && n > 0) bytes.append(chunk, n);
    CloseHandle(f);
    return bytes;
}

std::string ReadWholeFile(const std::string& name)
{
    HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    return ReadAndClose(f);
}

std::string ReadWholeFile(const std::wstring& name)
{
    return ReadAndClose(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

void WriteWholeFile(const std::string& name, const std::string& bytes)
{
    HANDLE f = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << name;
    DWORD n = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(f);
}

std::string UniqueKey(const char* prefix)
{
    static int counter = 0;
    return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++counter);
}

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

bool WorkerEndsByTimeout() { return RunningUnderWine(); }

void ExpectPromptEndAfterStop(DWORD elapsedMs)
{
    if (WorkerEndsByTimeout()) {
        EXPECT_GE(elapsedMs, 9000u) << "Wine now cancels a pending call when its handle is closed: "
                                       "expect the prompt end here, as on Windows";
        EXPECT_LT(elapsedMs, 13000u) << "the stopped worker outlived its 10 s time-out";
    } else {
        EXPECT_LT(elapsedMs, 3000u);
    }
}
