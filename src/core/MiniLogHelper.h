#pragma once
#include <windows.h>

#include <string>

// The event log: one text in memory for the whole run, never saved, never trimmed.
extern std::wstring LogText;

// Appends CR LF, "#", the stamp, "# - " and `text` unchanged.
void AddLog(const std::wstring& text);

// The stamp of an entry in `locale`'s short date and long time; the date alone at exactly
// midnight. LOCALE_NAME_USER_DEFAULT follows the user's current regional settings.
std::wstring LogTimeStamp(const SYSTEMTIME& time, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);
