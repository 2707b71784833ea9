#pragma once
// Handing the entry list to the search box at every show of the bar, and the stop when it comes
// out empty. The list itself is kept up to date by the folder scanner (core/FolderScanner).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class TSmartComboBox;

// The entry list: element 0 is the empty string, then every entry in the order found. Replaced
// (never changed) at each hand-over; shared with the box, which treats it as its own copy.
extern std::shared_ptr<const std::vector<std::wstring>> EntryList;

enum class HandOver {
    Done,    // the box holds the complete list
    Partial, // the box holds what is known; the rest follows
    Stopped, // the empty-list stop ran
};

// Hands the scanner's newest list to `searchBox`. A list that is complete is dealt with once:
// an error met on the way is logged (the entries found before it are kept); when nothing was
// found it tells the user, opens the path list for editing and ends the program with exit code 1.
// `late`: the user may already be at work in the box (a list that arrives after the show).
HandOver HandOverEntries(TSmartComboBox& searchBox, bool late);

// Brings the list up to date, waits for it up to `waitMs` and hands over what is known; false
// after the empty-list stop (the box then keeps what it had). `window` is posted `message` when
// more is known later (none: the caller asks again).
bool LoadPathList(TSmartComboBox& searchBox, HWND window = nullptr, UINT message = 0, DWORD waitMs = 10000);

// How long "Add a folder" waits for the new list before the bar goes on without it.
inline constexpr DWORD kLoadPathListWaitMs = 250;

inline constexpr const wchar_t* kEmptyListMessage =
    L"Directories list is empty, please add some dirs in the text file being opened, then restart the app";
