#include "ui/SmartCombo.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "core/FileHelper.h"
#include "core/ScopeGuard.h"
#include "core/rules/Ascii.h"
#include "core/rules/AppError.h"
#include "core/rules/ResultRow.h"
#include "core/rules/Utf16.h"
#include "ui/Accessible.h"
#include "ui/Announce.h"
#include "ui/BarIds.h"
#include "ui/ErrorReport.h"
#include "ui/Theme.h"

namespace {

constexpr UINT kRestoreListMessage = WM_APP + 1;
constexpr UINT kIconsArrivedMessage = WM_APP + 2;
constexpr int kComboId = 1;
constexpr int kVisibleRows = 8;
constexpr wchar_t kCtrlC = 3;
constexpr wchar_t kEscape = 27;
// Beyond this many rows a list is not emptied while the user waits.
constexpr LRESULT kRowsWorthAFreshCombo = 20'000;
// Rows a retired combo loses per tick of the idle timer (about 3 ms under Wine).
constexpr int kRetiredRowsPerTick = 8'000;

} // namespace

TSmartComboBox::TSmartComboBox(HWND owner, int x, int y, int width) : width_(width)
{
    RegisterWindowClass(kSearchBoxClass);
    // The box is a thin container so that the combo's notifications come back to the box itself.
    CreateBound(kSearchBoxClass, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, 24,
                owner);
    rows_ = std::make_unique<TResultRows>(Handle(), kIconsArrivedMessage);
    RecreateCombo(true, false);
}

TSmartComboBox::~TSmartComboBox()
{
    // The combo goes with the box; both are already gone (and forgotten) when the owner's
    // destruction took them.
    if (Handle())
        ::DestroyWindow(Handle());
}

int TSmartComboBox::Height() const noexcept
{
    RECT rc{};
    ::GetWindowRect(combo_, &rc);
    return rc.bottom - rc.top;
}

