#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/FreshCollection.h"
#include "core/FileHelper.h"
#include "core/FolderScanner.h"
#include "core/Handle.h"
#include "core/rules/PathListText.h"
#include "core/rules/TextConv.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::wstring>;

std::atomic<int> Scans{0};

void CountingScan(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper, ScanProgress* progress)
{
    ++Scans;
    ScanFolder(folder, list, deeper, progress);
}

// A folder whose name ends in "slow" answers after seconds, as an unreachable share would.
constexpr DWORD kSlowScanMs = 3000;
void SlowScan(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper, ScanProgress* progress)
{
    if (folder.ends_with(L"slow"))
        ::Sleep(kSlowScanMs);
    ScanFolder(folder, list, deeper, progress);
}

// A folder whose name ends in "big" holds 600,000 entries, more than half of what a list takes.
constexpr size_t kBigFolderEntries = 600000;
void BigScan(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper, ScanProgress* progress)
{
    if (!folder.ends_with(L"big")) {
        ScanFolder(folder, list, deeper, progress);
        return;
    }
    for (size_t i = 0; i < kBigFolderEntries; ++i)
        list.push_back(folder + L"\\f" + std::to_wstring(i));
}

class FolderScannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testfiles::Touch(dir / L"plain\\p1.txt");
        testfiles::Touch(dir / L"plain\\p2.txt");
        testfiles::Touch(dir / L"deep\\A\\a1.txt");
        testfiles::Touch(dir / L"deep\\B\\b1.txt");
        testfiles::Touch(dir / L"deep\\loose.txt");
        WriteList(L"// the test's folders\r\n" + (dir / L"plain") + L"\r\n*" + (dir / L"deep") + L"\r\n" +
                  (dir / L"plain") + L"\r\n");
        for (const wchar_t* folder : {L"plain", L"deep", L"deep\\A", L"deep\\B"})
            testfiles::SetOldTime(dir / folder);
    }

    void WriteList(const std::wstring& text) { testfiles::WritePathList(pathList, text); }

    Items Scanned(FolderScanner& scanner)
    {
        scanner.Request(pathList, nullptr, 0);
        EXPECT_TRUE(scanner.WaitComplete(10000));
        const EntrySnapshot list = scanner.Current();
        EXPECT_TRUE(list.complete);
        return list.entries ? *list.entries : Items{};
    }

    testfiles::TempDir dir;
    const std::wstring pathList = dir / L"zarvi.txt";
};

struct ChangeCase {
    const char* name;
    std::function<void(const testfiles::TempDir&, const std::wstring& pathList)> change;
};

// After each change, the very next list is what a collection from nothing finds: same entries,
// same order, duplicates kept, with no pause between the change and the request.
TEST_F(FolderScannerTest, EachListEqualsAFreshCollectionWhateverChangedJustBefore)
{
    const auto list = [](const std::wstring& p, const std::wstring& text) {
        testfiles::WriteBytes(p, "\xEF\xBB\xBF" + WideToUtf8(text));
    };
    const ChangeCase cases[] = {
        {"nothing", [](auto&, auto&) {}},
        {"file added to a plain folder", [](auto& d, auto&) { testfiles::Touch(d / L"plain\\p3.txt"); }},
        {"file added below a deep row", [](auto& d, auto&) { testfiles::Touch(d / L"deep\\B\\b2.txt"); }},
        {"subfolder added to a deep row", [](auto& d, auto&) { testfiles::Touch(d / L"deep\\C\\c1.txt"); }},
        {"file removed", [](auto& d, auto&) { fs::remove(d / L"plain\\p1.txt"); }},
        {"file renamed below a deep row",
         [](auto& d, auto&) { fs::rename(d / L"deep\\A\\a1.txt", d / L"deep\\A\\renamed.txt"); }},
        {"subfolder removed", [](auto& d, auto&) { fs::remove_all(d / L"deep\\C"); }},
        {"listed folder removed", [](auto& d, auto&) { fs::remove_all(d / L"plain"); }},
        {"listed folder back", [](auto& d, auto&) { testfiles::Touch(d / L"plain\\again.txt"); }},
        {"row added to the path list",
         [list](auto& d, auto& p) {
             testfiles::Touch(d / L"other\\o1.txt");
             list(p, (d / L"other") + L"\r\n" + (d / L"plain") + L"\r\n*" + (d / L"deep") + L"\r\n");
         }},
        {"listed folder replaced under its name, both at the same time",
         [](auto& d, auto&) {
             testfiles::SetOldTime(d / L"plain");
             fs::rename(d / L"plain", d / L"plain moved away");
             testfiles::Touch(d / L"plain\\new.txt");
             testfiles::SetOldTime(d / L"plain");
         }},
        {"row made a comment",
         [list](auto& d, auto& p) { list(p, L"//" + (d / L"other") + L"\r\n*" + (d / L"deep") + L"\r\n"); }},
    };
    FolderScanner scanner;
    for (const auto& c : cases) {
        c.change(dir, pathList);
        const Items scanned = Scanned(scanner);
        const CollectedEntries fresh = CollectEntries(pathList);
        EXPECT_EQ(scanned, fresh.entries) << c.name;
        EXPECT_EQ(scanner.Current().problem, fresh.problem) << c.name;
    }
}

