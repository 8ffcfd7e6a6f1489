#include "win32/PictureAccessible.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <utility>

#include "win32/SystemLibrary.h"

namespace {

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

// oleacc.dll is not a KnownDLL: from the system folder, once.
HMODULE Oleacc() {
    static const HMODULE library = LoadSystemLibrary("oleacc.dll");
    return library;
}

BSTR Ask(HWND window, PictureText what) {
    std::wstring text;
    if (!IsWindow(window) || !SendMessageW(window, kPictureTextMessage, static_cast<WPARAM>(what),
                                           reinterpret_cast<LPARAM>(&text)))
        return nullptr;
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class Accessible final : public IAccessible {
public:
    Accessible(HWND window, Microsoft::WRL::ComPtr<IAccessible> standard)
        : window_(window), std_(std::move(standard)) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: readers use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return std_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** info) override {
        return std_->GetTypeInfo(i, l, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID l, DISPID* ids) override {
        return std_->GetIDsOfNames(iid, names, n, l, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID l, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* arg) override {
        return std_->Invoke(id, iid, l, flags, params, result, info, arg);
    }

    // The picture's own words.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Own(child, out, PictureText::Name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Own(child, out, PictureText::Description);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return Own(child, out, PictureText::Value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_CHART;
        return S_OK;
    }

    // The rest as the standard object of the window answers it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override { return std_->get_accParent(out); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
        if (!out) return E_POINTER;
        *out = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return std_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return std_->get_accState(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return std_->get_accHelp(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return std_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return std_->get_accKeyboardShortcut(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return std_->get_accFocus(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return std_->get_accSelection(out); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return std_->get_accDefaultAction(child, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return std_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override {
        return std_->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
        return std_->accNavigate(dir, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        return std_->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return std_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    HRESULT Own(const VARIANT& child, BSTR* out, PictureText what) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindow(window_)) return RPC_E_DISCONNECTED;  // the window has gone: nothing to name
        *out = Ask(window_, what);
        return *out ? S_OK : S_FALSE;
    }

    // None at first: the ComPtr that takes the new object counts the first.
    // (MinGW-w64's ComPtr::Attach adds a reference, unlike Microsoft's.)
    LONG refs_ = 0;
    HWND window_;
    Microsoft::WRL::ComPtr<IAccessible> std_;
};

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LresultFromObjectFn handOver) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    const auto create = SystemFunction<CreateStdAccessibleObjectFn>(Oleacc(), "CreateStdAccessibleObject");
    const auto answer = handOver ? handOver : SystemFunction<LresultFromObjectFn>(Oleacc(), "LresultFromObject");
    if (!create || !answer) return 0;
    Microsoft::WRL::ComPtr<IAccessible> standard;
    if (FAILED(create(window, OBJID_CLIENT, IID_PPV_ARGS(standard.GetAddressOf()))) || !standard) return 0;
    const Microsoft::WRL::ComPtr<Accessible> object(new Accessible(window, std::move(standard)));
    // LresultFromObject takes a reference of its own for the reader. A
    // failure (an error code, negative) leaves the answer to DefWindowProc.
    const LRESULT result = answer(__uuidof(IAccessible), wParam, object.Get());
    return result < 0 ? 0 : result;
}

void AnnounceValueChange(HWND window) { NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, CHILDID_SELF); }
