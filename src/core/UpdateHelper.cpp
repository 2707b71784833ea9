#include "core/UpdateHelper.h"

#include <windows.h>

#include <atomic>
#include <random>

#include "SiteUrl.h"
#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/HttpClient.h"
#include "core/MiniLogHelper.h"
#include "core/URLHelper.h"
#include "core/VersionHelper.h"
#include "core/rules/TextConv.h"
#include "core/rules/VersionText.h"

std::wstring SiteUrl = ZARVI_SITE_URL;
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

namespace {

std::atomic<HWND> AnswerWindow = nullptr;
std::atomic<UINT> AnswerMessage = 0;
std::atomic<bool> CheckRunning = false;

// What the check's thread needs, copied: it touches no global the program's end may destroy, so
// a Quit during a check ends the program at once, with the thread still waiting on the site.
struct CheckJob {
    std::wstring url;
    std::wstring appVersion;
    HWND window;
    UINT message;
};

DWORD WINAPI RunCheck(void* parameter) noexcept
{
    const std::unique_ptr<CheckJob> job(static_cast<CheckJob*>(parameter));
    try {
        auto record = std::make_unique<TVersion>();
        GetVersionFromSite(job->url, job->appVersion, *record);
        if (::PostMessageW(job->window, job->message, 0, reinterpret_cast<LPARAM>(record.get()))) {
            record.release(); // the target's now
            return 0;
        }
    } catch (...) {
    }
    CheckRunning = false; // nobody to answer to
    return 0;
}

} // namespace

void SetUpdateAnswerTarget(HWND window, UINT message) noexcept
{
    AnswerWindow = window;
    AnswerMessage = message;
}

bool UpdateCheck()
{
    AddLog(L"App version: " + GetAppVersion());
    const HWND window = AnswerWindow;
    if (!window || CheckRunning)
        return false;
    auto job =
        std::make_unique<CheckJob>(CheckJob{SiteUrl + kAppName + L".latest", GetAppVersion(), window, AnswerMessage});
    CheckRunning = true;
    const KernelHandle thread(::CreateThread(nullptr, 0, &RunCheck, job.get(), 0, nullptr));
    if (!thread) {
        CheckRunning = false;
        return false;
    }
    job.release(); // the thread's now
    return true;
}

bool UpdateCheckRunning() noexcept
{
    return CheckRunning;
}

std::unique_ptr<TVersion> TakeUpdateAnswer(LPARAM answer) noexcept
{
    CheckRunning = false;
    return std::unique_ptr<TVersion>(reinterpret_cast<TVersion*>(answer));
}

bool LogVersionFound(const TVersion& record)
{
    AddLog(L"Version found on site: " + record.Version);
    return record.NewVersion;
}

std::wstring UpdateQuestionText(const TVersion& record)
{
    return L"New version found at site : " + record.Version + L"?";
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
