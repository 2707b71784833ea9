#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/Handle.h"
#include "support/Probe.h"
#include "support/SearchHost.h"
#include "support/TestFiles.h"
#include "ui/FileIcons.h"
#include "ui/Picture.h"
#include "ui/SmartCombo.h"

namespace {

using Items = std::vector<std::wstring>;

// The pixels of a 32-bit bitmap of `width` x `height` once `draw` has drawn on it.
template <typename Draw> std::vector<uint32_t> DrawnPixels(int width, int height, const Draw& draw)
{
    void* bits = nullptr;
    const GdiHandle bitmap = CreatePixelBitmap(width, height, bits);
    const MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    const SelectedObject selected(dc.get(), bitmap.get());
    draw(dc.get());
    ::GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    return std::vector<uint32_t>(p, p + width * height);
}

// A row drawn as the platform asks for it, into a bitmap of its own.
class DrawnRow {
public:
    DrawnRow(const TSmartComboBox& box, UINT index, bool selected) : width_(600), height_(28)
    {
        pixels_ = DrawnPixels(width_, height_, [&](HDC dc) {
            DRAWITEMSTRUCT item{};
            item.CtlType = ODT_COMBOBOX;
            item.itemID = index;
            item.itemAction = ODA_DRAWENTIRE;
            item.itemState = selected ? ODS_SELECTED : 0;
            item.hwndItem = box.Combo();
            item.hDC = dc;
            item.rcItem = {0, 0, width_, height_};
            ::SendMessageW(box.Handle(), WM_DRAWITEM, 1, reinterpret_cast<LPARAM>(&item));
        });
    }

    uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }
    uint32_t Background() const { return At(width_ - 1, 0); }
    // Columns of each colour other than the background: colour -> {first x, last x, pixels}.
    struct Seen {
        int first = 1 << 30, last = -1, count = 0;
    };
    std::map<uint32_t, Seen> Colours() const
    {
        std::map<uint32_t, Seen> seen;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (const uint32_t c = At(x, y); c != Background()) {
                    auto& s = seen[c];
                    s.first = std::min(s.first, x);
                    s.last = std::max(s.last, x);
                    ++s.count;
                }
        return seen;
    }
    // The colour most used between two columns, the background left out.
    uint32_t MainColourBetween(int from, int to) const
    {
        std::map<uint32_t, int> count;
        for (int y = 0; y < height_; ++y)
            for (int x = from; x < to; ++x)
                if (At(x, y) != Background())
                    ++count[At(x, y)];
        uint32_t best = Background();
        int most = 0;
        for (const auto& [c, n] : count)
            if (n > most)
                most = n, best = c;
        return best;
    }

private:
    int width_, height_;
    std::vector<uint32_t> pixels_;
};

class ResultRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.box->SetStoredItems(entries);
        SearchHost::Settle();
    }
    const Items entries{L"", L"C:\\Projects\\report-tool\\notes.txt", L"C:\\Letters\\Reply 2026.docx"};
    SearchHost host;
};

TEST_F(ResultRows, RowsAreDrawnByTheBoxAndKeepTheFullPathAsTheirText)
{
    const LONG_PTR style = ::GetWindowLongPtrW(host.box->Combo(), GWL_STYLE);
    EXPECT_TRUE(style & CBS_OWNERDRAWFIXED);
    EXPECT_TRUE(style & CBS_HASSTRINGS);
    EXPECT_EQ(host.Shown(), entries);
    host.Type(L"rep");
    EXPECT_EQ(host.Shown(), (Items{entries[1], entries[2]}));
    EXPECT_EQ(host.box->Text(), L"rep") << "the typed text is the edit field's own";
}

TEST_F(ResultRows, TheNameComesFirstThenItsFolderDimmerWithTheTypedWordsMarked)
{
    // List style: nothing typed, nothing marked.
    const DrawnRow plain(*host.box, 1, false);
    const auto plainColours = plain.Colours();
    ASSERT_FALSE(plainColours.empty()) << "nothing was drawn";
    // Icon at the left, then the name ("notes.txt") in one colour and the folder in another.
    const int iconEnd = 4 + 16;
    EXPECT_NE(plain.MainColourBetween(0, iconEnd), plain.Background()) << "no icon";
    const uint32_t name = plain.MainColourBetween(iconEnd + 6, iconEnd + 40);
    const uint32_t folder = plain.MainColourBetween(iconEnd + 120, iconEnd + 200);
    EXPECT_NE(name, plain.Background());
    EXPECT_NE(folder, plain.Background());
    EXPECT_NE(name, folder) << "the folder is not set apart from the name";

    // Typing "notes rep": both words are marked, in a colour no unmarked row uses.
    host.Type(L"notes rep");
    ASSERT_EQ(host.Shown(), (Items{entries[1]}));
    const DrawnRow marked(*host.box, 0, false);
    int markedPixels = 0, firstMarked = 1 << 30, lastMarked = -1;
    for (const auto& [colour, seen] : marked.Colours())
        if (!plainColours.count(colour)) {
            markedPixels += seen.count;
            firstMarked = std::min(firstMarked, seen.first);
            lastMarked = std::max(lastMarked, seen.last);
        }
    EXPECT_GT(markedPixels, 40) << "the typed words are not marked";
    EXPECT_LT(firstMarked, iconEnd + 20) << "\"notes\" begins the name";
    EXPECT_GT(lastMarked, iconEnd + 120) << "\"rep\" lies in the folder, after the name";
}