// Hiding a child leaves the folder's time alone: it is seen at the folder's next full look (here
// at every list).
TEST_F(FolderScannerTest, HidingOrShowingAnEntryIsSeenByTheNextList)
{
    FolderScanner scanner(nullptr, 0);
    Scanned(scanner);
    const std::wstring file = dir / L"plain\\p2.txt";
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(probe::WaitUntil([&] { return Scanned(scanner) == CollectEntries(pathList).entries; }, 5000));
    const Items hidden = Scanned(scanner);
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), file), 0);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(probe::WaitUntil([&] { return Scanned(scanner) == CollectEntries(pathList).entries; }, 5000));
    EXPECT_EQ(Scanned(scanner), CollectEntries(pathList).entries);
}

TEST_F(FolderScannerTest, OnlyChangedFoldersAreScannedAgain)
{
    FolderScanner scanner(&CountingScan);
    Scanned(scanner);
    EXPECT_EQ(Scans, 2) << "plain and deep, the plain row listed twice scanned once";
    const uint64_t version = scanner.Current().version;

    Scans = 0;
    Scanned(scanner);
    EXPECT_EQ(Scans, 0);
    EXPECT_EQ(scanner.Current().version, version) << "an unchanged list keeps its version";

    testfiles::Touch(dir / L"deep\\A\\a2.txt");
    Scanned(scanner);
    EXPECT_EQ(Scans, 1);
    EXPECT_NE(scanner.Current().version, version);
}

TEST_F(FolderScannerTest, ASlowFolderHoldsUpNoOtherAndItsEntriesFollow)
{
    testfiles::Touch(dir / L"slow\\s1.txt");
    WriteList((dir / L"slow") + L"\r\n" + (dir / L"plain") + L"\r\n");
    FolderScanner scanner(&SlowScan);
    const DWORD start = ::GetTickCount();
    scanner.Request(pathList, nullptr, 0);
    // The folder after the slow one is known long before the slow one answers.
    ASSERT_TRUE(probe::WaitUntil(
        [&] {
            const EntrySnapshot now = scanner.Current();
            return now.entries && now.entries->size() == 3;
        },
        kSlowScanMs / 2));
    const EntrySnapshot partial = scanner.Current();
    EXPECT_FALSE(partial.complete);
    EXPECT_EQ(*partial.entries, (Items{L"", dir / L"plain\\p1.txt", dir / L"plain\\p2.txt"}));
    EXPECT_LT(::GetTickCount() - start, kSlowScanMs);

    ASSERT_TRUE(scanner.WaitComplete(kSlowScanMs * 3));
    EXPECT_EQ(*scanner.Current().entries,
              (Items{L"", dir / L"slow\\s1.txt", dir / L"plain\\p1.txt", dir / L"plain\\p2.txt"}));
}

