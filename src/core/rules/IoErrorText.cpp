#include "core/rules/IoErrorText.h"

std::wstring IoErrorText(unsigned long code)
{
    switch (code) {
    case 2:
        return L"File not found";
    case 3:
        return L"Invalid filename";
    case 4:
        return L"Too many open files";
    case 5:
        return L"File access denied";
    case 100:
        return L"Read beyond end of file";
    case 101:
        return L"Disk full";
    case 106:
        return L"Invalid numeric input";
    default:
        return L"I/O error " + std::to_wstring(code);
    }
}
