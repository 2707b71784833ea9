#pragma once
// The bar's side of an update check, for tests without a bar: a window that takes the check's
// answer and asks the question as the bar does.
#include <windows.h>

#include "core/UpdateHelper.h"
#include "support/Probe.h"
#include "ui/UpdateQuestion.h"

class AnswerTarget {
public:
    AnswerTarget()
    {
        window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                                if (message != kAnswer)
                                    return ::DefWindowProcW(hwnd, message, wParam, lParam);
                                ++answers;
                                AnswerUpdateCheck(lParam);
                                return LRESULT{0};
                            }));
        answers = 0;
        SetUpdateAnswerTarget(window_, kAnswer);
    }
    ~AnswerTarget()
    {
        SetUpdateAnswerTarget(nullptr, 0);
        ::DestroyWindow(window_);
    }
    AnswerTarget(const AnswerTarget&) = delete;
    AnswerTarget& operator=(const AnswerTarget&) = delete;

    // Handles this thread's messages until the running check has been answered.
    bool WaitForAnswer(DWORD timeoutMs = 10000)
    {
        return probe::WaitUntil([] { return !UpdateCheckRunning(); }, timeoutMs);
    }
    static inline int answers = 0;

private:
    static constexpr UINT kAnswer = WM_APP + 7;
    HWND window_ = nullptr;
};
