// The fake page and browser driven the way the program drives them: the
// WM_HTML_GETOBJECT request, ObjectFromLresult loaded at run time, get_Script,
// the script window's document, elementFromPoint and the element's properties.
#include "FakeBrowser.h"
#include "FakeCom.h"
#include "FakePage.h"
#include "FlashControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TObjectFromLresult = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);

constexpr DWORD kTimeOutMs = 1000;

class TBstr {
public:
    TBstr() = default;
    ~TBstr() { SysFreeString(s_); }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;
    BSTR* put()
    {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    bool null() const { return s_ == nullptr; }
    std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};

struct TVariant {
    TVariant() { VariantInit(&v); }
    ~TVariant() { VariantClear(&v); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    VARIANT v;
};

class TLibrary {
public:
    explicit TLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~TLibrary() { if (module_) FreeLibrary(module_); }
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;
    // FARPROC has no parameters; going through void* keeps -Wcast-function-type quiet.
    template <class F>
    F Proc(const char* name) const
    {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_;
};

class FixtureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override
    {
        CoUninitialize();
        EXPECT_EQ(FakeComObjectsAlive(), 0) << "a fixture object outlived its page";
    }

    // The request as the program sends it; false when it timed out or failed.
    static bool RequestDocument(HWND content, DWORD_PTR& lresult)
    {
        return SendMessageTimeoutA(content, RegisterWindowMessageA("WM_HTML_GETOBJECT"), 0, 0, SMTO_ABORTIFHUNG,
                                   kTimeOutMs, &lresult) != 0;
    }

    // The whole route from the content window to IHTMLDocument2.
    static ComPtr<IHTMLDocument2> DocumentOf(HWND content)
    {
        DWORD_PTR lresult = 0;
        EXPECT_TRUE(RequestDocument(content, lresult));
        TLibrary oleacc("Oleacc.dll");
        const auto objectFromLresult = oleacc.Proc<TObjectFromLresult>("ObjectFromLresult");
        EXPECT_NE(objectFromLresult, nullptr);
        if (!lresult || !objectFromLresult) return {};
        ComPtr<IHTMLDocument> document;
        EXPECT_HRESULT_SUCCEEDED(
            objectFromLresult(static_cast<LRESULT>(lresult), IID_IHTMLDocument, 0, document.put_void()));
        if (!document) return {};
        ComPtr<IDispatch> script;
        EXPECT_HRESULT_SUCCEEDED(document->get_Script(script.put()));
        if (!script) return {};
        ComPtr<IHTMLWindow2> window;
        EXPECT_HRESULT_SUCCEEDED(script->QueryInterface(IID_IHTMLWindow2, window.put_void()));
        if (!window) return {};
        ComPtr<IHTMLDocument2> document2;
        EXPECT_HRESULT_SUCCEEDED(window->get_document(document2.put()));
        return document2;
    }

    static ComPtr<IHTMLElement> ElementAt(IHTMLDocument2* document, LONG x, LONG y)
    {
        ComPtr<IHTMLElement> element;
        EXPECT_HRESULT_SUCCEEDED(document->elementFromPoint(x, y, element.put()));
        return element;
    }

