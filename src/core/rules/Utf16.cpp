#include "core/rules/Utf16.h"

namespace utf16 {

std::string Encode(std::wstring_view text, bool bigEndian)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    auto put = [&](char32_t unit) {
        const char hi = static_cast<char>((unit >> 8) & 0xFF), lo = static_cast<char>(unit & 0xFF);
        bytes.push_back(bigEndian ? hi : lo);
        bytes.push_back(bigEndian ? lo : hi);
    };
    for (wchar_t c : text) {
        auto cp = static_cast<char32_t>(c);
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return bytes;
}

std::wstring Decode(std::string_view bytes, bool bigEndian)
{
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<char32_t>(static_cast<unsigned char>(bytes[i]));
        const auto b = static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 1]));
        char32_t unit = bigEndian ? ((a << 8) | b) : (a | (b << 8));
        if constexpr (sizeof(wchar_t) == 4) {
            if (IsHighSurrogate(unit) && i + 3 < bytes.size()) {
                const auto c = static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 2]));
                const auto d = static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 3]));
                const char32_t low = bigEndian ? ((c << 8) | d) : (c | (d << 8));
                if (IsLowSurrogate(low)) {
                    unit = Join(unit, low);
                    i += 2;
                }
            }
        }
        out.push_back(static_cast<wchar_t>(unit));
    }
    return out;
}

} // namespace utf16
