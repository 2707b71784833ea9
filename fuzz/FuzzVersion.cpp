// The published version text against the running one: split, convert, compare.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/rules/VersionText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t half = size / 2;
    const std::wstring site(data, data + half), app(data + half, data + size);
    const auto s = version::Parse(site), a = version::Parse(app);
    if (version::IsNewer(s, a) && version::IsNewer(a, s))
        __builtin_trap(); // one order only
    if (version::IsNewer(s, s))
        __builtin_trap();
    return 0;
}
