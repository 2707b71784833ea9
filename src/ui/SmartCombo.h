#pragma once
// The search box: a combo box that holds the whole entry list and, while the user types,
// shows only the entries containing every typed word. It starts in typing style; each
// hand-over of a new list puts it in list style, and the first printable character typed
// switches it back to typing style (the platform control is recreated for each switch).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/rules/SearchList.h"
#include "ui/ResultRows.h"
#include "ui/Window.h"

// The search box's name to assistive technology.
inline constexpr const wchar_t* kSearchBoxName = L"Search";

class TSmartComboBox : public Window {
public:
    // Creates the box as a child of `owner` at the given place; its height follows the font.
    TSmartComboBox(HWND owner, int x, int y, int width);
    ~TSmartComboBox() override;

    const std::vector<std::wstring>& StoredItems() const noexcept { return FStoredItems.Stored(); }
    // Copies `list` (the caller keeps its own) and shows all of it, in list style, nothing selected.
    void SetStoredItems(const std::vector<std::wstring>& list);
    // The same for a list nobody changes any more: the box keeps it rather than a copy.
    void SetStoredItems(std::shared_ptr<const std::vector<std::wstring>> list);
    // A list that arrives while the user may already be at work in the box: typing goes on with
    // the typed text matched against the new list, and in list style the selected entry stays.
    void UpdateStoredItems(std::shared_ptr<const std::vector<std::wstring>> list);
    // List style, the full list, nothing selected: the state each hand-over leaves. Done while
    // the bar is hidden, so that the next show finds the box ready.
    void ResetToFullList();
    // Leaves the typing style and shows the full list again, keeping the selected entry.
    void RestoreList();
    // Shows only the stored entries that contain every typed word.
    void FilterItems();

    // The platform control, and its edit field in typing style (null in list style).
    HWND Combo() const noexcept { return combo_; }
    HWND EditField() const noexcept { return edit_; }
    bool IsTypingStyle() const noexcept { return typing_; }
    std::wstring Text() const;
    int ItemIndex() const noexcept;

    // Work left for the idle moments: replaced combos to empty, the next one to make ahead.
    bool IsIdleWorkPending() const noexcept { return !retired_.empty() || !spare_ || RowsPending(); }
    // Whether rows of a list handed over are still to go into the control, between the user's keys.
    bool RowsPending() const noexcept { return !pendingRows_.empty(); }

    void SetBounds(int x, int y, int width);
    void SetFont(HFONT font);
    void FocusBox();
    // The look changed: the platform's parts (dark or not) are made again, the rows drawn again.
    void LookChanged();
    int Height() const noexcept;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    LRESULT ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void StoredItemsChanged();
    std::wstring SelectedEntry() const;
    void SelectEntry(const std::wstring& entry);
    // Key-press handler: true when the character was consumed.
    bool KeyPress(wchar_t ch);
    // The entry the action keys and the menu act on: the selected row's, else the box's text when
    // it names an existing file or folder; empty when there is none.
    std::wstring ActionTarget() const;
    void HideBar() const;
    // Ctrl+Enter (its folder) and Ctrl+Shift+Enter (as administrator): true when taken.
    bool EntryKeyDown(WPARAM key);
    // Ctrl+C: the entry's path, unless text is selected in the edit field (false: the edit copies it).
    bool CopyEntryPath();
    // The shell's menu of the entry under the pointer (`where` in screen coordinates) or, from the
    // keyboard (-1), of the action target; false when the control's own menu should show.
    bool ContextMenu(HWND from, LPARAM where);
    bool PrefixComplete(wchar_t ch);
    void CloseUp();
    void Exit();
    void CommandNotification(WORD code, HWND from);

    void RecreateCombo(bool typing, bool carryItems);
    // A hidden combo in that style, set up as the box's combos are; null when none could be made.
    HWND MakeCombo(bool typing);
    void PrepareSpareSoon() noexcept;
    void DiscardSpare() noexcept;
    HWND spare_ = nullptr; // a hidden combo in typing style, made while idle
    // A replaced combo is hidden at once and emptied while the user is idle: every row an
    // owner-drawn list loses is announced to its owner, tens of milliseconds per 100,000.
    void Retire(HWND combo);
    // True when no retired combo is left.
    bool EmptyRetired();
    // Retired combos emptied, then a spare made, between the user's keys.
    void IdleWork();
    static constexpr UINT_PTR kIdleTimer = 2;
    std::vector<HWND> retired_;
    void FitToCombo() noexcept;
    void ShowItems(const std::vector<uint32_t>& indexes);
    // Puts the entries of `indexes` from `from` on into the control after its first `from` rows;
    // with `yield`, only as many as fit in a moment, or until a key waits. Returns how many.
    size_t AddRows(const std::vector<uint32_t>& indexes, size_t from, bool yield);
    // The rows the control is to hold once the rest of them is added (empty: none to come).
    std::vector<uint32_t> pendingRows_;
    // Adds the next of them for a moment; the rest waits for the idle timer.
    void ContinueRows();
    static constexpr DWORD kRowsMomentMs = 30;
    void SetEditText(const std::wstring& text);
    void OpenListKeepingText();
    bool IsOwnControl(HWND hwnd) const noexcept;
    // Selects a row as the program, not the user: no filtering follows.
    void SelectRow(int index);
    // Tells assistive technology of a selection that moved (the focus stays in the box).
    void AnnounceSelection() noexcept;
    // How many entries are listed, told once the typing has paused.
    void AnnounceCountSoon() noexcept;
    void AnnounceCount();
    static constexpr UINT_PTR kCountTimer = 1;
    static constexpr UINT kCountPauseMs = 700;
    int announcedRow_ = -1;

    LRESULT OnChildMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Subclass(HWND child) noexcept;
    WNDPROC OriginalProc(HWND child) const noexcept;
    static LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // The stored entries, their index and the rows shown: the rules of the list, kept apart.
    search::SearchList FStoredItems;
    HWND combo_ = nullptr;
    HWND edit_ = nullptr;
    HWND list_ = nullptr; // the drop-down list
    HFONT font_ = nullptr;
    bool typing_ = true;
    bool switching_ = false;
    bool forwarding_ = false;
    bool holdList_ = false; // the list opens once the first filter has filled it
    int programEdit_ = 0;   // the program is setting text or rows: no user edit, no filter (Deeper)
    int width_ = 0;
    std::vector<std::pair<HWND, WNDPROC>> originalProcs_;
    std::unique_ptr<TResultRows> rows_;
    int Dpi() const noexcept;
    void SetRowHeights(HWND combo) noexcept;
    void DrawRow(const DRAWITEMSTRUCT& item);
};