// A scan that pauses after each subfolder of a deep row, as a slow disk would.
constexpr DWORD kSubfolderPauseMs = 80;
class PausingProgress final : public ScanProgress {
public:
    explicit PausingProgress(ScanProgress* next) : next_(next) {}
    void Reached(std::vector<std::wstring>& list) override
    {
        ::Sleep(kSubfolderPauseMs);
        if (next_)
            next_->Reached(list);
    }

private:
    ScanProgress* next_;
};
void PausingScan(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper, ScanProgress* progress)
{
    PausingProgress pausing(progress);
    ScanFolder(folder, list, deeper, &pausing);
}

// The first look at a deep row over many folders, seconds long, shows what it has found while it
// runs: each list the one before with more after it, the last the whole collection.
TEST_F(FolderScannerTest, ALongFirstLookShowsWhatItFoundSoFarEachListGrowingTheOneBefore)
{
    for (int f = 0; f < 50; ++f)
        for (int i = 0; i < 80; ++i)
            testfiles::Touch(dir / (L"many\\folder " + std::to_wstring(f) + L"\\file " + std::to_wstring(i) + L".txt"));
    WriteList((dir / L"plain") + L"\r\n*" + (dir / L"many") + L"\r\n");
    FolderScanner scanner(&PausingScan);
    scanner.Request(pathList, nullptr, 0);
    std::vector<Items> partials;
    uint64_t seen = 0;
    while (!scanner.WaitComplete(5)) {
        const EntrySnapshot now = scanner.Current();
        if (now.version != seen && now.entries && !now.complete) {
            seen = now.version;
            partials.push_back(*now.entries);
        }
    }
    const Items whole = *scanner.Current().entries;
    EXPECT_EQ(whole, CollectEntries(pathList).entries);
    ASSERT_GE(partials.size(), 2u) << "the deep row's entries arrive in parts";
    EXPECT_GT(partials.back().size(), partials.front().size());
    for (size_t k = 0; k < partials.size(); ++k) {
        const Items& next = k + 1 < partials.size() ? partials[k + 1] : whole;
        ASSERT_LT(partials[k].size(), next.size()) << "list " << k;
        EXPECT_TRUE(std::equal(partials[k].begin(), partials[k].end(), next.begin())) << "list " << k;
    }
}

TEST_F(FolderScannerTest, ANewerRequestIsNeverAnsweredWithAnOlderList)
{
    FolderScanner scanner;
    Scanned(scanner);
    testfiles::Touch(dir / L"plain\\p9.txt");
    scanner.Request(pathList, nullptr, 0);
    EXPECT_FALSE(scanner.Current().complete) << "the last list is out of date once a newer one is asked for";
    ASSERT_TRUE(scanner.WaitComplete(10000));
    const Items now = *scanner.Current().entries;
    EXPECT_NE(std::find(now.begin(), now.end(), dir / L"plain\\p9.txt"), now.end());
}

// More than a list takes stops the collection there with the reason, as an error does; what
// came before stays.
TEST_F(FolderScannerTest, AMillionRowsAreCutAtTheMostAListTakesWithTheReason)
{
    std::string text = "\xEF\xBB\xBF" + WideToUtf8(dir / L"plain") + "\r\n// a comment takes no place\r\n";
    for (size_t i = 1; i < pathlist::kMaxFolderRows; ++i)
        text += i % 2 ? WideToUtf8(dir / L"plain") + "\r\n" : "C:\\nowhere\\row " + std::to_string(i) + "\r\n";
    for (int i = 0; i < 1000000 - int(pathlist::kMaxFolderRows); ++i)
        text += "*" + WideToUtf8(dir / L"deep") + "\r\n";
    testfiles::WriteBytes(pathList, text);

    FolderScanner scanner;
    const Items entries = Scanned(scanner);
    const CollectedEntries fresh = CollectEntries(pathList);
    EXPECT_EQ(scanner.Current().problem, pathlist::TooManyRowsText());
    EXPECT_EQ(fresh.problem, pathlist::TooManyRowsText());
    EXPECT_TRUE(entries == fresh.entries) << entries.size() << " entries against " << fresh.entries.size();
    // The folder listed 5,001 times is there 5,001 times; the folder after the cut is not.
    EXPECT_EQ(entries.size(), 1 + 2 * (pathlist::kMaxFolderRows / 2 + 1));
    EXPECT_EQ(std::count(entries.begin(), entries.end(), dir / L"deep\\loose.txt"), 0);
}

