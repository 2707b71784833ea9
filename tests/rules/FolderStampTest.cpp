#include <gtest/gtest.h>

#include "core/rules/FolderStamp.h"

namespace {

using namespace folderstamp;

TEST(FolderStamp, OnlyLocalFileSystemsThatKeepFolderTimesAreTrusted)
{
    struct Case {
        const wchar_t* fileSystem;
        bool remote;
        bool keeps;
    };
    const Case cases[] = {
        {L"NTFS", false, true},   {L"ntfs", false, true}, {L"ReFS", false, true},
        {L"NTFS", true, false}, // a share may answer from the client's cache
        {L"FAT32", false, false}, {L"FAT", false, false}, {L"exFAT", false, false},
        {L"UDF", false, false},   {L"", false, false},    {L"NTFS ", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepsFolderTimes(c.fileSystem, c.remote), c.keeps) << testing::PrintToString(c.fileSystem);
}

TEST(FolderStamp, ATimeVouchesOnlyOnceItIsSettled)
{
    const uint64_t look = 1000 * kSecond;
    struct Case {
        uint64_t lastWrite;
        bool settled;
    };
    const Case cases[] = {
        {look - kSettleTime, true},
        {look - 60 * kSecond, true},
        {look - kSettleTime + 1, false}, // could share its time with a write during the look
        {look, false},
        {look + kSecond, false}, // a clock ahead of ours (another machine's)
        {0, false},              // no time at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(Settled(c.lastWrite, look), c.settled) << c.lastWrite;
}

TEST(FolderStamp, EntriesStandOnlyForTheSameFolderAtTheSameTime)
{
    const Stamp before{7, 42, 5000, true};
    struct Case {
        const char* name;
        Stamp before;
        Stamp now;
        bool unchanged;
    };
    const Case cases[] = {
        {"the same", before, {7, 42, 5000, true}, true},
        {"now read without vouching", before, {7, 42, 5000, false}, true},
        {"a child added", before, {7, 42, 5001, true}, false},
        {"another folder under the name", before, {7, 43, 5000, true}, false},
        {"another volume", before, {8, 42, 5000, true}, false},
        {"scanned under a time that did not vouch", {7, 42, 5000, false}, {7, 42, 5000, true}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Unchanged(c.before, c.now), c.unchanged) << c.name;
}

TEST(FolderStamp, AVolumeRootIsReadFromThePathsText)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* root;
        bool share;
    };
    const Case cases[] = {
        {L"C:\\Users\\me\\Documents", L"C:\\", false},
        {L"d:", L"d:\\", false},
        {L"C:/Users", L"C:\\", false},
        {L"\\\\server\\share\\folder", L"\\\\server\\share\\", true},
        {L"\\\\server\\share", L"\\\\server\\share\\", true},
        {L"//server/share/folder", L"//server/share\\", true},
        {L"\\\\?\\C:\\long\\path", L"\\\\?\\C:\\", false},
        {L"\\\\?\\UNC\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\", true},
        {L"\\\\?\\unc\\server\\share", L"\\\\?\\unc\\server\\share\\", true},
        {L"\\\\server", L"", false}, // a server alone names no share
        {L"\\\\server\\", L"", false},
        {L"relative\\folder", L"", false},
        {L"1:\\x", L"", false},
        {L"", L"", false},
    };
    for (const auto& c : cases) {
        const VolumeRoot root = VolumeRootOf(c.path);
        EXPECT_EQ(root.root, c.root) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(root.share, c.share) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(FolderStamp, AFullLookIsDueOnceItsTimeHasPassedAcrossTheTickWrap)
{
    struct Case {
        uint32_t scannedAt, now, after;
        bool due;
    };
    const Case cases[] = {
        {1000, 1000, 60000, false},       {1000, 60999, 60000, false},       {1000, 61000, 60000, true},
        {0xFFFFFF00u, 100, 60000, false}, {0xFFFFFF00u, 60000, 60000, true}, {1000, 1000, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FullLookDue(c.scannedAt, c.now, c.after), c.due) << c.scannedAt << " " << c.now;
}

} // namespace
