#pragma once
// The entry list: what the path list's folders hold, in the order found.
#include <string>
#include <vector>

struct CollectedEntries {
    // Element 0 is the empty string, then every entry found, duplicates included.
    std::vector<std::wstring> entries{std::wstring()};
    // The message of the error that stopped the collection; empty when it ran to the end.
    std::wstring problem;
};

// Reads the path list `pathListFile` row by row and scans each listed folder that exists (a
// row starting with "*" one level deeper; "//" rows are comments). An error stops the
// collection: the entries found before it stay and its message is returned with them.
CollectedEntries CollectEntries(const std::wstring& pathListFile);
