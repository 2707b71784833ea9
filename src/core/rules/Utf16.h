#pragma once
// UTF-16 code units as bytes, in either byte order, and the joining of surrogate pairs.
#include <string>
#include <string_view>

namespace utf16 {

constexpr bool IsHighSurrogate(char32_t u) noexcept
{
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t u) noexcept
{
    return u >= 0xDC00 && u <= 0xDFFF;
}
constexpr char32_t Join(char32_t high, char32_t low) noexcept
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Wide text as UTF-16 bytes (wide text of 32 bits is split into pairs first).
std::string Encode(std::wstring_view text, bool bigEndian);
// UTF-16 bytes as wide text; a trailing odd byte cannot form a character and is dropped.
std::wstring Decode(std::string_view bytes, bool bigEndian);

} // namespace utf16
