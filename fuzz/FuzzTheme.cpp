// The theme file as any text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/rules/Theme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto look = theme::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (look) {
        const double ratio = theme::ContrastRatio(look->faceText, look->face);
        if (!(ratio >= 1.0 && ratio <= 21.0))
            __builtin_trap();
    }
    return 0;
}
