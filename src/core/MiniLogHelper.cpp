#include "core/MiniLogHelper.h"

std::wstring LogText;

namespace {

std::wstring FormatWith(int (*format)(const wchar_t*, DWORD, const SYSTEMTIME*, const wchar_t*, wchar_t*, int),
                        const wchar_t* locale, DWORD flags, const SYSTEMTIME& time)
{
    wchar_t buffer[128] = {};
    const int length = format(locale, flags, &time, nullptr, buffer, 128);
    return length > 0 ? std::wstring(buffer, static_cast<size_t>(length - 1)) : std::wstring();
}

int DateFormat(const wchar_t* locale, DWORD flags, const SYSTEMTIME* time, const wchar_t* pattern, wchar_t* out,
               int size)
{
    return ::GetDateFormatEx(locale, flags, time, pattern, out, size, nullptr);
}

int TimeFormat(const wchar_t* locale, DWORD flags, const SYSTEMTIME* time, const wchar_t* pattern, wchar_t* out,
               int size)
{
    return ::GetTimeFormatEx(locale, flags, time, pattern, out, size);
}

} // namespace

std::wstring LogTimeStamp(const SYSTEMTIME& time, const wchar_t* locale)
{
    // The formats are read at every call, so a change of the regional settings shows at once.
    std::wstring stamp = FormatWith(&DateFormat, locale, DATE_SHORTDATE, time);
    const bool midnight = time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0 && time.wMilliseconds == 0;
    if (!midnight)
        stamp += L" " + FormatWith(&TimeFormat, locale, 0, time);
    return stamp;
}

void AddLog(const std::wstring& text)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LogText += L"\r\n#" + LogTimeStamp(now) + L"# - " + text;
}
