#include "ui/SmartCombo.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <span>

#include "core/FileHelper.h"
#include "core/ScopeGuard.h"
#include "core/rules/AppError.h"
#include "core/rules/ResultRow.h"
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
// The box's height until its first font sets it, and the combo's height with its list dropped
// down (the list's own height follows kVisibleRows once the rows are measured).
constexpr int kFirstBoxHeight = 24, kDroppedComboHeight = 400;
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
    CreateBound(kSearchBoxClass, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                kFirstBoxHeight, owner);
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
    rows_->Draw(item, FStoredItems.EntryOfRow(item.itemID), Dpi());
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
    return FStoredItems.EntryOfRow(ItemIndex());
}

void TSmartComboBox::SetStoredItems(const std::vector<std::wstring>& list)
{
    // No copy of a list held already.
    if (list != FStoredItems.Stored())
        FStoredItems.Replace(std::make_shared<const std::vector<std::wstring>>(list));
    StoredItemsChanged();
}

void TSmartComboBox::SetStoredItems(std::shared_ptr<const std::vector<std::wstring>> list)
{
    FStoredItems.Adopt(std::move(list));
    StoredItemsChanged();
}

void TSmartComboBox::UpdateStoredItems(std::shared_ptr<const std::vector<std::wstring>> list)
{
    const std::wstring selected = SelectedEntry();
    const auto adopted = FStoredItems.Adopt(std::move(list));
    if (adopted == search::SearchList::Adopted::Same)
        return;
    if (typing_) {
        FilterItems(); // the typed text, matched against the new list
        return;
    }
    ShowItems(FStoredItems.AllRows());
    // Rows appended leave the chosen one where it was.
    if (adopted == search::SearchList::Adopted::Replaced)
        SelectEntry(selected);
}

void TSmartComboBox::ResetToFullList()
{
    StoredItemsChanged();
}

