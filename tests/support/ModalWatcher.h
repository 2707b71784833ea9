#pragma once
// Reads and answers a modal box that the test thread itself opens (and so blocks on).
#include <windows.h>

#include <optional>
#include <string>
#include <thread>

#include "support/Probe.h"

class ModalWatcher {
public:
    explicit ModalWatcher(std::wstring answer = L"OK")
        : thread_([this, answer = std::move(answer)] {
              seen_ = probe::WaitForMessageBox(::GetCurrentProcessId(), 10000);
              if (seen_) {
                  owner_ = ::GetWindow(seen_->hwnd, GW_OWNER);
                  defaultId_ = DefaultButtonOf(seen_->hwnd);
                  probe::PressDialogButton(seen_->hwnd, answer);
              }
          })
    {
    }
    ~ModalWatcher()
    {
        if (thread_.joinable())
            thread_.join();
    }
    // Waits for the watcher to finish and gives what it saw.
    const std::optional<probe::MessageBoxInfo>& Seen()
    {
        if (thread_.joinable())
            thread_.join();
        return seen_;
    }
    HWND Owner()
    {
        Seen();
        return owner_;
    }

    // The id of the box's default button (IDOK, IDNO, ...), 0 when it has none.
    int DefaultId()
    {
        Seen();
        return defaultId_;
    }

private:
    // The button drawn as the default one, the one Enter presses.
    static int DefaultButtonOf(HWND dialog)
    {
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (probe::ClassName(child) == L"Button" && (::GetWindowLongW(child, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON)
                return ::GetDlgCtrlID(child);
        return 0;
    }

    std::optional<probe::MessageBoxInfo> seen_;
    int defaultId_ = 0;
    HWND owner_ = nullptr;
    std::thread thread_;
};
