#include <gtest/gtest.h>

#include <windows.h>

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
        const char* folder = std::getenv("ZARVI_ARTIFACTS");
        if (!folder || !*folder)
            return;
        probe::RunHostCommand(L"/bin/mkdir -p \"" + std::wstring(folder, folder + strlen(folder)) + L"\"");
        const std::string file = std::string(folder) + "/" + info.test_suite_name() + "." + info.name() + ".png";
        std::string safe;
        for (char c : file)
            safe.push_back(c == '\\' ? '_' : c);
        probe::TakeScreenshot(safe);
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
