// The matching rules against a slow reference: any difference is a crash. Entries and the typed
// text come from the input: entries separated by "\n", the typed text after a "\t".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/rules/SearchFilter.h"

namespace {

std::vector<uint32_t> Reference(const std::vector<std::string>& entries, const std::string& typed)
{
    const auto words = search::SplitWords(std::string_view(typed));
    std::vector<uint32_t> result;
    for (uint32_t i = 0; i < entries.size(); ++i) {
        const std::string folded = search::Folded(std::string_view(entries[i]));
        bool all = true;
        for (const auto& w : words)
            all = all && !w.empty() && folded.find(w) != std::string::npos;
        if (all)
            result.push_back(i);
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t tab = input.find('\t');
    const std::string typed = tab == std::string::npos ? "" : input.substr(tab + 1);
    const std::string list = input.substr(0, tab);
    std::vector<std::string> entries;
    for (size_t start = 0;;) {
        const size_t end = list.find('\n', start);
        entries.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    const std::vector<uint32_t> expected = Reference(entries, typed);
    const search::EntryIndex<char> index(entries);
    if (index.Match(search::SplitWords(std::string_view(typed))) != expected)
        __builtin_trap();
    // The same through 16-bit characters, as the program matches (its wchar_t); a byte from 0x80
    // up becomes a character whose low byte repeats it, so that only the whole character tells.
    const auto widen = [](const std::string& text) {
        std::u16string wide;
        for (const unsigned char c : text)
            wide.push_back(static_cast<char16_t>(c < 0x80 ? c : 0x100 | c));
        return wide;
    };
    std::vector<std::u16string> wideEntries;
    for (const auto& e : entries)
        wideEntries.push_back(widen(e));
    const search::EntryIndex<char16_t> wideIndex(wideEntries);
    const auto wideWords = search::SplitWords(std::u16string_view(widen(typed)));
    if (wideIndex.Match(wideWords) != expected)
        __builtin_trap();
    // Kept a byte per character when the list allows it (no byte from 0x80 up in it).
    const search::CompactEntryIndex<char16_t> compactIndex(wideEntries);
    if (compactIndex.Match(wideWords) != expected)
        __builtin_trap();
    return 0;
}
