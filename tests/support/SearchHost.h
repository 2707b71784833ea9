#pragma once
// A plain top-level window that hosts the search box the way the bar does, plus a button to
// move the focus to, and helpers that type into it as a user would.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/Probe.h"
#include "ui/SmartCombo.h"

class SearchHost {
public:
    SearchHost()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZarviTestSearchHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        ::RegisterClassW(&wc);
        window = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"search host", WS_POPUP | WS_VISIBLE, 100, 100,
                                   700, 60, nullptr, nullptr, wc.hInstance, nullptr);
        box = std::make_unique<TSmartComboBox>(window, 40, 4, 600);
        button = ::CreateWindowExW(0, L"BUTTON", L"btn", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 32, 32, window,
                                   nullptr, wc.hInstance, nullptr);
        ::SetForegroundWindow(window);
        box->FocusBox();
        Settle();
    }
    ~SearchHost()
    {
        box.reset();
        ::DestroyWindow(window);
    }

    // Handles every message that is waiting, input included, until the queue stays empty.
    static void Settle()
    {
        int quiet = 0;
        probe::WaitUntil(
            [&] {
                const probe::Pumped pumped = probe::PumpMessages();
                if (pumped == probe::Pumped::Quit)
                    return true;
                const bool any = pumped == probe::Pumped::Some;
                quiet = (any || HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0) ? 0 : quiet + 1;
                return quiet >= 3;
            },
            5000, 5);
    }

    void Type(const std::wstring& text)
    {
        probe::TypeText(text);
        Settle();
    }
    void Press(WORD vk)
    {
        probe::TapKey(vk);
        Settle();
    }

    std::vector<std::wstring> Shown() const { return probe::ComboItems(box->Combo()); }
    bool ListOpen() const { return ::SendMessageW(box->Combo(), CB_GETDROPPEDSTATE, 0, 0) != 0; }
    std::pair<DWORD, DWORD> EditSelection() const
    {
        DWORD start = 0, end = 0;
        ::SendMessageW(box->Combo(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    HWND window = nullptr;
    HWND button = nullptr;
    std::unique_ptr<TSmartComboBox> box;
};
