#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "support/Probe.h"

namespace {

// Keeps a picture of the desktop for every failed test, to see what the user would have seen.
class ScreenshotOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        if (!info.result()->Failed())
            return;
        // Next to the program under test: build/<preset>/e2e-artifacts.
        const char* exe = std::getenv("ZARVI_EXE");
        if (!exe || exe[0] != '/')
            return;
        std::string folder(exe);
        folder = folder.substr(0, folder.rfind('/')) + "/e2e-artifacts";
        ::SHCreateDirectoryExW(nullptr, probe::DosPathFromUnix(folder).c_str(), nullptr);
        std::string name = std::string(info.test_suite_name()) + "." + info.name() + ".png";
        for (char& c : name)
            if (c == '/' || c == '\\')
                c = '_';
        const std::string file = std::string(folder) + "/" + name;
        // The screenshot program runs on its own: wait for its picture before the test ends.
        if (probe::TakeScreenshot(file))
            probe::WaitUntil(
                [&] { return ::GetFileAttributesW(probe::DosPathFromUnix(file).c_str()) != INVALID_FILE_ATTRIBUTES; },
                10000, 50);
    }
};

} // namespace

int main(int argc, char** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ScreenshotOnFailure);
    return RUN_ALL_TESTS();
}
