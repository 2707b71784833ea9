#pragma once
#include <string>

// Where the program keeps its files: Documents\zarvi. Each function looks again at every call,
// so a deleted folder or path list comes back; each returns "" when anything inside fails.

std::wstring GetExeFile();
std::wstring GetExeName();
// Documents + "\zarvi", created with any missing level.
std::wstring GetAppFolder();
// GetAppFolder() + "\zarvi.txt", written with the default content when no such file exists.
std::wstring GetPathListFile();
// GetAppFolder() + "\zarvi.ini"; not created here.
std::wstring GetSettingsFile();
