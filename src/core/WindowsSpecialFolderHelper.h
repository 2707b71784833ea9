#pragma once
#include <string>

// The current path of a shell special folder (a CSIDL value) for this user; empty when the
// lookup gives nothing.
std::wstring GetSpecialFolder(int csidl);
