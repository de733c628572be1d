// A small helper that the run script uses from outside the program: waits for a
// window, captures the screen, and asks a window to close.
//
//   vkprobe wait CLASS TIMEOUT_MS          exit 0 once a visible window of CLASS exists
//   vkprobe shot FILE.bmp                  writes the whole screen as a 24-bit BMP
//   vkprobe close CLASS TIMEOUT_MS         posts WM_CLOSE and waits until the window is gone
//   vkprobe rect CLASS                     prints the window's screen rectangle: left top right bottom
//   vkprobe hover X Y                      moves the cursor there, so the mouse hooks see it
//   vkprobe click X Y                      moves the cursor there and clicks the left button
//   vkprobe press CLASS TEXT               clicks the button or check box with that text in the window
//   vkprobe save-as FILE TIMEOUT_MS [TYPE] answers the next save dialog with FILE, with its
//                                          file type TYPE (from 1) chosen first when given
//   vkprobe post CLASS MSG WPARAM LPARAM   posts a message to the window of that class
//   vkprobe list                           prints every top-level window: class, visible, rect, process
//   vkprobe press-at CLASS X Y             moves the cursor to client point X,Y of the window and posts
//                                          it a left button press and release there
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

HWND FindVisible(const char* cls)
{
    HWND w = FindWindowA(cls, nullptr);
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

int Wait(const char* cls, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (FindVisible(cls)) return 0;
        Sleep(10);
    }
    std::fprintf(stderr, "vkprobe: no visible %s after %lu ms\n", cls, timeout);
    return 1;
}

int Shot(const char* path)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    int rc = 1;
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(&fh, sizeof(fh), 1, f);
        std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
        std::fwrite(bits, 1, size, f);
        rc = std::fclose(f) == 0 ? 0 : 1;
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return rc;
}

int Close(const char* cls, DWORD timeout)
{
    HWND w = FindWindowA(cls, nullptr);
    if (!w) return 0;
    PostMessageA(w, WM_CLOSE, 0, 0);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (!IsWindow(w)) return 0;
        Sleep(20);
    }
    return 1;
}

void Mouse(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof(in));
}

// SetCursorPos alone does not reach Wine's low-level hooks, and the move comes
// back from the X server later, sometimes as a late report of the old position.
// So: move, wait until the cursor is there, report once, let the late reports
// arrive, then report once more from where the cursor now surely is.
int Hover(int x, int y)
{
    SetCursorPos(x, y);
    const DWORD start = GetTickCount();
    POINT p{};
    while (GetCursorPos(&p) && (p.x != x || p.y != y) && GetTickCount() - start < 1000) Sleep(5);
    Mouse(MOUSEEVENTF_MOVE);
    Sleep(800);
    Mouse(MOUSEEVENTF_MOVE);
    return 0;
}

int Click(int x, int y)
{
    Hover(x, y);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    return 0;
}

int Rect(const char* cls)
{
    HWND w = FindVisible(cls);
    if (!w) return 1;
    RECT r;
    GetWindowRect(w, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

struct TTextSearch {
    const char* Text;
    HWND Found;
};

BOOL CALLBACK MatchText(HWND h, LPARAM lp)
{
    auto* s = reinterpret_cast<TTextSearch*>(lp);
    char text[256] = {};
    GetWindowTextA(h, text, sizeof(text));
    if (std::strcmp(text, s->Text) != 0) return TRUE;
    s->Found = h;
    return FALSE;
}

int Press(const char* cls, const char* text)
{
    HWND w = FindWindowA(cls, nullptr);
    if (!w) return 1;
    TTextSearch search{text, nullptr};
    EnumChildWindows(w, &MatchText, reinterpret_cast<LPARAM>(&search));
    if (!search.Found) return 1;
    PostMessageA(search.Found, BM_CLICK, 0, 0);
    return 0;
}

// The explorer-style dialog's file name box is control 0x47c (a ComboBoxEx32
// whose inner Edit carries the same id); the classic one's is 0x480.
// Picks the file type as a user does: the list's selection, then the
// notification the dialog takes it from.
void ChooseFileType(HWND dialog, int type)
{
    constexpr int kTypeList = 0x470;  // cmb1
    HWND list = GetDlgItem(dialog, kTypeList);
    if (!list) return;
    SendMessageA(list, CB_SETCURSEL, type - 1, 0);
    for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypeList, code), reinterpret_cast<LPARAM>(list));
}

