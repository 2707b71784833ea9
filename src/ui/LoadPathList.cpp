#include "ui/LoadPathList.h"

#include <windows.h>

#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/EntryCollection.h"
#include "core/FileHelper.h"
#include "core/MiniLogHelper.h"
#include "ui/MAIN.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"

std::vector<std::wstring> EntryList;

bool LoadPathList()
{
    return SearchBox ? LoadPathList(*SearchBox) : true;
}

bool LoadPathList(TSmartComboBox& searchBox)
{
    CollectedEntries collected = CollectEntries(GetPathListFile());
    EntryList = std::move(collected.entries);
    // The path is asked for again at each use: asking writes the default file when it is missing.
    if (!collected.problem.empty())
        AddLog(L"Error loading paths list from " + GetPathListFile() + L" - \r\n" + collected.problem);

    if (EntryList.size() <= 1) {
        AddLog(kEmptyListMessage);
        // When the file itself could not be read, the user is told why on a line of its own:
        // the list may well name folders, and the log dies with the program.
        const std::wstring text =
            collected.problem.empty() ? kEmptyListMessage : kEmptyListMessage + (L"\r\n" + collected.problem);
        ::MessageBoxW(nullptr, text.c_str(), kAppTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
        OpenPath(GetPathListFile());
        TerminateApplication(1);
        return false;
    }
    searchBox.SetStoredItems(EntryList);
    return true;
}
