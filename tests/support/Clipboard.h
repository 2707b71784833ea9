#pragma once
// The clipboard's Unicode text, read and written as another program would.
#include <windows.h>

#include <cstring>
#include <string>

namespace clipboard {

inline std::wstring Text()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return L"<clipboard busy>";
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

inline bool SetText(const std::wstring& text)
{
    if (!::OpenClipboard(nullptr))
        return false;
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
        std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
        ::GlobalUnlock(memory);
        if (!::SetClipboardData(CF_UNICODETEXT, memory))
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return memory != nullptr;
}

} // namespace clipboard
