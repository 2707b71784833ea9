#include "ui/FileIcons.h"

#include <objbase.h>
#include <shellapi.h>

#include <deque>
#include <unordered_set>

#include "core/Lock.h"
#include "core/rules/Ascii.h"

namespace {

// Icons times backgrounds (the row's and the selected row's) seen in one sitting; a theme
// change leaves the old ones behind, so the cells are dropped now and then.
constexpr size_t kMaxCells = 512;

int ShellIndex(const wchar_t* path, DWORD attributes, UINT flags)
{
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(path, attributes, &info, sizeof(info), flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

} // namespace

// What the user-interface thread and the icon thread share, under `lock`; the thread holds it
// too, so a shell call that hangs on a dead share outlives the list without harm.
struct TFileIcons::Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    KernelHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    bool quit = false;
    HWND window = nullptr;
    UINT message = 0;
    std::deque<std::wstring> wanted;
    std::unordered_set<std::wstring> asked;
    std::unordered_map<std::wstring, int> byPath;

    static DWORD WINAPI Run(void* self) noexcept
    {
        std::shared_ptr<Shared> shared(*static_cast<std::shared_ptr<Shared>*>(self));
        delete static_cast<std::shared_ptr<Shared>*>(self);
        // Shortcuts' icons come through COM objects of the shell.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        shared->Work();
        if (SUCCEEDED(com))
            ::CoUninitialize();
        return 0;
    }

    void Work() noexcept
    {
        for (;;) {
            std::wstring path;
            HWND to = nullptr;
            UINT what = 0;
            {
                const ExclusiveLock held(lock);
                if (quit)
                    return;
                if (!wanted.empty()) {
                    path = std::move(wanted.front());
                    wanted.pop_front();
                }
            }
            if (path.empty()) {
                ::WaitForSingleObject(wake.get(), INFINITE);
                continue;
            }
            const int index = ShellIndex(path.c_str(), 0, 0);
            bool last = false;
            {
                const ExclusiveLock held(lock);
                try {
                    byPath[path] = index;
                } catch (...) {
                }
                last = wanted.empty();
                to = window;
                what = message;
            }
            // One redraw for a batch of icons, not one per icon.
            if (last && to)
                ::PostMessageW(to, what, 0, 0);
        }
    }
};

TFileIcons::TFileIcons(HWND window, UINT message) : shared_(std::make_shared<Shared>())
{
    shared_->window = window;
    shared_->message = message;
}

// The shell's lists and the thread are made at the first row drawn, not at the program's start.
void TFileIcons::Start()
{
    if (started_)
        return;
    started_ = true;
    SHFILEINFOW info{};
    small_ =
        reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"x.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                                                      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    large_ =
        reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"x.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                                                      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    auto* handOver = new std::shared_ptr<Shared>(shared_);
    thread_.reset(::CreateThread(nullptr, 0, &Shared::Run, handOver, 0, nullptr));
    if (!thread_)
        delete handOver; // no thread: rows keep their extension's icon
}

TFileIcons::~TFileIcons()
{
    {
        const ExclusiveLock held(shared_->lock);
        shared_->quit = true;
        shared_->window = nullptr;
    }
    ::SetEvent(shared_->wake.get());
    if (thread_)
        ::WaitForSingleObject(thread_.get(), 1000);
}

int TFileIcons::ExtensionIndex(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/:");
    const size_t dot = path.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    // Without an extension the entry is most likely a folder; its own icon follows if not.
    const std::wstring key = hasExtension ? ascii::Upper(std::wstring_view(path).substr(dot)) : L"\\";
    if (const auto found = byExtension_.find(key); found != byExtension_.end())
        return found->second;
    const int index = hasExtension ? ShellIndex((L"x" + key).c_str(), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES)
                                   : ShellIndex(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
    byExtension_.emplace(key, index);
    return index;
}

int TFileIcons::IconIndex(const std::wstring& path)
{
    Start();
    {
        const ExclusiveLock held(shared_->lock);
        if (const auto found = shared_->byPath.find(path); found != shared_->byPath.end() && found->second >= 0)
            return found->second;
        if (thread_ && shared_->asked.insert(path).second) {
            shared_->wanted.push_back(path);
            ::SetEvent(shared_->wake.get());
        }
    }
    return ExtensionIndex(path);
}

HBITMAP TFileIcons::Cell(int index, int size, COLORREF back)
{
    if (!cellDc_)
        cellDc_.reset(::CreateCompatibleDC(nullptr));
    if (!cellDc_)
        return nullptr;
    if (size != cellSize_ || cells_.size() >= kMaxCells) {
        // A bitmap still selected into the DC would outlive its deletion.
        if (cellDcBitmap_)
            ::SelectObject(cellDc_.get(), cellDcBitmap_);
        cells_.clear();
        cellSize_ = size;
    }
    auto& cell = cells_[{index, back}];
    const bool made = !cell;
    if (made)
        cell.reset(::CreateCompatibleBitmap(WindowDC(nullptr).get(), size, size));
    const HGDIOBJ before = cell ? ::SelectObject(cellDc_.get(), cell.get()) : nullptr;
    if (!before) {
        cells_.erase({index, back});
        return nullptr;
    }
    if (!cellDcBitmap_)
        cellDcBitmap_ = before;
    if (!made)
        return static_cast<HBITMAP>(cell.get());
    const HDC dc = cellDc_.get();
    const RECT all{0, 0, size, size};
    {
        const GdiHandle brush(::CreateSolidBrush(back));
        ::FillRect(dc, &all, static_cast<HBRUSH>(brush.get()));
    }
    if (size <= 16 || !large_) {
        ::ImageList_Draw(small_, index, dc, 0, 0, ILD_TRANSPARENT);
    } else {
        // Larger sizes (high DPI) come from the large list, scaled down.
        const IconHandle icon(::ImageList_GetIcon(large_, index, ILD_TRANSPARENT));
        if (icon)
            ::DrawIconEx(dc, 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    }
    return static_cast<HBITMAP>(cell.get());
}

void TFileIcons::Draw(HDC dc, const std::wstring& path, int x, int y, int size, COLORREF back)
{
    const int index = IconIndex(path);
    if (index < 0 || !Cell(index, size, back))
        return;
    ::BitBlt(dc, x, y, size, size, cellDc_.get(), 0, 0, SRCCOPY);
}
