#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// A settings value read as a signed 32-bit integer: leading spaces, an optional sign, decimal
// digits or hexadecimal ones after "$", "x" or "0x"; nothing may follow. Empty when it does not parse.
std::optional<int32_t> ParseProfileInteger(std::wstring_view text);

// A boolean setting: any number other than 0 is true; what does not parse is `fallback`.
bool ParseProfileBool(std::wstring_view text, bool fallback);
