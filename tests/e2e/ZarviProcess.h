#pragma once
// The program under test, started the way a user starts it, and always ended by the test.
#include <windows.h>

#include <optional>
#include <string>

#include "core/Handle.h"

class ZarviProcess {
public:
    ZarviProcess() = default;
    ZarviProcess(const ZarviProcess&) = delete;
    ZarviProcess& operator=(const ZarviProcess&) = delete;
    // Ends a program that a failing test left running.
    ~ZarviProcess();

    void Start();
    // Ends the program at once if it still runs.
    void Stop();
    DWORD Pid() const noexcept { return pid_; }
    // The exit code once the program has ended within `timeoutMs`.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 10000);

    // The executable under test (Windows path), from ZARVI_EXE.
    static std::wstring ExePath();

private:
    KernelHandle process_;
    DWORD pid_ = 0;
};
