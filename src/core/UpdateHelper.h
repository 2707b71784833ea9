#pragma once
// The update check: the version published on the maker's web site against the running one.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// The site's base address, a plain http:// URL ending with "/"; fixed when the program is built
// (empty in a build without a site: its check fails at once, asking no host).
extern std::wstring SiteUrl;
// The program's short name: it names the published version file, AppName + ".latest".
extern const std::wstring AppName;
// Connecting and reading each end after this long; the check then fails like any other.
extern unsigned long UpdateTimeoutMs;
// A version file is a few bytes: a larger answer fails the request.
inline constexpr size_t kMaxVersionFileBytes = 64 * 1024;

struct TVersion {
    std::wstring Version; // the text found on the site; the application version when the request failed
    bool NewVersion = false;
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Patch = 0;
};

// "major.minor" of the running executable's fixed file version; empty without one.
std::wstring GetAppVersion();

// Fetches `url` and compares what it holds with `appVersion`; a failed request finds nothing newer.
void GetVersionFromSite(const std::wstring& url, const std::wstring& appVersion, TVersion& record);

// A check's request, name resolution included, runs on a thread of its own and never holds the
// user-interface thread (a site that accepts and never answers holds it for the whole time-out).
// What it found is posted to this window as `message`, lParam the record (TakeUpdateAnswer);
// the bar is the one target, whoever started the check.
void SetUpdateAnswerTarget(HWND window, UINT message) noexcept;

// Logs the application version and starts a check; its answer comes as the target's message.
// False when no check was started: one is running already (its answer serves this one too), or
// there is no target to answer to.
bool UpdateCheck();
// A check started and not yet answered.
bool UpdateCheckRunning() noexcept;
// The record an answer message carries, taken over; the check is over from here on.
std::unique_ptr<TVersion> TakeUpdateAnswer(LPARAM answer) noexcept;
// Logs the version found; true when the user is to be asked whether to fetch it.
bool LogVersionFound(const TVersion& record);
// The question, "New version found at site : " + the version + "?".
std::wstring UpdateQuestionText(const TVersion& record);

// The answer to the question (6 Yes, 7 No, 2 Cancel): Yes opens the download page.
void HandleUpdateAnswer(int answer);

// A draw that succeeds about once in nine; reseeded from the clock at every call.
bool OneInNine();