void TSmartComboBox::SetBounds(int x, int y, int width)
{
    width_ = width;
    ::SetWindowPos(combo_, nullptr, 0, 0, width, Height(), SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    ::SetWindowPos(Handle(), nullptr, x, y, width, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSmartComboBox::SetFont(HFONT font)
{
    font_ = font;
    rows_->SetFont(font);
    ::SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetRowHeights(combo_);
    FitToCombo();
    DiscardSpare(); // made for the old font
}

int TSmartComboBox::Dpi() const noexcept
{
    const UINT dpi = ::GetDpiForWindow(Handle());
    return dpi ? static_cast<int>(dpi) : 96;
}

// Owner-drawn rows keep the heights they were measured with: the font sets them anew.
void TSmartComboBox::SetRowHeights(HWND combo) noexcept
{
    ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rows_->FieldHeight(Dpi()));
    ::SendMessageW(combo, CB_SETITEMHEIGHT, 0, rows_->RowHeight(Dpi()));
}

void TSmartComboBox::DrawRow(const DRAWITEMSTRUCT& item)
{
    // The row's entry from the box's own list: the control's copy of the text is the same.
    const bool known = item.itemID != static_cast<UINT>(-1) && item.itemID < displayed_.size();
    static const std::wstring none;
    rows_->Draw(item, known ? (*FStoredItems)[displayed_[item.itemID]] : none, Dpi());
}

// The box is as tall as its combo, whose height follows the font; it stays where it is.
void TSmartComboBox::LookChanged()
{
    DiscardSpare(); // made in the old look
    if (combo_)
        RecreateCombo(typing_, true);
}

void TSmartComboBox::FitToCombo() noexcept
{
    ::SetWindowPos(Handle(), nullptr, 0, 0, width_, Height(), SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TSmartComboBox::FocusBox()
{
    ::SetFocus(edit_ ? edit_ : combo_);
}

int TSmartComboBox::ItemIndex() const noexcept
{
    return static_cast<int>(::SendMessageW(combo_, CB_GETCURSEL, 0, 0));
}

std::wstring TSmartComboBox::Text() const
{
    if (typing_) {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit_)) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    const int index = ItemIndex();
    return index >= 0 && static_cast<size_t>(index) < displayed_.size() ? (*FStoredItems)[displayed_[index]]
                                                                        : std::wstring();
}

void TSmartComboBox::SetStoredItems(const std::vector<std::wstring>& list)
{
    // No copy of a list held already.
    if (list != *FStoredItems)
        ReplaceItems(std::make_shared<const std::vector<std::wstring>>(list));
    StoredItemsChanged();
}

void TSmartComboBox::SetStoredItems(std::shared_ptr<const std::vector<std::wstring>> list)
{
    AdoptItems(std::move(list));
    StoredItemsChanged();
}

bool TSmartComboBox::AdoptItems(std::shared_ptr<const std::vector<std::wstring>> list)
{
    if (!list || list == FStoredItems)
        return false;
    // Each showing of the bar hands over a list that is usually the same as the last one:
    // then the rows already in the control can stay.
    if (*list == *FStoredItems) {
        FStoredItems = std::move(list); // one copy kept, not two
        return false;
    }
    ReplaceItems(std::move(list));
    return true;
}

// The rows still in the control name entries of the old list: with no rows known as shown, the
// next ShowItems fills the control anew.
void TSmartComboBox::ReplaceItems(std::shared_ptr<const std::vector<std::wstring>> list)
{
    FStoredItems = std::move(list);
    index_ = search::CompactEntryIndex<wchar_t>(*FStoredItems);
    displayed_.clear();
    firsts_.resize(FStoredItems->size());
    for (size_t i = 0; i < firsts_.size(); ++i) {
        const std::wstring& entry = (*FStoredItems)[i];
        const wchar_t first = entry.empty() ? L'\0' : ascii::Upper(entry[0]);
        firsts_[i] = first == L'[' || first >= 128 ? kOpenFirst : static_cast<uint8_t>(first);
    }
}

std::vector<uint32_t> TSmartComboBox::AllRows() const
{
    std::vector<uint32_t> all(FStoredItems->size());
    for (uint32_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return all;
}

void TSmartComboBox::UpdateStoredItems(std::shared_ptr<const std::vector<std::wstring>> list)
{
    const std::wstring selected = SelectedEntry();
    if (!AdoptItems(std::move(list)))
        return;
    if (typing_) {
        FilterItems(); // the typed text, matched against the new list
        return;
    }
    ShowItems(AllRows());
    SelectEntry(selected);
}

void TSmartComboBox::ResetToFullList()
{
    StoredItemsChanged();
}

std::wstring TSmartComboBox::SelectedEntry() const
{
    const int index = ItemIndex();
    return index >= 0 && static_cast<size_t>(index) < displayed_.size() ? (*FStoredItems)[displayed_[index]]
                                                                        : std::wstring();
}

void TSmartComboBox::SelectEntry(const std::wstring& entry)
{
    if (entry.empty())
        return;
    const auto found =
        ::SendMessageW(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
    SelectRow(static_cast<int>(found == CB_ERR ? -1 : found));
}

void TSmartComboBox::StoredItemsChanged()
{
    // Restoring the list and then replacing it again ends in list style, the full list, nothing
    // selected: reach that state directly rather than filling the control twice.
    if (typing_)
        RecreateCombo(false, false);
    ShowItems(AllRows());
    ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void TSmartComboBox::RestoreList()
{
    if (!typing_)
        return;
    const std::wstring remembered = SelectedEntry();
    RecreateCombo(false, false);
    ShowItems(AllRows());
    SelectEntry(remembered);
}

void TSmartComboBox::FilterItems()
{
    DWORD start = 0, end = 0;
    ::SendMessageW(combo_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    ::SendMessageW(combo_, WM_SETREDRAW, FALSE, 0);

    const std::wstring text = Text();
    auto words = search::SplitWords(std::wstring_view(text));
    // An empty text shows every entry; a text of blanks has no words, which matches every entry too.
    ShowItems(index_.Match(words));
    rows_->SetWords(std::move(words));
    AnnounceCountSoon();
    if (ItemIndex() != CB_ERR) {
        SelectRow(-1);
    }
    if (Text() != text)
        SetEditText(text);

    ::SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(combo_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
}

void TSmartComboBox::ShowItems(const std::vector<uint32_t>& indexes)
{
    if (indexes == displayed_ && static_cast<size_t>(::SendMessageW(combo_, CB_GETCOUNT, 0, 0)) == indexes.size())
        return; // the rows already shown are the rows wanted
    if (TryDeleteRows(indexes))
        return;
    // Emptying a long list costs a message per row: a fresh combo takes the rows instead, and the
    // old one is emptied later.
    bool dropAgain = false;
    if (::SendMessageW(combo_, CB_GETCOUNT, 0, 0) > kRowsWorthAFreshCombo) {
        dropAgain = ::SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
        RecreateCombo(typing_, false);
    }
    // The opened list is a window of its own: without this it updates its scroll bar per item.
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(combo_, &info);
    const bool ownRedraw = ::IsWindowVisible(combo_);
    if (ownRedraw)
        ::SendMessageW(combo_, WM_SETREDRAW, FALSE, 0);
    if (info.hwndList)
        ::SendMessageW(info.hwndList, WM_SETREDRAW, FALSE, 0);
    {
        const auto edit = Deeper(programEdit_);
        ::SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
        size_t characters = 0;
        for (uint32_t i : indexes)
            characters += (*FStoredItems)[i].size() + 1;
        ::SendMessageW(combo_, CB_INITSTORAGE, indexes.size(), characters * sizeof(wchar_t));
        // The combo hands each row on to its list: given to the list itself, 100,000 rows are
        // added in half the time.
        const HWND list = info.hwndList ? info.hwndList : combo_;
        const UINT add = info.hwndList ? LB_ADDSTRING : CB_ADDSTRING;
        for (uint32_t i : indexes)
            ::SendMessageW(list, add, 0, reinterpret_cast<LPARAM>((*FStoredItems)[i].c_str()));
    }
    displayed_ = indexes;
    if (info.hwndList) {
        ::SendMessageW(info.hwndList, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(info.hwndList, nullptr, TRUE);
    }
    if (ownRedraw) {
        ::SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(combo_, nullptr, TRUE);
    }
    if (dropAgain)
        OpenListKeepingText();
}

bool TSmartComboBox::TryDeleteRows(const std::vector<uint32_t>& indexes)
{
    // A narrower list that keeps its rows in order (the usual next keystroke) loses a few rows
    // faster than the whole list is added again; each removal moves the rows after it.
    constexpr size_t kMoveBudget = 5'000'000;
    const size_t shown = displayed_.size();
    if (shown == 0 || indexes.size() >= shown || (shown - indexes.size()) * shown > kMoveBudget ||
        static_cast<size_t>(::SendMessageW(combo_, CB_GETCOUNT, 0, 0)) != shown)
        return false;
    size_t k = 0;
    for (size_t j = 0; j < shown && k < indexes.size(); ++j)
        if (displayed_[j] == indexes[k])
            ++k;
    if (k != indexes.size())
        return false; // not a subsequence of the rows shown

    const auto edit = Deeper(programEdit_);
    size_t keep = indexes.size();
    for (size_t j = shown; j-- > 0;) {
        if (keep > 0 && displayed_[j] == indexes[keep - 1])
            --keep;
        else
            ::SendMessageW(combo_, CB_DELETESTRING, j, 0);
    }
    displayed_ = indexes;
    return true;
}

void TSmartComboBox::SelectRow(int index)
{
    {
        const auto edit = Deeper(programEdit_);
        ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    AnnounceSelection();
}

void TSmartComboBox::SetEditText(const std::wstring& text)
{
    const auto edit = Deeper(programEdit_);
    if (typing_)
        ::SetWindowTextW(edit_, text.c_str());
    else if (text.empty())
        ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void TSmartComboBox::OpenListKeepingText()
{
    if (holdList_)
        return;
    if (!typing_) {
        ::SendMessageW(combo_, CB_SHOWDROPDOWN, TRUE, 0);
        return;
    }
    // Opening the list may replace the edit text with the matching entry: put text and selection back.
    const std::wstring text = Text();
    DWORD start = 0, end = 0;
    ::SendMessageW(combo_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    {
        const auto edit = Deeper(programEdit_);
        ::SendMessageW(combo_, CB_SHOWDROPDOWN, TRUE, 0);
    }
    if (Text() != text)
        SetEditText(text);
    ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
}

bool TSmartComboBox::KeyPress(wchar_t ch)
{
    if (ch == L'\n')
        return true; // Ctrl+Enter's character: the key itself was acted on
    if (ch == kCtrlC)
        return CopyEntryPath();
    // Any character a user types (not DEL) starts a search, whatever its script.
    if (!typing_ && ch >= 32 && ch != 127) {
        ::SendMessageW(combo_, CB_SHOWDROPDOWN, FALSE, 0);
        // The rows go over only where the character may complete one or an entry is chosen: else
        // the filter fills the new list with the matching rows alone, and it opens once they are in.
        const bool carry = !Text().empty() || FirstRowThatMayBegin(std::wstring(1, ch)) != CB_ERR;
        RecreateCombo(true, carry);
        {
            holdList_ = !carry;
            const ScopeExit release([this]() noexcept { holdList_ = false; });
            // The character belongs to the new edit field now.
            if (!KeyPress(ch) && edit_) {
                forwarding_ = true;
                ::SendMessageW(edit_, WM_CHAR, ch, 0);
                forwarding_ = false;
            }
        }
        if (!carry)
            OpenListKeepingText();
        return true;
    }

    const bool consumed = typing_ && PrefixComplete(ch);
    if (ch != L'\r' && ch != kEscape)
        OpenListKeepingText();
    if (ch == kEscape && ItemIndex() >= 1) {
        SetEditText(L"");
        if (typing_) {
            DWORD start = 0;
            ::SendMessageW(combo_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
            ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(start, start));
        }
        SelectRow(0);
    }
    if (ch == L'\r') {
        const std::wstring text = Text();
        if (!text.empty() && FileOrDirectoryExists(text)) {
            OpenPath(text);
            HideBar();
        }
    }
    return consumed;
}

bool TSmartComboBox::PrefixComplete(wchar_t ch)
{
    const std::wstring text = Text();
    DWORD start = 0, end = 0;
    ::SendMessageW(combo_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
    end = std::min<DWORD>(std::max(start, end), static_cast<DWORD>(text.size()));

    if (ch == L'\b') {
        std::wstring shortened = text;
        DWORD caret = start;
        if (start != end) {
            shortened.erase(start, end - start);
        } else if (start > 0) {
            const bool pair =
                start >= 2 && utf16::IsLowSurrogate(text[start - 1]) && utf16::IsHighSurrogate(text[start - 2]);
            caret = start - (pair ? 2 : 1);
            shortened.erase(caret, start - caret);
        }
        SelectRow(-1);
        SetEditText(shortened);
        ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
        return true;
    }
    if (ch == L'\t' || ch == kEscape)
        return false;

    const std::wstring candidate = text.substr(0, start) + ch + text.substr(end);
    if (candidate.empty())
        return false;
    // The platform's search compares every row from the first (milliseconds with 100,000 of
    // them): it starts where a row may begin with the text, and is not asked when none can.
    const int from = FirstRowThatMayBegin(candidate);
    if (from == CB_ERR)
        return false;
    const auto found = ::SendMessageW(combo_, CB_FINDSTRING, static_cast<WPARAM>(from - 1),
                                      reinterpret_cast<LPARAM>(candidate.c_str()));
    if (found == CB_ERR || static_cast<size_t>(found) >= displayed_.size())
        return false;
    const std::wstring& entry = (*FStoredItems)[displayed_[static_cast<size_t>(found)]];
    SelectRow(static_cast<int>(found));
    const std::wstring completed = candidate + entry.substr(std::min(candidate.size(), entry.size()));
    SetEditText(completed);
    ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(candidate.size(), completed.size()));
    return true;
}

// The platform's prefix search folds case beyond ASCII and looks behind a row's opening "[":
// such rows are left to it.
int TSmartComboBox::FirstRowThatMayBegin(const std::wstring& text) const
{
    const std::wstring folded = search::Folded(std::wstring_view(text));
    // A typed ASCII first character rules out, a byte each, the entries that begin with another.
    const bool byFirst = !folded.empty() && folded[0] < 128;
    for (size_t row = 0; row < displayed_.size(); ++row) {
        const uint32_t entry = displayed_[row];
        if (byFirst && firsts_[entry] != folded[0] && firsts_[entry] != kOpenFirst)
            continue;
        if (index_.MayBeginWith(entry, folded) || (*FStoredItems)[entry].starts_with(L'['))
            return static_cast<int>(row);
    }
    return CB_ERR;
}

void TSmartComboBox::CloseUp()
{
    // The combo is still inside its own notification: recreate it once that has returned.
    if (typing_)
        ::PostMessageW(Handle(), kRestoreListMessage, 0, 0);
}

void TSmartComboBox::Exit()
{
    ::PostMessageW(Handle(), kRestoreListMessage, 0, 0);
}

void TSmartComboBox::CommandNotification(WORD code, HWND from)
{
    if (from != combo_)
        return; // a retired combo's
    if (code == CBN_SELCHANGE)
        AnnounceSelection();
    if (code == CBN_CLOSEUP)
        CloseUp();
    if (code == CBN_EDITUPDATE && from == combo_ && programEdit_ == 0)
        FilterItems();
}

void TSmartComboBox::Retire(HWND combo)
{
    {
        const auto edit = Deeper(programEdit_);
        ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    }
    if (::SendMessageW(combo, CB_GETCOUNT, 0, 0) <= kRowsWorthAFreshCombo) {
        ::DestroyWindow(combo); // a short list goes at once
        return;
    }
    // Out of sight and out of the keyboard's reach (the platform gives an activated window's
    // focus back to the control that last had it) until it is gone.
    ::ShowWindow(combo, SW_HIDE);
    ::EnableWindow(combo, FALSE);
    retired_.push_back(combo);
    // A timer's tick comes only when no input waits: the user's keys go first.
    ::SetTimer(Handle(), kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

void TSmartComboBox::IdleWork()
{
    if (!EmptyRetired())
        return; // more at the next tick
    if (!spare_ && combo_) {
        spare_ = MakeCombo(true);
    }
    ::KillTimer(Handle(), kIdleTimer);
}

bool TSmartComboBox::EmptyRetired()
{
    int budget = kRetiredRowsPerTick;
    while (!retired_.empty() && budget > 0) {
        const HWND combo = retired_.back();
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (::IsWindow(combo) && ::GetComboBoxInfo(combo, &info) && info.hwndList) {
            ::SendMessageW(info.hwndList, WM_SETREDRAW, FALSE, 0);
            // From the end: no row moves.
            for (auto rows = ::SendMessageW(info.hwndList, LB_GETCOUNT, 0, 0); rows > 0 && budget > 0; --budget)
                ::SendMessageW(info.hwndList, LB_DELETESTRING, static_cast<WPARAM>(--rows), 0);
            if (::SendMessageW(info.hwndList, LB_GETCOUNT, 0, 0) > 0)
                return false;
        }
        retired_.pop_back();
        if (::IsWindow(combo))
            ::DestroyWindow(combo);
    }
    return retired_.empty();
}

bool TSmartComboBox::IsOwnControl(HWND hwnd) const noexcept
{
    return hwnd && (hwnd == Handle() || hwnd == combo_ || hwnd == edit_ || ::IsChild(Handle(), hwnd));
}

HWND TSmartComboBox::MakeCombo(bool typing)
{
    const DWORD style = WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS |
                        (typing ? CBS_DROPDOWN : CBS_DROPDOWNLIST);
    const HWND combo = ::CreateWindowExW(0, WC_COMBOBOXW, L"", style, 0, 0, width_, 400, Handle(),
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboId)),
                                         ::GetModuleHandleW(nullptr), nullptr);
    if (!combo)
        return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(combo, &info);
    const HWND edit = typing ? info.hwndItem : nullptr;
    // Its text is what the user typed: the box's name is given apart.
    AnnotateName(combo, kSearchBoxName);
    AnnotateName(edit, kSearchBoxName);
    if (font_)
        ::SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetRowHeights(combo);
    if (CurrentTheme() && !CurrentTheme()->highContrast) {
        // Where the platform has dark parts (its scroll bars, its combo box), the box uses them;
        // the border and the button are drawn over in the theme's colours (PaintFrame).
        ::SetWindowTheme(combo, L"DarkMode_CFD", nullptr);
        if (info.hwndList)
            ::SetWindowTheme(info.hwndList, L"DarkMode_Explorer", nullptr);
    }
    ::SendMessageW(combo, CB_SETMINVISIBLE, kVisibleRows, 0);
    ::SendMessageW(combo, CB_LIMITTEXT, 0, 0);
    Subclass(combo);
    if (edit)
        Subclass(edit);
    if (info.hwndList)
        Subclass(info.hwndList);
    return combo;
}

// Making a combo costs several milliseconds under Wine (its list is a window of its own): one in
// typing style is made ahead, while the user is idle, for the next switch.
void TSmartComboBox::PrepareSpareSoon() noexcept
{
    ::SetTimer(Handle(), kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

void TSmartComboBox::DiscardSpare() noexcept
{
    if (spare_)
        ::DestroyWindow(std::exchange(spare_, nullptr));
    PrepareSpareSoon();
}

void TSmartComboBox::RecreateCombo(bool typing, bool carryItems)
{
    announcedRow_ = -1; // a new list window: its selection is news
    switching_ = true;
    const HWND old = combo_;
    const bool hadFocus = old && IsOwnControl(::GetFocus());
    const int selected = old ? ItemIndex() : -1;
    const std::wstring text = old ? Text() : std::wstring();

    // List style marks nothing: its rows are the whole list.
    if (!typing)
        rows_->SetWords({});
    HWND combo = typing ? std::exchange(spare_, nullptr) : nullptr;
    if (!combo)
        combo = MakeCombo(typing);
    if (!combo) {
        switching_ = false;
        throw AppError(L"Cannot create the search box");
    }
    combo_ = combo;
    typing_ = typing;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(combo, &info);
    edit_ = typing ? info.hwndItem : nullptr;
    list_ = info.hwndList;
    RECT face{};
    ::GetWindowRect(combo, &face);
    // On top of the old one: hiding that uncovers nothing.
    ::SetWindowPos(combo, HWND_TOP, 0, 0, width_, face.bottom - face.top, SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);

    if (carryItems) {
        const std::vector<uint32_t> rows = std::move(displayed_);
        displayed_.clear();
        ShowItems(rows);
        SelectRow(selected);
        if (typing)
            SetEditText(text);
    } else {
        displayed_.clear();
    }
    if (old) {
        if (hadFocus)
            FocusBox();
        Retire(old);
    }
    FitToCombo();
    switching_ = false;
    PrepareSpareSoon();
}

LRESULT TSmartComboBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_COMMAND:
        RunGuarded([&] { CommandNotification(HIWORD(wParam), reinterpret_cast<HWND>(lParam)); });
        return 0;
    case kRestoreListMessage:
        RunGuarded([&] { RestoreList(); });
        return 0;
    case WM_TIMER:
        if (wParam == kCountTimer)
            RunGuarded([&] { AnnounceCount(); });
        if (wParam == kIdleTimer)
            RunGuarded([&] { IdleWork(); });
        return 0;
    case WM_MEASUREITEM: {
        // Asked while the combo is being created; SetRowHeights sets the heights again afterwards.
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure.itemHeight = static_cast<UINT>(measure.itemID == static_cast<UINT>(-1) ? rows_->FieldHeight(Dpi())
                                                                                       : rows_->RowHeight(Dpi()));
        return TRUE;
    }
    case WM_DRAWITEM:
        RunGuarded([&] { DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); });
        return TRUE;
    case kIconsArrivedMessage: {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (::GetComboBoxInfo(combo_, &info) && info.hwndList)
            ::InvalidateRect(info.hwndList, nullptr, FALSE);
        ::InvalidateRect(combo_, nullptr, FALSE);
        return 0;
    }
    case WM_SETFOCUS:
        FocusBox();
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // Colours are the owner's business (the theme lives there).
        return ::SendMessageW(::GetParent(Handle()), message, wParam, lParam);
    default:
        return DefaultMessage(message, wParam, lParam);
    }
}

LRESULT TSmartComboBox::OnChildMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_CHAR:
        // In typing style the combo hands its characters on to its edit field, which is
        // subclassed too: the key is handled there, once.
        if (!forwarding_ && !(hwnd == combo_ && edit_)) {
            bool consumed = false;
            RunGuarded([&] { consumed = KeyPress(static_cast<wchar_t>(wParam)); });
            if (consumed || !::IsWindow(hwnd))
                return 0;
        }
        break;
    case WM_COMMAND:
        // The combo answers each change of its edit field by searching every row for the text
        // as a prefix, to select it in the opened list: rows the filter has just replaced, and
        // with 100,000 of them most of a keystroke. The filter has run already (on the update
        // before the change) and chooses the selection itself.
        if (HIWORD(wParam) == EN_CHANGE && lParam && ::GetParent(reinterpret_cast<HWND>(lParam)) == hwnd)
            return 0;
        break;
    case WM_PAINT:
        if (hwnd == combo_) {
            const LRESULT painted = ::CallWindowProcW(OriginalProc(hwnd), hwnd, message, wParam, lParam);
            TResultRows::PaintFrame(hwnd, Dpi());
            return painted;
        }
        break;
    case WM_KILLFOCUS: {
        // Exit: the focus went to another control of the same window, not to another program.
        const HWND next = reinterpret_cast<HWND>(wParam);
        if (!switching_ && next && !IsOwnControl(next) &&
            ::GetAncestor(next, GA_ROOT) == ::GetAncestor(Handle(), GA_ROOT))
            Exit();
        break;
    }
    case WM_CONTEXTMENU: {
        bool shown = false;
        RunGuarded([&] { shown = ContextMenu(hwnd, lParam); });
        if (shown)
            return 0;
        break;
    }
    case WM_RBUTTONUP:
        // The drop-down list has the mouse captured: its right click is taken here rather than
        // left to the platform's context-menu message.
        if (hwnd == list_) {
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hwnd, &at);
            RunGuarded([&] { ContextMenu(hwnd, MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y))); });
            return 0;
        }
        break;
    case WM_KEYDOWN: {
        bool taken = false;
        RunGuarded([&] { taken = EntryKeyDown(wParam); });
        if (taken)
            return 0;
        // Arrows, Page keys and completion move the selection while the focus stays here.
        const LRESULT result = ::CallWindowProcW(OriginalProc(hwnd), hwnd, message, wParam, lParam);
        AnnounceSelection();
        return result;
    }
    default:
        break;
    }
    return ::CallWindowProcW(OriginalProc(hwnd), hwnd, message, wParam, lParam);
}

void TSmartComboBox::AnnounceSelection() noexcept
{
    if (!combo_)
        return;
    const auto row = static_cast<int>(::SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    if (row == announcedRow_)
        return;
    announcedRow_ = row;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (row >= 0 && ::GetComboBoxInfo(combo_, &info))
        AnnounceSelectedRow(info.hwndList, row);
}

void TSmartComboBox::AnnounceCountSoon() noexcept
{
    ::SetTimer(Handle(), kCountTimer, kCountPauseMs, nullptr);
}

void TSmartComboBox::AnnounceCount()
{
    ::KillTimer(Handle(), kCountTimer);
    if (!combo_)
        return;
    auto rows = static_cast<size_t>(std::max<LRESULT>(0, ::SendMessageW(combo_, CB_GETCOUNT, 0, 0)));
    // The full list begins with an empty row, which is no entry.
    if (rows > 0 && ::SendMessageW(combo_, CB_GETLBTEXTLEN, 0, 0) == 0)
        --rows;
    AnnounceText(combo_, resultrow::CountText(rows));
}

WNDPROC TSmartComboBox::OriginalProc(HWND child) const noexcept
{
    for (const auto& [window, proc] : originalProcs_)
        if (window == child)
            return proc;
    return ::DefWindowProcW;
}

// Plain window-procedure subclassing: the platform's subclass helper costs far more per
// message, which shows when tens of thousands of items are added.
void TSmartComboBox::Subclass(HWND child) noexcept
{
    // Window properties and the platform's subclass helper both cost a trip to the window
    // manager per message under Wine; the user data slot and a member are local.
    originalProcs_.emplace_back(child, reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(child, GWLP_WNDPROC)));
    ::SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TSmartComboBox::ChildProc));
}

LRESULT CALLBACK TSmartComboBox::ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    // Owner-drawn rows are announced one by one as they go; they hold nothing of ours, and
    // passing tens of thousands of them on would cost a keystroke its frame.
    if (message == WM_DELETEITEM)
        return TRUE;
    auto* self = reinterpret_cast<TSmartComboBox*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed by whoever: the handle may soon name another window, so it is forgotten here.
        if (hwnd == self->combo_)
            self->combo_ = nullptr;
        if (hwnd == self->edit_)
            self->edit_ = nullptr;
        if (hwnd == self->list_)
            self->list_ = nullptr;
        if (hwnd == self->spare_)
            self->spare_ = nullptr;
        const WNDPROC original = self->OriginalProc(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        std::erase_if(self->originalProcs_, [hwnd](const auto& entry) { return entry.first == hwnd; });
        return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    return self->OnChildMessage(hwnd, message, wParam, lParam);
}
