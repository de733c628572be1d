#pragma once
// Helpers of the retrieval tests: the loopback server's port and a plain
// client for its statistics, a scratch folder, file reading, and the bytes the
// server generates.
#include <windows.h>

#include <cstdint>
#include <string>

// The port of tests/fixtures/http_server.py from VENDRAKE_HTTP_PORT, or 0.
int ServerPort();

// Skips the calling test loudly when the server's port is not known.
#define REQUIRE_HTTP_SERVER()                                                                           \
    do {                                                                                                \
        if (ServerPort() == 0)                                                                          \
            GTEST_SKIP() << "*** VENDRAKE_HTTP_PORT is not set: start tests/fixtures/http_server.py " \
                            "and export its port to run the download tests ***";                       \
    } while (0)

// "http://127.0.0.1:<port><path>"
std::string ServerUrl(const std::string& path);

// The body of a GET of path, read over a plain socket (not WinInet).
std::string ServerGet(const std::string& path);

// One counter out of /stats/<key>: requests, auth, good, proxy, proxygood.
int ServerStat(const std::string& key, const std::string& name);

// The bytes of the server's generated bodies, from offset 0.
std::string GeneratedBody(size_t length);

// A fresh folder under the temporary folder, removed with its files.
class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    // The folder with a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

bool FileExists(const std::string& name);
// The whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& name);
std::string ReadWholeFile(const std::wstring& name);
void WriteWholeFile(const std::string& name, const std::string& bytes);

bool RunningUnderWine();

// How long a stopped worker may take to end. Closing a request's handle from
// another thread cancels a pending WinInet call on Windows; Wine lets the call
// run on until its time-out (a known Wine gap: once Wine cancels, the checks
// built on WorkerEndsByTimeout() fail and want the prompt end instead).
bool WorkerEndsByTimeout();
void ExpectPromptEndAfterStop(DWORD elapsedMs);

// A word that is new on every call, for server statistics keys and file names.
std::string UniqueKey(const char* prefix);