int SaveAs(const char* file, DWORD timeout, int type)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        HWND dialog = FindVisible("#32770");
        if (dialog) {
            if (type > 0) ChooseFileType(dialog, type);
            HWND box = GetDlgItem(dialog, 0x47c);
            if (box) {
                HWND edit = FindWindowExA(box, nullptr, "ComboBox", nullptr);
                if (edit) edit = FindWindowExA(edit, nullptr, "Edit", nullptr);
                SendMessageA(edit ? edit : box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file));
            } else if ((box = GetDlgItem(dialog, 0x480))) {
                SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file));
            }
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(20);
    }
    std::fprintf(stderr, "vkprobe: no save dialog after %lu ms\n", timeout);
    return 1;
}

BOOL CALLBACK PrintWindow(HWND h, LPARAM)
{
    char cls[128] = {}, text[128] = {};
    GetClassNameA(h, cls, sizeof(cls));
    GetWindowTextA(h, text, sizeof(text));
    RECT r{};
    GetWindowRect(h, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    std::printf("%p %-28s %s %ld,%ld-%ld,%ld pid %lu \"%s\"\n", static_cast<void*>(h), cls,
                IsWindowVisible(h) ? "visible" : "hidden ", r.left, r.top, r.right, r.bottom, pid, text);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && !std::strcmp(argv[1], "wait")) return Wait(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc >= 3 && !std::strcmp(argv[1], "shot")) return Shot(argv[2]);
    if (argc >= 4 && !std::strcmp(argv[1], "close")) return Close(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc >= 3 && !std::strcmp(argv[1], "rect")) return Rect(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "list")) return EnumWindows(&PrintWindow, 0) ? 0 : 1;
    if (argc >= 5 && !std::strcmp(argv[1], "press-at")) {
        // Wine sometimes routes a real click over a window to the one beneath
        // it; posting the press to the window reaches its own handling.
        HWND w = FindVisible(argv[2]);
        if (!w) return 1;
        POINT p{std::atoi(argv[3]), std::atoi(argv[4])};
        POINT screen = p;
        ClientToScreen(w, &screen);
        Hover(screen.x, screen.y);
        const LPARAM at = MAKELPARAM(p.x, p.y);
        PostMessageA(w, WM_MOUSEMOVE, 0, at);
        PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(w, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (argc >= 4 && !std::strcmp(argv[1], "at")) {
        HWND w = WindowFromPoint(POINT{std::atoi(argv[2]), std::atoi(argv[3])});
        return PrintWindow(w, 0) ? 0 : 1;
    }
    if (argc >= 4 && !std::strcmp(argv[1], "watch")) {
        const DWORD start = GetTickCount(), span = std::strtoul(argv[3], nullptr, 10);
        int last = -1;
        while (GetTickCount() - start < span) {
            HWND w = FindWindowA(argv[2], nullptr);
            const int now = w && IsWindowVisible(w);
            if (now != last) std::printf("%5lu ms: %s\n", GetTickCount() - start, now ? "visible" : "hidden");
            last = now;
            Sleep(5);
        }
        return 0;
    }
    if (argc >= 6 && !std::strcmp(argv[1], "post")) {
        HWND w = FindWindowA(argv[2], nullptr);
        if (!w) return 1;
        return PostMessageA(w, std::strtoul(argv[3], nullptr, 0), std::strtoul(argv[4], nullptr, 0),
                            std::strtol(argv[5], nullptr, 0))
                   ? 0
                   : 1;
    }
    if (argc >= 4 && !std::strcmp(argv[1], "hover")) return Hover(std::atoi(argv[2]), std::atoi(argv[3]));
    if (argc >= 4 && !std::strcmp(argv[1], "click")) return Click(std::atoi(argv[2]), std::atoi(argv[3]));
    if (argc >= 4 && !std::strcmp(argv[1], "press")) return Press(argv[2], argv[3]);
    if (argc >= 4 && !std::strcmp(argv[1], "save-as"))
        return SaveAs(argv[2], std::strtoul(argv[3], nullptr, 10), argc >= 5 ? std::atoi(argv[4]) : 0);
    std::fprintf(stderr, "usage: vkprobe wait CLASS MS | shot FILE.bmp | close CLASS MS | rect CLASS |\n"
                         "               hover X Y | click X Y | press CLASS TEXT | save-as FILE MS [TYPE] |\n"
                         "               post CLASS MSG WPARAM LPARAM\n");
    return 2;
}
