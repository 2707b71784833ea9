#pragma once
#include <string>
#include <string_view>

// UTF-8 bytes <-> wide text. On Windows wide text is UTF-16; elsewhere (host tools) UTF-32.

// Throws AppError with the system's wording when the bytes are not valid UTF-8, so the
// user reads the same text as for any other decoding failure.
std::wstring Utf8ToWide(std::string_view bytes);

// Unpaired surrogates become U+FFFD: they cannot be written as UTF-8.
std::string WideToUtf8(std::wstring_view text);

inline constexpr const wchar_t* kNoUnicodeMappingMessage =
    L"No mapping for the Unicode character exists in the target multi-byte code page";
