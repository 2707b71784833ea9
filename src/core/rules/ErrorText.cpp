#include "core/rules/ErrorText.h"

#include <new>

#include "core/rules/AppError.h"
#include "core/rules/TextConv.h"

std::wstring ErrorReportText(std::wstring_view message)
{
    std::wstring text(message);
    if (text.empty() || text.back() > L'.')
        text.push_back(L'.');
    return text;
}

std::wstring CurrentErrorMessage()
{
    try {
        throw;
    } catch (const AppError& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& e) {
        try {
            return Utf8ToWide(e.what());
        } catch (...) {
            return L"Unexpected error";
        }
    } catch (...) {
        return L"Unexpected error";
    }
}
