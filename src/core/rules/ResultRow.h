#pragma once
// How a row of the result list reads: the entry's name first, then the folder it lies in, with
// the typed words marked wherever they occur.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace resultrow {

struct Parts {
    size_t nameStart = 0; // the name is path[nameStart, end)
    size_t folderEnd = 0; // the folder is path[0, folderEnd)
};
// The name after the last "\" or "/" (or after a drive's ":"); the folder before it, keeping the
// separator of a drive's root ("C:\"). A path without a name is all name.
Parts SplitPath(std::wstring_view path) noexcept;

// Where the words occur in `path`, every occurrence, with only a to z folded (the words as the
// matching rules give them, folded already); sorted, overlapping and touching ranges merged.
std::vector<std::pair<size_t, size_t>> MarkedRanges(std::wstring_view path, const std::vector<std::wstring>& words);

// What a screen reader says of the list once typing pauses: how many entries it holds.
std::wstring CountText(size_t entries);

} // namespace resultrow
