#pragma once
// Rebuilding the entry list at every show of the bar, and the stop when it comes out empty.
#include <string>
#include <vector>

class TSmartComboBox;

// The entry list: element 0 is the empty string, then every entry in the order found.
// Rebuilt from nothing at every LoadPathList.
extern std::vector<std::wstring> EntryList;

// Collects the entries and hands them to `searchBox`; an error met on the way is logged and
// the entries found before it are kept. When nothing was found it tells the user, opens the
// path list for editing and ends the program with exit code 1; it then returns false and the
// box keeps what it had.
bool LoadPathList(TSmartComboBox& searchBox);
// The same for the bar's own search box; nothing to do before it exists.
bool LoadPathList();

inline constexpr const wchar_t* kEmptyListMessage =
    L"Directories list is empty, please add some dirs in the text file being opened, then restart the app";
