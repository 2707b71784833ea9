#include "core/EntryCollection.h"

#include "core/FileHelper.h"
#include "core/rules/ErrorText.h"
#include "core/rules/PathListText.h"

CollectedEntries CollectEntries(const std::wstring& pathListFile)
{
    CollectedEntries collected;
    try {
        for (const std::wstring& text : ReadPathListRows(pathListFile)) {
            const pathlist::Row row = pathlist::ParseRow(text);
            if (row.kind == pathlist::Row::Kind::Comment)
                continue;
            if (DirectoryExists(row.folder))
                ScanFolder(row.folder, collected.entries, row.deeper);
        }
    } catch (...) {
        collected.problem = CurrentErrorMessage();
    }
    return collected;
}
