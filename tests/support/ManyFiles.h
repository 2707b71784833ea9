#pragma once
// Folders of many thousand children for tests of large inputs. Under Wine the host's shell makes
// and removes them: through the platform each child costs a millisecond or more, through the
// host a few microseconds. Elsewhere the platform does it, slowly but the same.
#include <windows.h>

#include <string>

#include "core/Handle.h"
#include "core/rules/TextConv.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace testfiles {

// Runs `command` in the host's shell and waits for it (two minutes at most). The script and its
// end mark lie beside `folder`, so that neither is one of its children.
inline bool RunHostScript(const std::wstring& folder, const std::string& command)
{
    const std::wstring script = folder + L".host.sh", done = folder + L".host-done";
    const std::string scriptPath = UnixPath(script), donePath = UnixPath(done);
    if (scriptPath.empty() || donePath.empty())
        return false;
    WriteBytes(script, command + "; touch '" + donePath + "'\n");
    // A host process's handle tells nothing of its end: the script leaves a mark when done.
    if (!probe::RunHostCommand(L"Z:\\bin\\sh \"" + Utf8ToWide(scriptPath) + L"\"", 0))
        return false;
    bool ended = false;
    for (int waited = 0; waited < 120000 && !ended; waited += 50) {
        ::Sleep(50);
        ended = ::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    ::DeleteFileW(script.c_str());
    ::DeleteFileW(done.c_str());
    return ended;
}

// Makes `count` empty files (or folders) named stem + n + suffix, n from 0, in the existing
// `folder`. Stem and suffix hold letters, digits, spaces, dots, dashes and underscores only.
inline bool MakeNumbered(const std::wstring& folder, const std::wstring& stem, const std::wstring& suffix, int count,
                         bool folders)
{
    const std::string host = UnixPath(folder);
    if (host.empty()) {
        for (int i = 0; i < count; ++i) {
            const std::wstring child = folder + L"\\" + stem + std::to_wstring(i) + suffix;
            if (folders ? !::CreateDirectoryW(child.c_str(), nullptr)
                        : !FileHandle(::CreateFileW(child.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)))
                return false;
        }
        return true;
    }
    const bool ran = RunHostScript(folder, "cd '" + host + "' && seq 0 " + std::to_string(count - 1) +
                                               " | sed 's/.*/" + WideToUtf8(stem) + "&" + WideToUtf8(suffix) +
                                               "/' | xargs -d '\\n' " + (folders ? "mkdir" : "touch"));
    const std::wstring last = folder + L"\\" + stem + std::to_wstring(count - 1) + suffix;
    return ran && ::GetFileAttributesW(last.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a folder and everything in it.
inline void RemoveTreeFast(const std::wstring& folder)
{
    const std::string host = UnixPath(folder);
    if (host.empty() || !RunHostScript(folder, "rm -rf '" + host + "'"))
        TempDir::RemoveTree(folder);
}

} // namespace testfiles
