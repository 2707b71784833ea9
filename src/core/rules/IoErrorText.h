#pragma once
#include <string>

// The message of a failed file operation on the path list, by the platform's error code.
std::wstring IoErrorText(unsigned long code);
