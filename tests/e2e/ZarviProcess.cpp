#include "ZarviProcess.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "support/Probe.h"

ZarviProcess::~ZarviProcess()
{
    Stop();
}

void ZarviProcess::Stop()
{
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

std::wstring ZarviProcess::ExePath()
{
    const char* path = std::getenv("ZARVI_EXE");
    if (!path || !*path)
        throw std::runtime_error("ZARVI_EXE is not set: run the tests through ctest");
    return path[0] == '/' ? probe::DosPathFromUnix(path)
                          : std::wstring(path, path + std::char_traits<char>::length(path));
}

void ZarviProcess::Start()
{
    std::wstring commandLine = L"\"" + ExePath() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    // Wine now and then fails to start a process at all while the machine is busy: that is the
    // bench failing, not the program, so it gets two more tries before the test fails.
    for (int attempt = 1;; ++attempt) {
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            break;
        if (attempt == 3)
            throw std::runtime_error("cannot start zarvi.exe: error " + std::to_string(::GetLastError()));
        ::Sleep(500);
    }
    process_.reset(pi.hProcess);
    KernelHandle thread(pi.hThread);
    pid_ = pi.dwProcessId;
}

std::optional<DWORD> ZarviProcess::WaitForExit(DWORD timeoutMs)
{
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}
