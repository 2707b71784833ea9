#pragma once
#include <string>
#include <string_view>

// The text of the general error report: the message, closed with a full stop unless it
// already ends in punctuation or a control character (any code of 46 or lower).
std::wstring ErrorReportText(std::wstring_view message);

// Call only inside a catch block: the message of the error being handled.
std::wstring CurrentErrorMessage();
