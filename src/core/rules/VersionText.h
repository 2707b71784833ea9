#pragma once
// The published version against the running one: "." separated numbers, the first three count.
#include <array>
#include <cstdint>
#include <string_view>

namespace version {

using Numbers = std::array<int32_t, 3>;

// The first three parts of `text` split at "."; a missing part, or one that is not wholly a
// number (leading spaces and a sign allowed, hexadecimal after "$", "x" or "0x"), counts as 0.
Numbers Parse(std::wstring_view text);

// True when `site` is greater than `app` in lexicographic order.
bool IsNewer(const Numbers& site, const Numbers& app) noexcept;

} // namespace version
