#include "core/UpdateHelper.h"

#include <windows.h>

#include <random>

#include "SiteUrl.h"
#include "core/AppPathHelper.h"
#include "core/HttpClient.h"
#include "core/MiniLogHelper.h"
#include "core/URLHelper.h"
#include "core/VersionHelper.h"
#include "core/rules/TextConv.h"
#include "core/rules/VersionText.h"

std::wstring SiteUrl = ZARVI_SITE_URL;
const std::wstring AppName = L"zarvi";
unsigned long UpdateTimeoutMs = 5000;

std::wstring GetAppVersion()
{
    return AppVersionOfFile(GetExeFile());
}

void GetVersionFromSite(const std::wstring& url, const std::wstring& appVersion, TVersion& record)
{
    std::wstring siteText = appVersion;
    record.Version = appVersion;
    record.NewVersion = false;
    try {
        siteText = HttpGetText(url, "Zarvi/" + WideToUtf8(appVersion), UpdateTimeoutMs, kMaxVersionFileBytes);
        record.Version = siteText;
    } catch (...) {
        // Any failure finds nothing newer; the log line of the check tells what was compared.
        siteText = appVersion;
        record.Version = appVersion;
    }
    const version::Numbers site = version::Parse(siteText);
    record.NewVersion = version::IsNewer(site, version::Parse(appVersion));
    record.Major = site[0];
    record.Minor = site[1];
    record.Patch = site[2];
}

bool UpdateCheck()
{
    AddLog(L"App version: " + GetAppVersion());
    TVersion record;
    GetVersionFromSite(SiteUrl + AppName + L".latest", GetAppVersion(), record);
    AddLog(L"Version found on site: " + record.Version);
    if (record.NewVersion) {
        const std::wstring question = L"New version found at site : " + record.Version + L"?";
        const int answer =
            ::MessageBoxW(nullptr, question.c_str(), L"Confirm", MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION);
        HandleUpdateAnswer(answer);
    }
    return record.NewVersion;
}

void HandleUpdateAnswer(int answer)
{
    // A user who said yes expects the page, every time.
    if (answer == IDYES)
        OpenUrl(SiteUrl + L"#download");
}

bool OneInNine()
{
    LARGE_INTEGER counter{};
    const auto seed = ::QueryPerformanceCounter(&counter) ? static_cast<unsigned>(counter.QuadPart)
                                                          : static_cast<unsigned>(::GetTickCount64());
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> draw(0, 8);
    return draw(random) + 1 == 8;
}
