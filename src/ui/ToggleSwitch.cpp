#include "ui/ToggleSwitch.h"

#include "core/Handle.h"
#include "ui/Accessible.h"

namespace {

// Private messages of the switch: its state asked, and a toggle asked by assistive technology.
constexpr UINT kIsOnMessage = WM_APP + 1;
constexpr UINT kToggleMessage = WM_APP + 2;

bool SwitchIsOn(HWND window)
{
    return ::SendMessageW(window, kIsOnMessage, 0, 0) != 0;
}

} // namespace

TToggleSwitch::TToggleSwitch(HWND parent, int id, int x, int y, int width, int height) : id_(id)
{
    RegisterWindowClass(L"TToggleSwitch");
    CreateBound(L"TToggleSwitch", 0, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width, height, parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

TToggleSwitch::~TToggleSwitch()
{
    if (Handle())
        ::DestroyWindow(Handle());
}

void TToggleSwitch::SetOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ::SendMessageW(::GetParent(Handle()), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED), reinterpret_cast<LPARAM>(Handle()));
}

void TToggleSwitch::Paint()
{
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(Handle(), &ps);
    RECT r{};
    ::GetClientRect(Handle(), &r);
    const GdiHandle silver(::CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0)));
    ::FillRect(dc, &r, static_cast<HBRUSH>(silver.get()));
    ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    // The knob: a raised square at the left (off) or the right (on), the track behind it dark when on.
    const int inset = 3, knob = r.bottom - r.top - 2 * inset;
    RECT track{r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
    if (on_) {
        const GdiHandle dark(::CreateSolidBrush(RGB(0x3B, 0x4A, 0x5A)));
        ::FillRect(dc, &track, static_cast<HBRUSH>(dark.get()));
    }
    RECT thumb{on_ ? track.right - knob : track.left, track.top, on_ ? track.right : track.left + knob, track.bottom};
    ::FillRect(dc, &thumb, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    const bool cuesHidden = (::SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    if (::GetFocus() == Handle() && !cuesHidden) {
        RECT focus = r;
        ::InflateRect(&focus, -1, -1);
        ::DrawFocusRect(dc, &focus);
    }
    ::EndPaint(Handle(), &ps);
}

LRESULT TToggleSwitch::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN:
        ::SetFocus(Handle());
        SetOn(!on_);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS;
    case WM_CHAR:
        if (wParam == L' ')
            SetOn(!on_);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_UPDATEUISTATE: {
        const LRESULT result = DefaultMessage(message, wParam, lParam);
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return result;
    }
    case kIsOnMessage:
        return on_ ? 1 : 0;
    case kToggleMessage:
        SetOn(!on_);
        return 0;
    case WM_GETOBJECT:
        // A check button to assistive technology, named by the window's text.
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
            if (IAccessible* object = CreateSwitchAccessible(Handle(), &SwitchIsOn, kToggleMessage)) {
                const LRESULT result = ::LresultFromObject(kIAccessibleId, wParam, object);
                object->Release();
                return result;
            }
        }
        return DefaultMessage(message, wParam, lParam);
    default:
        return DefaultMessage(message, wParam, lParam);
    }
}
