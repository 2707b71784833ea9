// The path list as any bytes: marks, line breaks, invalid UTF-8, odd UTF-16 lengths, NULs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/rules/AppError.h"
#include "core/rules/PathListText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto detected = pathlist::DetectEncoding(bytes);
    if (detected.markLength > bytes.size())
        __builtin_trap();
    if (detected.encoding == pathlist::Encoding::Ansi)
        return 0; // the platform's code page decodes those
    try {
        const std::wstring text = pathlist::DecodeUnicode(bytes.substr(detected.markLength), detected.encoding);
        for (const std::wstring& row : pathlist::SplitRows(text)) {
            if (row.find_first_of(L"\r\n") != std::wstring::npos)
                __builtin_trap(); // a row never holds a line break
            pathlist::ParseRow(row);
        }
    } catch (const AppError&) {
        // invalid UTF-8 after its mark: a clear error, nothing else
    }
    return 0;
}
