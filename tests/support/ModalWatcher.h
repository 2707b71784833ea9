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

private:
    std::optional<probe::MessageBoxInfo> seen_;
    HWND owner_ = nullptr;
    std::thread thread_;
};
