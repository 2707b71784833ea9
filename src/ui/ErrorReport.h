#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "core/rules/ErrorText.h"

// The general error report: a modal box owned by the active window, captioned "Zarvi",
// error icon and OK. Every error that reaches the user goes through here.
void ShowErrorReport(std::wstring_view message) noexcept;

// Call only inside a catch block: turns the error being handled into the report.
void ReportCurrentException() noexcept;

// Runs an event handler so that an error ends the handler, is reported, and goes no further:
// nothing may escape a window, hook or COM callback.
// Returns whether the handler ran to its end.
template <typename Handler> bool RunGuarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}
