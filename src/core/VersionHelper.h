#pragma once
// The program's version block: two of its strings for the settings window, and the fixed file
// version the update check compares.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// A copy of the version block `id` among `module`'s resources; raises "Resource <id> not found".
std::vector<std::byte> LoadVersionBlock(HMODULE module, int id);
// The string `name` of the block's first translation; empty without a translation or value.
std::wstring VersionStringIn(const std::vector<std::byte>& block, const std::wstring& name);
// "major.minor" of the block's fixed file version; empty without one.
std::wstring AppVersionIn(const std::vector<std::byte>& block);
// The same, read from a file's version information; empty when it has none.
std::wstring AppVersionOfFile(const std::wstring& path);

// Of the program's own block (id 1), read afresh at each call.
std::wstring GetVersionString(const std::wstring& name);
std::wstring GetProductVersion();
std::wstring GetCopyright();
