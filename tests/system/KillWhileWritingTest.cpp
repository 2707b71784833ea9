// The program's files are never left partly written: a writer using the program's own code is
// killed at random points, over and over, and each time the file must be the old one or the new.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <random>
#include <string>

#include "core/Handle.h"
#include "core/SettingsFile.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

std::wstring WriteLoopExe()
{
    const std::string path = ZARVI_WRITE_LOOP;
    return path.front() == '/' ? probe::DosPathFromUnix(path) : Utf8ToWide(path);
}

class KillWhileWriting : public AppFolderSandbox {
protected:
    // Starts the loop, lets it write for a random moment after its first write, kills it and
    // hands what it left to `check`, `kills` times; `reset` puts the old file back before each.
    void KillAtRandom(int kills, const wchar_t* kind, const std::wstring& file, const std::function<void()>& reset,
                      const std::function<void(const std::string& left)>& check)
    {
        std::mt19937 random(20261210);
        for (int kill = 0; kill < kills && !HasFatalFailure(); ++kill) {
            reset();
            const std::wstring eventName = L"zarvi-write-loop-" + std::to_wstring(::GetCurrentProcessId());
            const KernelHandle started(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
            std::wstring commandLine = L"\"" + WriteLoopExe() + L"\" " + kind + L" \"" + file + L"\" " + eventName;
            STARTUPINFOW si{};
            si.cb = sizeof(si);
            PROCESS_INFORMATION pi{};
            ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                         nullptr, nullptr, &si, &pi))
                << ::GetLastError();
            const KernelHandle process(pi.hProcess), thread(pi.hThread);
            const HANDLE waits[] = {started.get(), process.get()};
            ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0)
                << "the writer did not write (ended or hung)";
            ::Sleep(std::uniform_int_distribution<DWORD>(0, 40)(random));
            ::TerminateProcess(process.get(), 9);
            ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
            SCOPED_TRACE("kill " + std::to_string(kill));
            check(testfiles::ReadBytes(file));
        }
    }
};

TEST_F(KillWhileWriting, TheSettingsFileIsTheOldOrTheNewOneAndTheNextWriteWorks)
{
    // Many keys, so that writing the file takes long enough to be cut.
    std::string lines;
    for (int i = 0; i < 3000; ++i)
        lines += "Key" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
    const std::wstring file = appFolder + L"\\zarvi.ini";
    // The two versions the loop alternates between, as the profile writer lays them out.
    const auto writeHotkey = [&](const wchar_t* value) {
        TSettingsAccess(file).WriteString(kSettingsSection, L"Hotkey", value);
        return testfiles::ReadBytes(file);
    };
    WriteSettings(lines);
    const std::string withM = writeHotkey(L"m");
    const std::string withK = writeHotkey(L"k");
    ASSERT_NE(withK.find("Hotkey=k"), std::string::npos);
    KillAtRandom(
        25, L"settings", file, [&] { testfiles::WriteBytes(file, withK); },
        [&](const std::string& left) {
            EXPECT_TRUE(left == withK || left == withM) << "cut to " << left.size() << " of " << withK.size();
        });
    // Whatever a kill left beside the file does not stand in the way.
    EXPECT_EQ(writeHotkey(L"q"),
              withK.substr(0, withK.find("Hotkey=k")) + "Hotkey=q" + withK.substr(withK.find("Hotkey=k") + 8));
    EXPECT_EQ(ReadSettingString(L"Hotkey", L""), L"q");
}

TEST_F(KillWhileWriting, ThePathListHoldsWholeRowsOnly)
{
    std::string old = "\xEF\xBB\xBF";
    for (int i = 0; i < 20000; ++i)
        old += "C:\\Users\\me\\Documents\\Projects\\kept " + std::to_string(i) + "\r\n";
    const std::wstring file = appFolder + L"\\zarvi.txt";
    int appendedSomewhere = 0;
    KillAtRandom(
        25, L"pathlist", file, [&] { testfiles::WriteBytes(file, old); },
        [&](const std::string& left) {
            ASSERT_GE(left.size(), old.size()) << "the old rows were cut";
            ASSERT_EQ(left.compare(0, old.size(), old), 0) << "the old rows were changed";
            // The loop appends "C:\folder 0", "C:\folder 1", ...: whole rows, in order.
            std::string expected = old;
            for (int i = 0; expected.size() < left.size(); ++i)
                expected += "C:\\folder " + std::to_string(i) + "\r\n";
            EXPECT_EQ(left, expected) << "a row is cut";
            appendedSomewhere += left.size() > old.size();
        });
    EXPECT_GT(appendedSomewhere, 0) << "the loop was never killed after an append";
}

TEST_F(KillWhileWriting, TheGuideIsWholeOrNotThere)
{
    const std::string builtPath = ZARVI_GUIDE_PDF; // a Linux path when cross-built
    const std::string guide =
        testfiles::ReadBytes(builtPath.front() == '/' ? probe::DosPathFromUnix(builtPath) : Utf8ToWide(builtPath));
    ASSERT_GT(guide.size(), 1000u) << "the built guide was not found";
    const std::wstring file = appFolder + L"\\zarvi.pdf";
    // One write among much else per round, so more kills: a file cut in place is met in about
    // one kill of ten.
    KillAtRandom(
        60, L"guide", file, [&] { ::DeleteFileW(file.c_str()); },
        [&](const std::string& left) {
            // An empty guide would never be written again: only a missing one is.
            const bool there = ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
            EXPECT_TRUE(!there || left == guide) << "cut to " << left.size() << " of " << guide.size();
        });
}

} // namespace
