#include "ui/LoadPathList.h"

#include <windows.h>

#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/FolderScanner.h"
#include "core/MiniLogHelper.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"

std::shared_ptr<const std::vector<std::wstring>> EntryList = std::make_shared<std::vector<std::wstring>>(1);

namespace {

uint64_t SettledRequest = 0; // the newest request whose complete list was dealt with

void StopOnEmptyList(const std::wstring& problem)
{
    AddLog(kEmptyListMessage);
    // When the file itself could not be read, the user is told why on a line of its own:
    // the list may well name folders, and the log dies with the program.
    const std::wstring text = problem.empty() ? kEmptyListMessage : kEmptyListMessage + (L"\r\n" + problem);
    ::MessageBoxW(nullptr, text.c_str(), kAppTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
    OpenPath(GetPathListFile());
    TerminateApplication(1);
}

} // namespace

HandOver HandOverEntries(TSmartComboBox& searchBox, bool late)
{
    const EntrySnapshot list = Scanner().Current();
    const auto handOver = [&] {
        EntryList = list.entries;
        late ? searchBox.UpdateStoredItems(list.entries) : searchBox.SetStoredItems(list.entries);
    };
    if (!list.complete) {
        // What is known goes to the box now; an empty part waits, for the stop is decided on
        // the whole list.
        if (list.entries && list.entries->size() > 1)
            handOver();
        return HandOver::Partial;
    }
    if (list.request == SettledRequest) {
        if (!late)
            searchBox.SetStoredItems(list.entries);
        return HandOver::Done;
    }
    SettledRequest = list.request;
    // The path is asked for again at each use: asking writes the default file when it is missing.
    if (!list.unreadList.empty())
        AddLog(L"Error loading paths list from " + GetPathListFile() + L" - \r\n" + list.unreadList +
               L"\r\nThe list read before stays in use; the next show reads it again.");
    if (!list.problem.empty())
        AddLog(L"Error loading paths list from " + GetPathListFile() + L" - \r\n" + list.problem);
    if (list.entries->size() <= 1) {
        StopOnEmptyList(list.problem);
        return HandOver::Stopped;
    }
    handOver();
    return HandOver::Done;
}

bool LoadPathList(TSmartComboBox& searchBox, HWND window, UINT message, DWORD waitMs)
{
    Scanner().Request(GetPathListFile(), window, message);
    // Bounded: a folder that never answers (a dead share) must not freeze the bar. What is not
    // known by then follows in `message`.
    Scanner().WaitComplete(waitMs);
    return HandOverEntries(searchBox, false) != HandOver::Stopped;
}