TEST_F(FolderScannerTest, EntriesBeyondWhatAListTakesAreCutWithTheReason)
{
    testfiles::MakeFolder(dir / L"one big");
    testfiles::MakeFolder(dir / L"two big");
    WriteList((dir / L"plain") + L"\r\n" + (dir / L"one big") + L"\r\n" + (dir / L"two big") + L"\r\n" +
              (dir / L"plain") + L"\r\n");
    FolderScanner scanner(&BigScan);
    const Items entries = Scanned(scanner);
    EXPECT_EQ(scanner.Current().problem, pathlist::TooManyEntriesText(dir / L"two big"));
    ASSERT_EQ(entries.size(), pathlist::kMaxEntries + 1);
    EXPECT_EQ(entries[1], dir / L"plain\\p1.txt");
    EXPECT_EQ(entries[3], dir / L"one big\\f0");
    // The second big folder is taken up to the most and the folder after it not at all.
    const size_t fromSecond = pathlist::kMaxEntries - 2 - kBigFolderEntries;
    EXPECT_EQ(entries.back(), dir / L"two big\\f" + std::to_wstring(fromSecond - 1));
}

// Each folder's entries are kept once, in the list that published them: folders that move
// across the cut, come back after it or are listed twice still give every list exactly.
TEST_F(FolderScannerTest, ListsStayExactAsFoldersMoveAcrossTheCut)
{
    testfiles::MakeFolder(dir / L"one big");
    testfiles::MakeFolder(dir / L"two big");
    const auto big = [&](const wchar_t* name) {
        Items entries;
        for (size_t i = 0; i < kBigFolderEntries; ++i)
            entries.push_back(dir / name + L"\\f" + std::to_wstring(i));
        return entries;
    };
    const std::map<std::wstring, Items> folders{{L"plain", {dir / L"plain\\p1.txt", dir / L"plain\\p2.txt"}},
                                                {L"one big", big(L"one big")},
                                                {L"two big", big(L"two big")}};
    const std::vector<std::vector<std::wstring>> steps{
        {L"plain", L"one big", L"two big", L"plain"}, // cut inside the second big folder
        {L"plain", L"two big", L"plain"},             // that folder whole, the cut one first
        {L"two big", L"one big", L"plain"},           // the plain folder after the cut
        {L"plain"},                                   // ...and back
        {L"plain", L"plain"},
    };
    FolderScanner scanner(&BigScan);
    for (size_t step = 0; step < steps.size(); ++step) {
        std::wstring text;
        Items expected{L""};
        for (const auto& name : steps[step]) {
            text += (dir / name) + L"\r\n";
            const Items& entries = folders.at(name);
            const size_t room = pathlist::kMaxEntries + 1 - expected.size();
            expected.insert(expected.end(), entries.begin(), entries.begin() + std::min(room, entries.size()));
        }
        WriteList(text);
        const Items entries = Scanned(scanner);
        EXPECT_TRUE(entries == expected) << "step " << step << ": " << entries.size() << " entries against "
                                         << expected.size();
    }
}

// A list that cannot be read now is not an empty list: the rows read before stand, and the
// reason is told; the next request reads again.
TEST_F(FolderScannerTest, AListThatCannotBeReadKeepsTheRowsReadBefore)
{
    struct Case {
        const char* name;
        std::function<FileHandle(const std::wstring& pathList)> spoil;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"held by another program without sharing",
         [](const std::wstring& p) {
             return FileHandle(
                 ::CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
         },
         L"Cannot open file \""},
        {"invalid UTF-8 behind its mark",
         [](const std::wstring& p) {
             testfiles::WriteBytes(p, "\xEF\xBB\xBF"
                                      "C:\\Caf\xE9\r\n");
             return FileHandle();
         },
         L"No mapping for the Unicode character"},
        {"removed",
         [](const std::wstring& p) {
             fs::remove(p);
             return FileHandle();
         },
         L"Cannot open file \""},
    };
    FolderScanner scanner;
    const Items good = Scanned(scanner);
    ASSERT_EQ(good, CollectEntries(pathList).entries);
    for (const auto& c : cases) {
        const std::string text = testfiles::ReadBytes(pathList);
        FileHandle held = c.spoil(pathList);
        EXPECT_EQ(Scanned(scanner), good) << c.name;
        const EntrySnapshot now = scanner.Current();
        EXPECT_EQ(now.problem, L"") << c.name;
        EXPECT_EQ(now.unreadList.rfind(c.reason, 0), 0u) << c.name << ": " << testing::PrintToString(now.unreadList);
        held.reset();
        testfiles::WriteBytes(pathList, text);
        EXPECT_EQ(Scanned(scanner), good) << c.name;
        EXPECT_EQ(scanner.Current().unreadList, L"") << c.name << ": read again at the next request";
    }
    // A list read again takes effect at once.
    WriteList(dir / L"deep\\A");
    EXPECT_EQ(Scanned(scanner), (Items{L"", dir / L"deep\\A\\a1.txt"}));
}

