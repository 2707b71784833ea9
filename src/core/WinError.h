#pragma once
#include <windows.h>

#include <string>

// The system's own text for an error code, without the trailing line break.
std::wstring SystemErrorText(DWORD code);

// Raises AppError "<what> failed: <system text>" for GetLastError().
[[noreturn]] void ThrowLastError(const wchar_t* what);
