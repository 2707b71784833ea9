#include "core/rules/VersionText.h"

#include "core/rules/ProfileValue.h"

namespace version {

Numbers Parse(std::wstring_view text)
{
    Numbers numbers{};
    if (text.empty())
        return numbers; // no parts at all
    size_t start = 0;
    for (size_t part = 0; part < numbers.size(); ++part) {
        const size_t dot = text.find(L'.', start);
        numbers[part] = ParseProfileInteger(text.substr(start, dot == text.npos ? text.npos : dot - start)).value_or(0);
        if (dot == text.npos)
            break;
        start = dot + 1;
    }
    return numbers;
}

bool IsNewer(const Numbers& site, const Numbers& app) noexcept
{
    return site[0] > app[0] || (site[0] == app[0] && site[1] > app[1]) ||
           (site[0] == app[0] && site[1] == app[1] && site[2] > app[2]);
}

} // namespace version