// Held for a moment only: a list held for less than a second is read as it stands.
TEST_F(FolderScannerTest, AListHeldForAMomentIsWaitedFor)
{
    FolderScanner scanner;
    FileHandle held(
        ::CreateFileW(pathList.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    KernelHandle letGo(::CreateThread(
        nullptr, 0,
        [](void* h) -> DWORD {
            ::Sleep(300);
            ::CloseHandle(static_cast<HANDLE>(h));
            return 0;
        },
        held.release(), 0, nullptr));
    EXPECT_EQ(Scanned(scanner), CollectEntries(pathList).entries);
    EXPECT_EQ(scanner.Current().problem, L"");
    EXPECT_EQ(scanner.Current().unreadList, L"");
    ::WaitForSingleObject(letGo.get(), 5000);
}

// Nothing of the scanner's stays open in a listed folder once its list is complete: on Windows an
// open handle there refuses renaming its parents and removing its drive. A folder opened with no
// sharing at all succeeds only while no one else holds it.
TEST_F(FolderScannerTest, NothingStaysOpenInAListedFolder)
{
    FolderScanner scanner;
    Scanned(scanner);
    testfiles::Touch(dir / L"plain\\p3.txt");
    Scanned(scanner);
    for (const wchar_t* folder : {L"plain", L"deep", L"deep\\A", L"deep\\B"}) {
        const std::wstring path = dir / folder;
        FileHandle alone(
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        EXPECT_TRUE(alone) << testing::PrintToString(path) << " is held: " << ::GetLastError();
    }
}

// A share that stops answering (drive S:, whose listing blocks) holds up only itself: the other
// folders' entries are listed at once in their order, their changes still reach the next list,
// and the share's entries come in their place when it answers.
TEST_F(FolderScannerTest, AFolderThatNeverAnswersHoldsUpOnlyItself)
{
    const testfiles::SilentFolder silent;
    if (silent.Path().empty())
        GTEST_SKIP() << "needs the bench's silent share (FUSE, as root)";
    WriteList(silent.Path() + L"\r\n" + (dir / L"plain") + L"\r\n");
    FolderScanner scanner;
    const auto listed = [&](const Items& expected) {
        return probe::WaitUntil(
            [&] {
                const EntrySnapshot now = scanner.Current();
                return now.entries && *now.entries == expected;
            },
            3000);
    };
    scanner.Request(pathList, nullptr, 0);
    const Items local{L"", dir / L"plain\\p1.txt", dir / L"plain\\p2.txt"};
    EXPECT_TRUE(listed(local)) << "the local folder waited for the share";
    EXPECT_FALSE(scanner.WaitComplete(200));

    testfiles::Touch(dir / L"plain\\p3.txt");
    scanner.Request(pathList, nullptr, 0);
    Items changed = local;
    changed.push_back(dir / L"plain\\p3.txt");
    EXPECT_TRUE(listed(changed)) << "a change beside the silent share did not reach the next list";
    EXPECT_FALSE(scanner.Current().complete);

    silent.LetGo();
    ASSERT_TRUE(scanner.WaitComplete(10000));
    changed.insert(changed.begin() + 1, silent.Child());
    EXPECT_EQ(*scanner.Current().entries, changed);
}

} // namespace
