#pragma once
// Move-only owners for every kind of Windows handle the program creates, and a
// count of live handles per kind. GetGuiResources is a stub under Wine, so leak
// checks read these counters instead.
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include <atomic>
#include <utility>

enum class THandleKind { Bitmap, Font, Brush, Pen, Region, DC, Menu, ImageList, Icon, Window, Internet, File, Count };

// Live handles of one kind that are held by our wrappers right now.
int LiveHandles(THandleKind kind);
int LiveHandlesTotal();
void CountHandle(THandleKind kind, int delta);

// Owner of one handle; Traits::Close frees it.
template <class Traits>
class TUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    TUniqueHandle() = default;
    explicit TUniqueHandle(Handle h) : h_(h) { Track(+1); }
    TUniqueHandle(TUniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Handle{})) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Handle{});
        }
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    ~TUniqueHandle() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return Traits::Valid(h_); }

    void reset(Handle h = Handle{})
    {
        if (Traits::Valid(h_)) {
            Traits::Close(h_);
            Track(-1);
        }
        h_ = h;
        Track(+1);
    }

    // Hands the handle to whoever frees it now (a region given to SetWindowRgn).
    Handle release()
    {
        if (Traits::Valid(h_))
            CountHandle(Traits::Kind, -1);
        return std::exchange(h_, Handle{});
    }

private:
    void Track(int delta)
    {
        if (Traits::Valid(h_))
            CountHandle(Traits::Kind, delta);
    }

    Handle h_{};
};

template <class H, THandleKind K>
struct TGdiTraits {
    using Handle = H;
    static constexpr THandleKind Kind = K;
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { DeleteObject(h); }
};

using TBitmapHandle = TUniqueHandle<TGdiTraits<HBITMAP, THandleKind::Bitmap>>;
using TFontHandle = TUniqueHandle<TGdiTraits<HFONT, THandleKind::Font>>;
using TBrushHandle = TUniqueHandle<TGdiTraits<HBRUSH, THandleKind::Brush>>;
using TPenHandle = TUniqueHandle<TGdiTraits<HPEN, THandleKind::Pen>>;
using TRegionHandle = TUniqueHandle<TGdiTraits<HRGN, THandleKind::Region>>;

// Handles that are null when empty and are freed by one user32 or comctl32 call.
template <class H, THandleKind K, auto CloseFn>
struct TNullableTraits {
    using Handle = H;
    static constexpr THandleKind Kind = K;
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { CloseFn(h); }
};
using TMenuHandle = TUniqueHandle<TNullableTraits<HMENU, THandleKind::Menu, &DestroyMenu>>;
using TImageListHandle = TUniqueHandle<TNullableTraits<HIMAGELIST, THandleKind::ImageList, &ImageList_Destroy>>;
using TIconHandle = TUniqueHandle<TNullableTraits<HICON, THandleKind::Icon, &DestroyIcon>>;

struct TKernelTraits {
    using Handle = HANDLE;
    static constexpr THandleKind Kind = THandleKind::File;
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using TKernelHandle = TUniqueHandle<TKernelTraits>;

// A memory device context compatible with the screen (or with another DC).
class TMemoryDC {
public:
    explicit TMemoryDC(HDC compatible = nullptr);
    ~TMemoryDC();
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// GetDC / ReleaseDC for a window (null: the screen).
class TWindowDC {
public:
    explicit TWindowDC(HWND wnd);
    ~TWindowDC();
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class TPaintDC {
public:
    explicit TPaintDC(HWND wnd);
    ~TPaintDC();
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC get() const { return ps_.hdc; }
    const RECT& PaintRect() const { return ps_.rcPaint; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
};

// Selects an object into a DC and puts the previous one back on destruction.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~TSelectObject() { SelectObject(dc_, old_); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;       // not owned
    HGDIOBJ old_;  // not owned
};

// Owner of one COM interface reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(const ComPtr& other) : p_(other.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { if (p_) p_->Release(); }

    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* p) { ComPtr c; c.p_ = p; return c; }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Releases what is held and returns the slot for an out-parameter.
    T** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() { if (p_) std::exchange(p_, nullptr)->Release(); }

    template <class U>
    HRESULT As(ComPtr<U>& out) const
    {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.put_void());
    }

private:
    T* p_ = nullptr;
};
