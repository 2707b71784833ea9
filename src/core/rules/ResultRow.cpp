#include "core/rules/ResultRow.h"

#include <algorithm>

#include "core/rules/Ascii.h"

namespace resultrow {

Parts SplitPath(std::wstring_view path) noexcept
{
    size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring_view::npos)
        cut = path.find_last_of(L':');
    if (cut == std::wstring_view::npos || cut + 1 >= path.size())
        return {0, 0};
    const bool keepSeparator = path[cut] == L':' || cut == 0 || path[cut - 1] == L':';
    return {cut + 1, keepSeparator ? cut + 1 : cut};
}

std::vector<std::pair<size_t, size_t>> MarkedRanges(std::wstring_view path, const std::vector<std::wstring>& words)
{
    const std::wstring folded = ascii::Upper(path);
    std::vector<std::pair<size_t, size_t>> found;
    for (const std::wstring& word : words) {
        if (word.empty())
            continue;
        for (size_t at = folded.find(word); at != std::wstring::npos; at = folded.find(word, at + 1))
            found.emplace_back(at, at + word.size());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::pair<size_t, size_t>> merged;
    for (const auto& range : found) {
        if (!merged.empty() && range.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

std::wstring CountText(size_t entries)
{
    if (entries == 0)
        return L"No entries";
    return entries == 1 ? L"1 entry" : std::to_wstring(entries) + L" entries";
}

} // namespace resultrow
