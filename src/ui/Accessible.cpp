#include "ui/Accessible.h"

#include <objbase.h>

#include <new>
#include <utility>
#include <string>

#include "core/Handle.h"

namespace {

constexpr const IID& kIAccessible = kIAccessibleId;
constexpr IID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool IsSelf(const VARIANT& child) noexcept
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// A string property of the object itself, as IAccessible hands strings out.
HRESULT GiveString(const VARIANT& child, BSTR* out, const wchar_t* text) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsSelf(child))
        return E_INVALIDARG;
    *out = ::SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// A number property of the object itself (its role, its state).
HRESULT GiveNumber(const VARIANT& child, VARIANT* out, LONG value) noexcept
{
    if (!out)
        return E_POINTER;
    if (!IsSelf(child))
        return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

class SwitchAccessible final : public IAccessible {
public:
    SwitchAccessible(HWND window, bool (*isOn)(HWND), UINT toggle, IAccessible* standard) noexcept
        : window_(window), isOn_(isOn), toggle_(toggle)
    {
        *standard_.put() = standard;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIDispatch) || IsEqualIID(iid, kIAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* error, UINT* argument) override
    {
        return standard_->Invoke(id, iid, locale, flags, params, result, error, argument);
    }

    // IAccessible: what a check button says of itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        wchar_t text[256] = {};
        ::GetWindowTextW(window_, text, 256);
        return GiveString(child, name, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return GiveNumber(child, role, ROLE_SYSTEM_CHECKBUTTON);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return GiveNumber(child, state,
                          STATE_SYSTEM_FOCUSABLE | (::GetFocus() == window_ ? STATE_SYSTEM_FOCUSED : 0) |
                              (isOn_(window_) ? STATE_SYSTEM_CHECKED : 0) |
                              (::IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE));
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return GiveString(child, action, isOn_(window_) ? L"Uncheck" : L"Check");
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        if (!IsSelf(child))
            return E_INVALIDARG;
        return ::PostMessageW(window_, toggle_, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override
    {
        if (!child)
            return E_POINTER;
        *child = nullptr;
        return E_INVALIDARG;
    }

    // The rest: the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override
    {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~SwitchAccessible() = default;

    LONG refs_ = 1;
    HWND window_;
    bool (*isOn_)(HWND);
    UINT toggle_;
    ComPtr<IAccessible> standard_;
};

} // namespace

IAccessible* CreateSwitchAccessible(HWND window, bool (*isOn)(HWND), UINT toggleMessage) noexcept
{
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&standard))) ||
        !standard)
        return nullptr;
    auto* made = new (std::nothrow) SwitchAccessible(window, isOn, toggleMessage, standard);
    if (!made)
        standard->Release();
    return made;
}

namespace {

constexpr CLSID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

} // namespace

void AnnotateName(HWND window, const wchar_t* name) noexcept
{
    if (!window)
        return;
    // Made once: the search box names each combo it makes, at the first key of every search, and
    // making the service costs milliseconds. (The user-interface thread only.)
    static ComPtr<IAccPropServices> services;
    static bool tried = false;
    if (!std::exchange(tried, true))
        ::CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                           reinterpret_cast<void**>(services.put()));
    if (!services)
        return;
    // The annotation lives as long as the window: the platform drops it when the window goes.
    services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAccName, name);
}
