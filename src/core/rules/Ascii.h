#pragma once
// The program's own text rules: letter case folds only a to z, trimming removes every
// character of code 32 or less from both ends, hexadecimal digits are 0-9, a-f and A-F.
// For any character type: wchar_t in the program, char (UTF-8 bytes) in host tools.
#include <string>
#include <string_view>
#include <type_traits>

namespace ascii {

template <typename CharT> constexpr CharT Upper(CharT c) noexcept
{
    return (c >= CharT('a') && c <= CharT('z')) ? static_cast<CharT>(c - (CharT('a') - CharT('A'))) : c;
}

template <typename CharT> constexpr CharT Lower(CharT c) noexcept
{
    return (c >= CharT('A') && c <= CharT('Z')) ? static_cast<CharT>(c + (CharT('a') - CharT('A'))) : c;
}

template <typename CharT> std::basic_string<CharT> Upper(std::basic_string_view<CharT> text)
{
    std::basic_string<CharT> out(text);
    for (auto& c : out)
        c = Upper(c);
    return out;
}

template <typename CharT> std::basic_string<CharT> Lower(std::basic_string_view<CharT> text)
{
    std::basic_string<CharT> out(text);
    for (auto& c : out)
        c = Lower(c);
    return out;
}

template <typename CharT> std::basic_string_view<CharT> Trimmed(std::basic_string_view<CharT> text) noexcept
{
    auto isBlank = [](CharT c) { return static_cast<std::make_unsigned_t<CharT>>(c) <= 32u; };
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

// The value of a hexadecimal digit, or -1.
template <typename CharT> constexpr int HexDigit(CharT c) noexcept
{
    if (c >= CharT('0') && c <= CharT('9'))
        return static_cast<int>(c - CharT('0'));
    if (c >= CharT('a') && c <= CharT('f'))
        return static_cast<int>(c - CharT('a')) + 10;
    if (c >= CharT('A') && c <= CharT('F'))
        return static_cast<int>(c - CharT('A')) + 10;
    return -1;
}

} // namespace ascii
