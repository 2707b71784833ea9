#include "ui/MAIN.h"

#include <windows.h>

#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/MiniLogHelper.h"
#include "core/rules/AppError.h"
#include "core/rules/PathListText.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"

std::vector<std::wstring> EntryList;

namespace {

std::wstring ErrorMessage(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (...) {
        return L"Unexpected error";
    }
}

void CollectEntries(std::vector<std::wstring>& list)
{
    for (const std::wstring& text : ReadPathListRows(GetPathListFile())) {
        const pathlist::Row row = pathlist::ParseRow(text);
        if (row.kind == pathlist::Row::Kind::Comment)
            continue;
        if (DirectoryExists(row.folder))
            ScanFolder(row.folder, list, row.deeper);
    }
}

} // namespace

bool LoadPathList(TSmartComboBox& searchBox)
{
    EntryList.clear();
    EntryList.emplace_back();
    try {
        CollectEntries(EntryList);
    } catch (...) {
        // Whatever was found before the failure stays in the list.
        AddLog(L"Error loading paths list from " + GetPathListFile() + L" - \r\n" +
               ErrorMessage(std::current_exception()));
    }

    if (EntryList.size() <= 1) {
        AddLog(kEmptyListMessage);
        ::MessageBoxW(nullptr, kEmptyListMessage, kAppTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
        OpenPath(GetPathListFile());
        TerminateApplication(1);
        return false;
    }
    searchBox.SetStoredItems(EntryList);
    return true;
}