TEST_F(ResultRows, TheSelectedRowHasABackgroundOfItsOwn)
{
    const DrawnRow plain(*host.box, 1, false);
    const DrawnRow selected(*host.box, 1, true);
    EXPECT_NE(selected.Background(), plain.Background());
    EXPECT_FALSE(selected.Colours().empty());
}

TEST(FileIcons, AnExtensionAnswersAtOnceAndTheEntrysOwnIconFollows)
{
    testfiles::TempDir dir;
    testfiles::MakeFolder(dir / L"archive.zip"); // a folder whose name looks like a file's
    testfiles::Touch(dir / L"plain.zip");
    testfiles::Touch(dir / L"notes.txt");
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    constexpr UINT kArrived = WM_APP + 7;
    {
        TFileIcons icons(window, kArrived);
        const int zipGuess = icons.IconIndex(dir / L"archive.zip");
        EXPECT_EQ(zipGuess, icons.IconIndex(dir / L"plain.zip")) << "the extension's icon comes first";
        const int folderIcon = icons.IconIndex(dir.Str() + L"\\no-extension");

        // The folder's own icon arrives, with a message to draw it.
        bool told = false;
        EXPECT_TRUE(probe::WaitUntil([&] {
            MSG msg;
            while (::PeekMessageW(&msg, window, kArrived, kArrived, PM_REMOVE))
                told = true;
            return told && icons.IconIndex(dir / L"archive.zip") == folderIcon;
        }));
        EXPECT_TRUE(told);
        EXPECT_EQ(icons.IconIndex(dir / L"notes.txt"), icons.IconIndex(L"C:\\elsewhere\\other.txt"));
    }
    ::DestroyWindow(window);
}

// Icons are drawn once per background and copied after: each row must still show exactly
// what the shell's own drawing gives on that row's background, the selected row's too.
TEST(FileIcons, EachIconLooksAsTheShellDrawsItOnTheBackgroundGiven)
{
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    {
        TFileIcons icons(window, WM_APP + 7);
        const std::wstring path = L"C:\\nowhere\\notes.txt"; // no file: its extension's icon throughout
        const int index = icons.IconIndex(path);
        ASSERT_GE(index, 0);
        SHFILEINFOW info{};
        const auto small = reinterpret_cast<HIMAGELIST>(
            ::SHGetFileInfoW(L"x.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                             SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        const auto large = reinterpret_cast<HIMAGELIST>(
            ::SHGetFileInfoW(L"x.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                             SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_LARGEICON));

        // Pixels of a `size` square filled with `back`, then drawn on by `draw`.
        const auto pixels = [](int size, COLORREF back, const auto& draw) {
            return DrawnPixels(size, size, [&](HDC dc) {
                const RECT all{0, 0, size, size};
                const GdiHandle brush(::CreateSolidBrush(back));
                ::FillRect(dc, &all, static_cast<HBRUSH>(brush.get()));
                draw(dc);
            });
        };
        struct Case {
            const char* name;
            int size;
            COLORREF back;
        } const cases[] = {
            {"Row", 16, RGB(30, 30, 30)},
            {"SelectedRow", 16, RGB(0, 90, 200)},
            {"RowAgain", 16, RGB(30, 30, 30)},
            {"HighDpiRow", 24, RGB(30, 30, 30)},
            {"HighDpiSelected", 24, RGB(0, 90, 200)},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const auto drawn = pixels(c.size, c.back, [&](HDC dc) { icons.Draw(dc, path, 0, 0, c.size, c.back); });
            const auto shell = pixels(c.size, c.back, [&](HDC dc) {
                if (c.size == 16) {
                    ::ImageList_Draw(small, index, dc, 0, 0, ILD_TRANSPARENT);
                } else {
                    const IconHandle icon(::ImageList_GetIcon(large, index, ILD_TRANSPARENT));
                    ::DrawIconEx(dc, 0, 0, icon.get(), c.size, c.size, 0, nullptr, DI_NORMAL);
                }
            });
            const auto blank = pixels(c.size, c.back, [](HDC) {});
            EXPECT_NE(shell, blank) << "the shell drew no icon to compare with";
            EXPECT_EQ(drawn, shell);
        }
    }
    ::DestroyWindow(window);
}

} // namespace
