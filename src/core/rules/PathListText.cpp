#include "core/rules/PathListText.h"

#include "core/rules/TextConv.h"

namespace pathlist {

Detected DetectEncoding(std::string_view bytes) noexcept
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return {Encoding::Utf8, 3};
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return {Encoding::Utf16LE, 2};
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return {Encoding::Utf16BE, 2};
    return {Encoding::Ansi, 0};
}

std::wstring DecodeUnicode(std::string_view bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return Utf8ToWide(bytes);
    // UTF-16: a trailing odd byte cannot form a character and is dropped.
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(encoding == Encoding::Utf16LE ? (a | (b << 8)) : ((a << 8) | b)));
    }
    if constexpr (sizeof(wchar_t) == 2) {
        return std::wstring(units.begin(), units.end());
    } else {
        std::wstring out;
        for (size_t i = 0; i < units.size(); ++i) {
            char32_t cp = units[i];
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                units[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
                ++i;
            }
            out.push_back(static_cast<wchar_t>(cp));
        }
        return out;
    }
}

std::vector<std::wstring> SplitRows(std::wstring_view text)
{
    std::vector<std::wstring> rows;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            rows.emplace_back(text.substr(start, i - start));
            i += (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        rows.emplace_back(text.substr(start));
    return rows;
}

Row ParseRow(std::wstring_view row)
{
    if (row.substr(0, 2) == L"//")
        return {Row::Kind::Comment, {}, false};
    if (!row.empty() && row.front() == L'*')
        return {Row::Kind::Folder, std::wstring(row.substr(1)), true};
    return {Row::Kind::Folder, std::wstring(row), false};
}

std::string DefaultContent(std::wstring_view programsFolder, std::wstring_view documentsFolder)
{
    const std::wstring text = std::wstring(L"//ENTER BELOW THE DIRECTORIES IN WHICH TO LOOK\r\n") +
                              L"//Insert an asterisk (*) before a line to search recursively within the folder\r\n" +
                              L"\r\n\r\n" + std::wstring(programsFolder) + L"\r\n" + std::wstring(documentsFolder) +
                              L"\r\n";
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

} // namespace pathlist
