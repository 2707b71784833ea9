#include "core/rules/ProfileValue.h"

#include <string>

#include "core/rules/Ascii.h"

std::optional<int32_t> ParseProfileInteger(std::wstring_view input)
{
    std::wstring text(input);
    // "0x..." longer than two characters reads as "$...".
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
        text.replace(0, 2, L"$");
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    bool hex = false;
    if (i < text.size() && (text[i] == L'$' || text[i] == L'x' || text[i] == L'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = ascii::HexDigit(text[i]);
        if (digit < 0 || (!hex && digit > 9))
            return std::nullopt;
        value = value * (hex ? 16u : 10u) + static_cast<uint32_t>(digit);
        if (value > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return std::nullopt;
    }
    if (hex) {
        // Hexadecimal spells the 32 bits themselves: FFFFFFFF is -1.
        const auto bits = static_cast<uint32_t>(value);
        const auto signedValue = static_cast<int32_t>(bits);
        return negative ? static_cast<int32_t>(0u - bits) : signedValue;
    }
    if (!negative && value > 0x7FFFFFFFull)
        return std::nullopt;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

bool ParseProfileBool(std::wstring_view text, bool fallback)
{
    const auto number = ParseProfileInteger(text);
    return number ? *number != 0 : fallback;
}