    static std::wstring TagName(IHTMLElement* element)
    {
        TBstr tag;
        EXPECT_HRESULT_SUCCEEDED(element->get_tagName(tag.put()));
        return tag.str();
    }
};

TEST_F(FixtureTest, ServesItsDocumentThroughActiveAccessibility)
{
    TFakePage page;
    page.SetUrl(L"http://127.0.0.1/page/index.html");
    const TFakeItem movie = page.AddFlash({10, 10, 210, 160}, L"movies/intro.swf", true);
    const TFakeItem frame = page.AddFrame({300, 200, 500, 300}, L"IFRAME", L"inner.html");
    page.AddElement({0, 0, 600, 400}, L"DIV", L"<div>text</div>");

    char className[64] = {};
    GetClassNameA(page.ContentWindow(), className, sizeof className);
    EXPECT_STREQ(className, "Internet Explorer_Server");
    EXPECT_TRUE(IsWindowVisible(page.TopWindow()));
    EXPECT_EQ(GetAncestor(page.ContentWindow(), GA_ROOT), page.TopWindow());
    EXPECT_EQ(ChildWindowFromPoint(page.ContentWindow(), POINT{50, 50}), movie.window);
    GetClassNameA(movie.window, className, sizeof className);
    EXPECT_STREQ(className, "MacromediaFlashPlayerActiveX");

    {
        const ComPtr<IHTMLDocument2> document = DocumentOf(page.ContentWindow());
        ASSERT_TRUE(document);
        // In the caller's own apartment the unmarshaled document is the page's object.
        EXPECT_EQ(document.get(), page.Document());
        TBstr url;
        EXPECT_HRESULT_SUCCEEDED(document->get_URL(url.put()));
        EXPECT_EQ(url.str(), L"http://127.0.0.1/page/index.html");

        const ComPtr<IHTMLElement> atMovie = ElementAt(document.get(), 209, 159);
        ASSERT_TRUE(atMovie);
        EXPECT_EQ(atMovie.get(), movie.element);
        EXPECT_EQ(TagName(atMovie.get()), L"OBJECT");
        ComPtr<IShockwaveFlash> flash;
        ASSERT_HRESULT_SUCCEEDED(atMovie->QueryInterface(IID_IShockwaveFlash, flash.put_void()));
        TBstr path;
        EXPECT_HRESULT_SUCCEEDED(flash->get_Movie(path.put()));
        EXPECT_EQ(path.str(), L"movies/intro.swf");
        ComPtr<IHTMLFrameBase> notFrame;
        EXPECT_EQ(atMovie->QueryInterface(IID_IHTMLFrameBase, notFrame.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(notFrame);

        const ComPtr<IHTMLElement> atFrame = ElementAt(document.get(), 300, 200);
        ASSERT_TRUE(atFrame);
        EXPECT_EQ(atFrame.get(), frame.element);
        ComPtr<IHTMLFrameBase> frameBase;
        ASSERT_HRESULT_SUCCEEDED(atFrame->QueryInterface(IID_IHTMLFrameBase, frameBase.put_void()));
        TBstr src;
        EXPECT_HRESULT_SUCCEEDED(frameBase->get_src(src.put()));
        EXPECT_EQ(src.str(), L"inner.html");
        ComPtr<IShockwaveFlash> notFlash;
        EXPECT_EQ(atFrame->QueryInterface(IID_IShockwaveFlash, notFlash.put_void()), E_NOINTERFACE);

        // Right and bottom edges are outside an area: (210, 50) is the DIV behind the movie.
        const ComPtr<IHTMLElement> atDiv = ElementAt(document.get(), 210, 50);
        ASSERT_TRUE(atDiv);
        EXPECT_EQ(TagName(atDiv.get()), L"DIV");
        TBstr html;
        EXPECT_HRESULT_SUCCEEDED(atDiv->get_outerHTML(html.put()));
        EXPECT_EQ(html.str(), L"<div>text</div>");

        EXPECT_FALSE(ElementAt(document.get(), 630, 470)) << "no area there: S_OK and no element";
        EXPECT_GT(page.LiveReferences(), 0);
    }
    EXPECT_EQ(page.LiveReferences(), 0) << "the route left references behind";
    EXPECT_EQ(page.GetObjectRequests(), 1);
}

TEST_F(FixtureTest, ForcedAndSeededFailures)
{
    TFakePage page;
    page.AddElement({0, 0, 100, 100}, L"DIV", L"<div></div>");
    const ComPtr<IHTMLElement> element = ElementAt(page.Document(), 5, 5);
    ASSERT_TRUE(element);

    page.FailCall(TDomCall::TagName, E_ACCESSDENIED);
    TBstr tag;
    EXPECT_EQ(element->get_tagName(tag.put()), E_ACCESSDENIED);
    EXPECT_TRUE(tag.null());
    page.FailCall(TDomCall::Script, S_FALSE);
    ComPtr<IDispatch> script;
    EXPECT_EQ(page.Document()->get_Script(script.put()), S_FALSE);
    EXPECT_FALSE(script);
    page.FailCall(TDomCall::TagName, S_OK);
    EXPECT_EQ(TagName(element.get()), L"DIV");
    EXPECT_EQ(page.Failures(), 2);
    EXPECT_EQ(page.Calls(TDomCall::TagName), 2);

    // The same seed fails the same calls: a failing stress run can be replayed.
    const auto pattern = [](uint32_t seed) {
        TFakePage other;
        other.FailRandomly(0.5, seed, E_OUTOFMEMORY);
        std::vector<HRESULT> results;
        for (int i = 0; i < 64; ++i) {
            TBstr url;
            results.push_back(other.Document()->get_URL(url.put()));
        }
        return results;
    };
    const std::vector<HRESULT> first = pattern(7);
    EXPECT_EQ(pattern(7), first);
    EXPECT_NE(pattern(8), first);
    const auto failed = std::count(first.begin(), first.end(), E_OUTOFMEMORY);
    EXPECT_GT(failed, 16);
    EXPECT_LT(failed, 48);
    EXPECT_EQ(failed + std::count(first.begin(), first.end(), S_OK), 64);
}

TEST_F(FixtureTest, AnswersThatGiveNoDocument)
{
    TFakePage zero;
    zero.SetAnswer(TGetObjectAnswer::Zero);
    DWORD_PTR lresult = 1;
    EXPECT_TRUE(RequestDocument(zero.ContentWindow(), lresult));
    EXPECT_EQ(lresult, 0u);
    EXPECT_THROW(zero.SetAnswer(TGetObjectAnswer::Hang), std::logic_error);

    TFakePageOptions options;
    options.answer = TGetObjectAnswer::Hang;
    TFakePage hung(options);
    const DWORD start = GetTickCount();
    lresult = 1;
    EXPECT_FALSE(RequestDocument(hung.ContentWindow(), lresult));
    const ULONGLONG elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, kTimeOutMs - 50);
    EXPECT_LE(elapsed, kTimeOutMs + 200);
    EXPECT_EQ(hung.GetObjectRequests(), 1);
}

TEST_F(FixtureTest, BrowserDispatchNavigatesAndLoads)
{
    TFakePage page;
    TFakeBrowser browser;
    browser.SetDocument(&page);
    browser.SetPollsUntilComplete(2);
    IDispatch* control = browser.Dispatch();

    const auto get = [&](DISPID id, VARIANT& out) {
        DISPPARAMS none{};
        return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &out, nullptr,
                               nullptr);
    };
    const auto readyState = [&] {
        TVariant v;
        EXPECT_HRESULT_SUCCEEDED(get(fake_browser::kReadyState, v.v));
        EXPECT_EQ(v.v.vt, VT_I4);
        return v.v.lVal;
    };
    // Navigate(URL, Flags, TargetFrameName, PostData, Headers): arguments last first.
    const auto navigate = [&](TVariant (&args)[5], UINT* argErr) {
        VARIANT raw[5];
        for (int i = 0; i < 5; ++i)
            raw[i] = args[i].v;  // shallow: the call only reads them
        DISPPARAMS params{raw, nullptr, 5, 0};
        return control->Invoke(fake_browser::kNavigate, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                               nullptr, nullptr, argErr);
    };

    EXPECT_EQ(readyState(), READYSTATE_UNINITIALIZED);
    const std::wstring target = L"http://127.0.0.1/page/inner.html";
    TVariant args[5];
    for (TVariant& a : args) {
        a.v.vt = VT_ERROR;
        a.v.scode = DISP_E_PARAMNOTFOUND;
    }
    args[1].v.vt = VT_EMPTY;
    args[4].v.vt = VT_BSTR;
    args[4].v.bstrVal = SysAllocString(target.c_str());
    EXPECT_HRESULT_SUCCEEDED(navigate(args, nullptr));
    EXPECT_EQ(browser.Navigations(), 1);
    {
        TVariant location;
        EXPECT_HRESULT_SUCCEEDED(get(fake_browser::kLocationURL, location.v));
        ASSERT_EQ(location.v.vt, VT_BSTR);
        EXPECT_EQ(std::wstring(location.v.bstrVal), target);
    }
    EXPECT_EQ(readyState(), READYSTATE_LOADING);
    EXPECT_EQ(readyState(), READYSTATE_LOADING);
    EXPECT_EQ(readyState(), READYSTATE_COMPLETE);

    // The URL in the wrong slot (arguments taken first to last) is refused, not counted.
    std::swap(args[0].v, args[4].v);
    UINT argErr = 99;
    EXPECT_EQ(navigate(args, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 4u);
    EXPECT_EQ(browser.Navigations(), 1);

    {
        TVariant document;
        EXPECT_HRESULT_SUCCEEDED(get(fake_browser::kDocument, document.v));
        ASSERT_EQ(document.v.vt, VT_DISPATCH);
        ComPtr<IHTMLDocument2> document2;
        ASSERT_HRESULT_SUCCEEDED(document.v.pdispVal->QueryInterface(IID_IHTMLDocument2, document2.put_void()));
        EXPECT_EQ(document2.get(), page.Document());
    }
    EXPECT_EQ(page.LiveReferences(), 0);
    EXPECT_EQ(browser.LiveReferences(), 0);
}

}  // namespace
