// The demo page: on Linux, Wine has no browser engine and no Flash player, so
// this program stands in for a browser window showing a page with a movie. It
// serves the test fixture's page objects to other processes through the same
// Active Accessibility route a browser answers, and paints itself like a page.
//
//   DemoPage PAGE_URL MOVIE_PATH [--frame FRAME_URL FRAME_MOVIE_PATH] [--more N]
//            [--base HREF] [--flashvars VARS] [--prime-cache URL FILE]... [--seconds N]
//
// --frame adds an IFRAME showing a document of its own with a second movie.
// --more N adds N further movies (EMBED markup only) to the page and to the
// IFRAME's document, for the benchmark of a walk across processes.
// --flashvars gives the movie's OBJECT (and the EMBED inside it) a FlashVars
// PARAM, its markup written as the browser writes an OBJECT's outer HTML.
// --prime-cache (any number of times) puts FILE into the URL cache under
// MOVIE_URL first, as a browser that showed the page would have; an entry no
// element names stands for a movie the page's movie loaded at run time. The page ends after N seconds
// (default 600) or when its window closes.
#include "FakePage.h"

#include <ole2.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr RECT kPageRect{40, 40, 700, 520};     // the content window on the screen
constexpr RECT kMovieRect{150, 90, 550, 390};   // the movie, in the content window
constexpr RECT kFrameRect{570, 90, 650, 390};   // the IFRAME beside it
constexpr UINT_PTR kLifeTimer = 1;

WNDPROC g_contentProc = nullptr;
WNDPROC g_movieProc = nullptr;

void Text(HDC dc, int x, int y, const char* text, int height, COLORREF color, bool bold = false)
{
    HFONT font = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0,
                             "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    SelectObject(dc, old);
    DeleteObject(font);
}

void Fill(HDC dc, RECT r, COLORREF color)
{
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void PaintPage(HWND wnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    Fill(dc, r, RGB(250, 250, 246));
    Fill(dc, RECT{0, 0, r.right, 56}, RGB(52, 101, 164));
    Text(dc, 20, 14, "Vendrake 演示页面", 26, RGB(255, 255, 255), true);
    Text(dc, 150, 410, "把鼠标移到上面的Flash动画上，会出现保存工具条。", 16, RGB(60, 60, 60));
    Text(dc, 150, 432, "Move the cursor onto the movie above: the grab toolbar appears.", 14, RGB(110, 110, 110));
    Fill(dc, kFrameRect, RGB(220, 226, 236));
    Text(dc, kFrameRect.left + 8, kFrameRect.top + 8, "IFRAME", 14, RGB(52, 101, 164), true);
    EndPaint(wnd, &ps);
}

void PaintMovie(HWND wnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    TRIVERTEX v[2] = {{0, 0, 0x3300, 0x6600, 0xCC00, 0}, {r.right, r.bottom, 0x1000, 0x2000, 0x5000, 0}};
    GRADIENT_RECT g{0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
    POINT play[3] = {{r.right / 2 - 30, r.bottom / 2 - 40}, {r.right / 2 - 30, r.bottom / 2 + 40},
                     {r.right / 2 + 45, r.bottom / 2}};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HGDIOBJ oldBrush = SelectObject(dc, white);
    Polygon(dc, play, 3);
    SelectObject(dc, oldBrush);
    DeleteObject(white);
    Text(dc, 12, r.bottom - 30, "sample.swf", 18, RGB(255, 255, 255), true);
    EndPaint(wnd, &ps);
}

LRESULT CALLBACK ContentProc(HWND wnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_PAINT) { PaintPage(wnd); return 0; }
    if (msg == WM_ERASEBKGND) return 1;
    return CallWindowProcA(g_contentProc, wnd, msg, w, l);
}

LRESULT CALLBACK MovieProc(HWND wnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_PAINT) { PaintMovie(wnd); return 0; }
    if (msg == WM_ERASEBKGND) return 1;
    return CallWindowProcA(g_movieProc, wnd, msg, w, l);
}

// The type library in our resources, registered in the prefix so COM can
// marshal the movie's interface to the program.
bool RegisterFlashTypeLibrary()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    ITypeLib* lib = nullptr;
    const HRESULT hr = LoadTypeLibEx(path, REGKIND_REGISTER, &lib);
    if (lib) lib->Release();
    return SUCCEEDED(hr);
}

// The type a server gives a file of the demo, by its extension.
const char* DemoContentType(const std::string& file)
{
    static const std::pair<const char*, const char*> types[] = {
        {".xml", "text/xml"}, {".txt", "text/plain"}, {".png", "image/png"}, {".flv", "video/x-flv"}};
    for (const auto& [ext, type] : types)
        if (file.size() > std::strlen(ext) && !_stricmp(file.c_str() + file.size() - std::strlen(ext), ext))
            return type;
    return "application/x-shockwave-flash";
}

