#pragma once
// The shell's icons for the result list. A row is drawn at once with the icon of its extension
// (the shell answers that without touching the disk, and the answer is kept); the entry's own
// icon (a folder's, a program's, a shortcut's, an icon file's) is asked for on a thread of its
// own, and `window` gets `message` when such icons have arrived, to draw them.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/Handle.h"

class TFileIcons {
public:
    TFileIcons(HWND window, UINT message);
    ~TFileIcons();
    TFileIcons(const TFileIcons&) = delete;
    TFileIcons& operator=(const TFileIcons&) = delete;

    // Draws the icon of `path`, `size` pixels square, at x, y; never waits for the disk.
    void Draw(HDC dc, const std::wstring& path, int x, int y, int size);
    // The shell's image index for `path` as known now (its extension's until its own arrives).
    int IconIndex(const std::wstring& path);

private:
    struct Shared;
    void Start();
    int ExtensionIndex(const std::wstring& path);

    std::shared_ptr<Shared> shared_;
    HIMAGELIST small_ = nullptr; // the shell's own lists: never destroyed by us
    HIMAGELIST large_ = nullptr;
    std::unordered_map<std::wstring, int> byExtension_;
    std::map<int, IconHandle> scaled_; // icons of the large list, by index, for sizes above 16
    int scaledSize_ = 0;
    KernelHandle thread_;
    bool started_ = false;
};
