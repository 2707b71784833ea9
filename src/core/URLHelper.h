#pragma once
#include <string>

// Asks the shell to open a web address ("OPEN", normal window); its answer is not examined.
void OpenUrl(const std::wstring& url);
