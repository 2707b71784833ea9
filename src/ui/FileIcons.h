#pragma once
// The shell's icons for the result list. A row is drawn at once with the icon of its extension
// (the shell answers that without touching the disk, and the answer is kept); the entry's own
// icon (a folder's, a program's, a shortcut's, an icon file's) is asked for on a thread of its
// own, and `window` gets `message` when such icons have arrived, to draw them. Each icon is
// drawn once on each row background and copied from then on: blending it every time costs a
// keystroke more than the rest of a row.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/Handle.h"

class TFileIcons {
public:
    TFileIcons(HWND window, UINT message);
    ~TFileIcons();
    TFileIcons(const TFileIcons&) = delete;
    TFileIcons& operator=(const TFileIcons&) = delete;

    // Draws the icon of `path`, `size` pixels square, at x, y on a background of `back`;
    // never waits for the disk.
    void Draw(HDC dc, const std::wstring& path, int x, int y, int size, COLORREF back);
    // The shell's image index for `path` as known now (its extension's until its own arrives).
    int IconIndex(const std::wstring& path);

private:
    struct Shared;
    void Start();
    int ExtensionIndex(const std::wstring& path);
    // The icon at `index` drawn on `back`, selected into cellDc_; null when it cannot be made.
    HBITMAP Cell(int index, int size, COLORREF back);

    std::shared_ptr<Shared> shared_;
    HIMAGELIST small_ = nullptr; // the shell's own lists: never destroyed by us
    HIMAGELIST large_ = nullptr;
    std::unordered_map<std::wstring, int> byExtension_;
    std::map<std::pair<int, COLORREF>, GdiHandle> cells_; // by image index and background
    int cellSize_ = 0;
    MemoryDcHandle cellDc_;          // destroyed before the cells, so none is selected into it then
    HGDIOBJ cellDcBitmap_ = nullptr; // the DC's own bitmap
    KernelHandle thread_;
    bool started_ = false;
};