std::wstring TSmartComboBox::SelectedEntry() const
{
    return FStoredItems.EntryOfRow(ItemIndex());
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
    ShowItems(FStoredItems.AllRows());
    ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void TSmartComboBox::RestoreList()
{
    if (!typing_)
        return;
    const std::wstring remembered = SelectedEntry();
    RecreateCombo(false, false);
    ShowItems(FStoredItems.AllRows());
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
    ShowItems(FStoredItems.Matching(words));
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
    pendingRows_.clear(); // these rows take the place of any still to come
    const auto rowsInControl = static_cast<size_t>(::SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    const auto change = FStoredItems.PlanRows(indexes, rowsInControl);
    if (change.kind == search::SearchList::RowChange::Kind::Keep)
        return;
    if (change.kind == search::SearchList::RowChange::Kind::Append) {
        // A list handed over in parts: only what it adds, and no longer at a time than lets the
        // user's keys through; the rest follows between them.
        pendingRows_ = indexes;
        ContinueRows();
        return;
    }
    if (change.kind == search::SearchList::RowChange::Kind::Remove) {
        const auto edit = Deeper(programEdit_);
        for (const size_t row : change.remove)
            ::SendMessageW(combo_, CB_DELETESTRING, row, 0);
        FStoredItems.SetShown(indexes);
        return;
    }
    // Emptying a long list costs a message per row: a fresh combo takes the rows instead, and the
    // old one is emptied later.
    bool dropAgain = false;
    if (static_cast<LRESULT>(rowsInControl) > kRowsWorthAFreshCombo) {
        dropAgain = ::SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
        RecreateCombo(typing_, false);
    }
    AddRows(indexes, 0, false);
    FStoredItems.SetShown(indexes);
    if (dropAgain)
        OpenListKeepingText();
}

void TSmartComboBox::ContinueRows()
{
    const auto inControl = static_cast<size_t>(::SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    if (inControl != FStoredItems.Shown().size() || inControl > pendingRows_.size()) {
        ShowItems(std::exchange(pendingRows_, {})); // the control changed under them: plan again
        return;
    }
    const size_t added = AddRows(pendingRows_, inControl, true);
    FStoredItems.AppendShown(std::span(pendingRows_).subspan(inControl, added));
    if (inControl + added == pendingRows_.size())
        pendingRows_.clear();
    else
        ::SetTimer(Handle(), kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

size_t TSmartComboBox::AddRows(const std::vector<uint32_t>& indexes, size_t from, bool yield)
{
    // From 0 the control is emptied first.
    // The opened list is a window of its own: without this it updates its scroll bar per item.
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(combo_, &info);
    const bool ownRedraw = ::IsWindowVisible(combo_);
    if (ownRedraw)
        ::SendMessageW(combo_, WM_SETREDRAW, FALSE, 0);
    if (info.hwndList)
        ::SendMessageW(info.hwndList, WM_SETREDRAW, FALSE, 0);
    size_t count = 0;
    {
        const auto edit = Deeper(programEdit_);
        if (from == 0)
            ::SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
        const auto& stored = FStoredItems.Stored();
        const auto added = std::span(indexes).subspan(from);
        // The strings' room is told when the rows go in at once: counted at every moment of a
        // long list, it would cost a pass over what is still to come each time.
        size_t characters = 0;
        if (!yield)
            for (uint32_t i : added)
                characters += stored[i].size() + 1;
        ::SendMessageW(combo_, CB_INITSTORAGE, added.size(), characters * sizeof(wchar_t));
        // The combo hands each row on to its list: given to the list itself, 100,000 rows are
        // added in half the time.
        const HWND list = info.hwndList ? info.hwndList : combo_;
        const UINT add = info.hwndList ? LB_ADDSTRING : CB_ADDSTRING;
        const DWORD start = ::GetTickCount();
        for (uint32_t i : added) {
            ::SendMessageW(list, add, 0, reinterpret_cast<LPARAM>(stored[i].c_str()));
            ++count;
            if (yield && count % 256 == 0 &&
                (::GetTickCount() - start >= kRowsMomentMs || HIWORD(::GetQueueStatus(QS_INPUT)) != 0))
                break;
        }
    }
    if (info.hwndList) {
        ::SendMessageW(info.hwndList, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(info.hwndList, nullptr, TRUE);
    }
    if (ownRedraw) {
        ::SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(combo_, nullptr, TRUE);
    }
    return count;
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
        const bool carry = !Text().empty() || FStoredItems.FirstRowThatMayBegin(std::wstring_view(&ch, 1)) >= 0;
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

    if (ch == L'\b') {
        const search::EditedText shortened = search::Backspace(text, start, end);
        SelectRow(-1);
        SetEditText(shortened.text);
        ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(shortened.selStart, shortened.selEnd));
        return true;
    }
    if (ch == L'\t' || ch == kEscape)
        return false;

    const std::wstring candidate = search::TypedOver(text, start, end, ch);
    // The platform's search compares every row from the first (milliseconds with 100,000 of
    // them): it starts where a row may begin with the text, and is not asked when none can.
    const long long from = FStoredItems.FirstRowThatMayBegin(candidate);
    if (from < 0)
        return false;
    const auto found = ::SendMessageW(combo_, CB_FINDSTRING, static_cast<WPARAM>(from - 1),
                                      reinterpret_cast<LPARAM>(candidate.c_str()));
    if (found == CB_ERR || static_cast<size_t>(found) >= FStoredItems.Shown().size())
        return false;
    const search::EditedText completed = search::Completed(candidate, FStoredItems.EntryOfRow(found));
    SelectRow(static_cast<int>(found));
    SetEditText(completed.text);
    ::SendMessageW(combo_, CB_SETEDITSEL, 0, MAKELPARAM(completed.selStart, completed.selEnd));
    return true;
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
    if (RowsPending()) {
        ContinueRows();
        if (RowsPending())
            return; // more at the next tick
    }
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
    const HWND combo = ::CreateWindowExW(0, WC_COMBOBOXW, L"", style, 0, 0, width_, kDroppedComboHeight, Handle(),
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
        ShowItems(FStoredItems.TakeShown());
        SelectRow(selected);
        if (typing)
            SetEditText(text);
    } else {
        FStoredItems.TakeShown();
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

LRESULT TSmartComboBox::ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    // Colours are the owner's business (the theme lives there).
    return ::SendMessageW(::GetParent(Handle()), message, wParam, lParam);
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
