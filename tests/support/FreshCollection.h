#pragma once
// The entry list collected from nothing, the plain way: every row in order, every listed folder
// scanned. The reference the folder scanner, which keeps folders between shows, is held to.
#include <string>
#include <vector>

#include "core/FileHelper.h"
#include "core/rules/ErrorText.h"
#include "core/rules/PathListText.h"

struct CollectedEntries {
    // Element 0 is the empty string, then every entry found, duplicates included.
    std::vector<std::wstring> entries{std::wstring()};
    // The message of the error that stopped the collection; empty when it ran to the end.
    std::wstring problem;
};

// An error stops the collection: the entries found before it stay and its message comes with them.
inline CollectedEntries CollectEntries(const std::wstring& pathListFile)
{
    CollectedEntries collected;
    try {
        size_t folderRows = 0;
        for (const std::wstring& text : ReadPathListRows(pathListFile)) {
            const pathlist::Row row = pathlist::ParseRow(text);
            if (row.kind == pathlist::Row::Kind::Comment)
                continue;
            if (++folderRows > pathlist::kMaxFolderRows) {
                collected.problem = pathlist::TooManyRowsText();
                break;
            }
            if (DirectoryExists(row.folder))
                ScanFolder(row.folder, collected.entries, row.deeper);
            if (collected.entries.size() - 1 > pathlist::kMaxEntries) {
                collected.entries.resize(pathlist::kMaxEntries + 1);
                collected.problem = pathlist::TooManyEntriesText(row.folder);
                break;
            }
        }
    } catch (...) {
        collected.problem = CurrentErrorMessage();
    }
    return collected;
}
