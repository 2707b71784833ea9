#pragma once
// The settings file zarvi.ini, reached only through the platform's profile functions. Every
// access asks for the path, opens an accessor, does one read or write and closes it again.
#include <string>

inline constexpr const wchar_t* kSettingsSection = L"Settings";

class TSettingsAccess {
public:
    explicit TSettingsAccess(std::wstring path) : path_(std::move(path)) {}
    // Closing lets the platform drop what it cached of the file.
    ~TSettingsAccess();
    TSettingsAccess(const TSettingsAccess&) = delete;
    TSettingsAccess& operator=(const TSettingsAccess&) = delete;

    std::wstring ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback) const;
    // Raises AppError "Unable to write to <path>" when the value does not read back from the
    // file (the platform refused it); plain values only: no surrounding blanks or quotes.
    void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value);
    bool ReadBool(const wchar_t* section, const wchar_t* key, bool fallback) const;
    void WriteBool(const wchar_t* section, const wchar_t* key, bool value);

private:
    std::wstring path_;
};

// The access pattern on the program's settings file, section "Settings". With no settings
// path a read gives its fallback and a write is skipped.
std::wstring ReadSettingString(const wchar_t* key, const std::wstring& fallback);
void WriteSettingString(const wchar_t* key, const std::wstring& value);
bool ReadSettingBool(const wchar_t* key, bool fallback);
void WriteSettingBool(const wchar_t* key, bool value);
