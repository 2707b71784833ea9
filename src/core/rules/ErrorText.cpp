#include "core/rules/ErrorText.h"

std::wstring ErrorReportText(std::wstring_view message)
{
    std::wstring text(message);
    if (text.empty() || text.back() > L'.')
        text.push_back(L'.');
    return text;
}