bool PrimeCache(const std::string& url, const std::string& file)
{
    char local[MAX_PATH] = {};
    const size_t dot = file.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "bin" : file.substr(dot + 1);
    if (!CreateUrlCacheEntryA(url.c_str(), 0, ext.c_str(), local, 0)) return false;
    if (!CopyFileA(file.c_str(), local, FALSE)) return false;
    const std::string headers =
        std::string("HTTP/1.0 200 OK\r\nContent-Type: ") + DemoContentType(file) + "\r\n\r\n";
    FILETIME zero{};
    // Succeeds with a stale last error under Wine: only the result counts.
    return CommitUrlCacheEntryA(url.c_str(), local, zero, zero, NORMAL_CACHE_ENTRY,
                                reinterpret_cast<LPBYTE>(const_cast<char*>(headers.data())),
                                static_cast<DWORD>(headers.size()),
                                nullptr, nullptr) != FALSE;
}

std::wstring Wide(const char* s)
{
    std::wstring w;
    for (; *s; ++s) w += static_cast<wchar_t>(static_cast<unsigned char>(*s));
    return w;
}

// An OBJECT as the browser gives its outer HTML, with the EMBED for other browsers inside.
std::wstring ObjectMarkup(const std::wstring& movie, const std::wstring& flashVars)
{
    return L"<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" width=\"400\" height=\"300\">"
           L"<PARAM NAME=\"movie\" VALUE=\"" + movie + L"\"><PARAM NAME=\"quality\" VALUE=\"high\">"
           L"<PARAM NAME=\"FlashVars\" VALUE=\"" + flashVars + L"\"><PARAM NAME=\"wmode\" VALUE=\"opaque\">"
           L"<EMBED src=\"" + movie + L"\" quality=high flashvars=\"" + flashVars +
           L"\" width=\"400\" height=\"300\" type=\"application/x-shockwave-flash\"></EMBED></OBJECT>";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: DemoPage PAGE_URL MOVIE_PATH [--frame FRAME_URL FRAME_MOVIE_PATH] "
                             "[--base HREF] [--flashvars VARS] [--prime-cache URL FILE]... [--seconds N]\n");
        return 2;
    }
    int seconds = 600;
    std::vector<std::pair<std::string, std::string>> primes;  // URL, file
    std::string frameUrl, frameMovie, base, flashVars;
    int more = 0;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--prime-cache") && i + 2 < argc) {
            primes.emplace_back(argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (!std::strcmp(argv[i], "--more") && i + 1 < argc) {
            more = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--frame") && i + 2 < argc) {
            frameUrl = argv[++i];
            frameMovie = argv[++i];
        } else if (!std::strcmp(argv[i], "--base") && i + 1 < argc) {
            base = argv[++i];
        } else if (!std::strcmp(argv[i], "--flashvars") && i + 1 < argc) {
            flashVars = argv[++i];
        } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        }
    }
    OleInitialize(nullptr);
    if (!RegisterFlashTypeLibrary()) std::fprintf(stderr, "DemoPage: could not register the type library\n");
    for (const auto& [url, file] : primes) {
        const bool primed = PrimeCache(url, file);
        std::printf("DemoPage: cache entry for %s %s\n", url.c_str(), primed ? "written" : "FAILED");
    }
    int rc = 0;
    {
        TFakePageOptions options;
        options.screen = kPageRect;
        TFakePage page(options);
        page.SetUrl(Wide(argv[1]));
        if (!base.empty()) page.AddBase(Wide(base.c_str()));  // as a site builder's pages have one
        const std::wstring markup = flashVars.empty() ? std::wstring() : ObjectMarkup(Wide(argv[2]), Wide(flashVars.c_str()));
        TFakeItem movie = page.AddFlash(kMovieRect, Wide(argv[2]), true, L"OBJECT", markup);
        if (!frameUrl.empty()) {
            const TFakeDocId inner = page.AddFrameDocument(Wide(frameUrl.c_str()));
            page.AddFrame(kFrameRect, L"IFRAME", Wide(frameUrl.c_str()), inner);
            page.BuildIn(inner);
            page.AddFlash(RECT{0, 0, 80, 300}, Wide(frameMovie.c_str()), false);
            page.BuildIn(0);
        }
        for (int i = 0; i < more; ++i) {
            page.BuildIn(!frameUrl.empty() && i % 2 ? 1 : 0);
            page.AddEmbed(RECT{0, 0, 0, 0}, {{L"src", L"more/m" + std::to_wstring(i) + L".swf"}});
        }
        page.BuildIn(0);
        page.AddElement(RECT{0, 0, 10000, 10000}, L"BODY", L"<body>...</body>");
        g_contentProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(page.ContentWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ContentProc)));
        g_movieProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(movie.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MovieProc)));
        SetWindowTextW(page.TopWindow(), L"Vendrake \u6f14\u793a\u9875\u9762 (demo page)");
        InvalidateRect(page.TopWindow(), nullptr, TRUE);
        SetTimer(nullptr, kLifeTimer, static_cast<UINT>(seconds) * 1000, nullptr);
        std::printf("DemoPage: page %s, movie %s, window %p\n", argv[1], argv[2],
                    static_cast<void*>(page.ContentWindow()));
        std::fflush(stdout);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
            if (!IsWindow(page.TopWindow())) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        SetWindowLongPtrA(movie.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_movieProc));
        SetWindowLongPtrA(page.ContentWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_contentProc));
    }
    OleUninitialize();
    return rc;
}
