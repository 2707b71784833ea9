#pragma once
// What the search box holds, without any window: the stored entries and their index, which of
// them the rows show, how the rows shown become the rows wanted (rows removed or the list filled
// again), and how a typed character completes the text or a Backspace shortens it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/rules/SearchFilter.h"

namespace search {

class SearchList {
public:
    using Entries = std::vector<std::wstring>;

    SearchList();

    const Entries& Stored() const noexcept { return *stored_; }
    enum class Adopted {
        Same,     // it holds what is held already: one copy is kept, the rows shown stand
        Extended, // it holds every entry held, in order, and more after them: the rows shown stand
        Replaced, // no row is known as shown
    };
    // Takes `list` (null: nothing changes, Same).
    Adopted Adopt(std::shared_ptr<const Entries> list);
    // Takes `list` as it is and indexes it; no row is known as shown.
    void Replace(std::shared_ptr<const Entries> list);

    // Every stored entry, in order.
    std::vector<uint32_t> AllRows() const;
    // The stored entries containing every word (folded; no words: every entry), in order.
    std::vector<uint32_t> Matching(const std::vector<std::wstring>& words) const { return index_.Match(words); }

    // The stored index of each row shown.
    const std::vector<uint32_t>& Shown() const noexcept { return shown_; }
    void SetShown(std::vector<uint32_t> rows) noexcept { shown_ = std::move(rows); }
    // Rows added after those shown.
    void AppendShown(std::span<const uint32_t> rows) { shown_.insert(shown_.end(), rows.begin(), rows.end()); }
    // The rows shown, from now on no longer known as shown (the control that held them is new).
    std::vector<uint32_t> TakeShown() noexcept { return std::exchange(shown_, {}); }
    // The entry of a row shown; empty beyond the rows.
    const std::wstring& EntryOfRow(long long row) const noexcept;

    // How the rows shown become `wanted` when the control holds `rowsInControl` rows.
    struct RowChange {
        enum class Kind { Keep, Remove, Append, Refill } kind = Kind::Refill;
        // Remove: the rows to take out, from the last up, so that no removal moves another.
        std::vector<size_t> remove;
    };
    // Rows that follow every row shown (a list handed over in parts) are appended. A list that
    // keeps some of its rows in order (the usual next keystroke) loses the others, as long as the
    // rows moved by the removals stay within `moveBudget`; otherwise it is filled anew.
    RowChange PlanRows(const std::vector<uint32_t>& wanted, size_t rowsInControl,
                       size_t moveBudget = kMoveBudget) const;
    static constexpr size_t kMoveBudget = 5'000'000;

    // The first row shown that may begin with `text` (-1: none), for the platform's prefix search,
    // which folds case beyond ASCII and looks behind a row's opening "[": such rows are left to it.
    long long FirstRowThatMayBegin(std::wstring_view text) const;

private:
    std::shared_ptr<const Entries> stored_;
    CompactEntryIndex<wchar_t> index_;
    std::vector<uint32_t> shown_;
    // Each stored entry's first character, folded, where ASCII; kOpenFirst for "[" or beyond ASCII.
    std::vector<uint8_t> firsts_;
    void IndexFirsts(size_t from);
    static constexpr uint8_t kOpenFirst = 0x80;
};

// The edit field's text with a selection from `start` to `end` (clamped to the text).
struct EditedText {
    std::wstring text;
    size_t selStart = 0, selEnd = 0;
};
// Backspace: the selection goes, or else the character before the caret (a surrogate pair whole).
EditedText Backspace(std::wstring_view text, size_t start, size_t end);
// The text as it would be with `ch` typed over the selection.
std::wstring TypedOver(std::wstring_view text, size_t start, size_t end, wchar_t ch);
// `typed` completed by the rest of `entry` (which begins with it, as the platform's search found):
// the rest is selected, so that the next character types over it.
EditedText Completed(std::wstring_view typed, std::wstring_view entry);

} // namespace search
