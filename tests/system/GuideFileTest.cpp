#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "core/GuideFile.h"
#include "core/WinError.h"
#include "support/AppFolderSandbox.h"
#include "support/OpenedLog.h"
#include "support/Raised.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

std::string EmbeddedBytes()
{
    const HRSRC found = ::FindResourceW(nullptr, L"RCMANUAL", MAKEINTRESOURCEW(10));
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    return std::string(data, ::SizeofResource(nullptr, found));
}

class Guide : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        opened::Clear();
        file = appFolder + L"\\zarvi.pdf";
    }
    std::wstring file;
};

TEST_F(Guide, IsWrittenOnceByteForByteAndComesBackWhenDeleted)
{
    EXPECT_EQ(GetGuideFile(), file);
    ExtractGuide();
    const std::string embedded = EmbeddedBytes();
    ASSERT_GT(embedded.size(), 20u);
    EXPECT_EQ(testfiles::ReadBytes(file), embedded);
    EXPECT_FALSE(fs::exists(file + L".new"));

    fs::remove(file);
    ShowGuide();
    EXPECT_EQ(testfiles::ReadBytes(file), embedded) << "written again before opening";
    EXPECT_EQ(opened::WaitForPaths(1), std::vector<std::wstring>{file});
}

TEST_F(Guide, UsersOwnFileOfThatNameStaysAndIsWhatOpens)
{
    testfiles::WriteBytes(file, "my own notes");
    ExtractGuide();
    ShowGuide();
    EXPECT_EQ(testfiles::ReadBytes(file), "my own notes");
    EXPECT_EQ(opened::WaitForPaths(1), std::vector<std::wstring>{file});
}

TEST_F(Guide, FolderOfThatNameCannotBeReplacedAndNothingOpens)
{
    testfiles::MakeFolder(file);
    const std::wstring expected = L"Cannot create file \"" + file + L"\". " + SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_EQ(RaisedMessage([] { ExtractGuide(); }), expected);
    EXPECT_EQ(RaisedMessage([] { ShowGuide(); }), expected);
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_FALSE(fs::exists(file + L".new"));
    EXPECT_FALSE(probe::WaitUntil([] { return !opened::Paths().empty(); }, 800));
}

TEST(GuideOnAFullDisk, WriteThatFailsPartWayLeavesNoGuideBehind)
{
    const std::wstring full = testfiles::FullDiskFolder();
    if (full.empty())
        GTEST_SKIP() << "this bench has no full disk (drive F: needs root to mount)";
    testfiles::DocumentsAt documents(full);
    EXPECT_EQ(RaisedMessage([] { ExtractGuide(); }), L"Stream write error");
    // A cut guide would be kept for ever: later starts only test that the file exists.
    EXPECT_FALSE(fs::exists(full + L"\\zarvi\\zarvi.pdf"));
    EXPECT_FALSE(fs::exists(full + L"\\zarvi\\zarvi.pdf.new"));
    fs::remove_all(full + L"\\zarvi");
}

} // namespace
