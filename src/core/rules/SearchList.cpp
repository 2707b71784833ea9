#include "core/rules/SearchList.h"

#include <algorithm>

#include "core/rules/Ascii.h"
#include "core/rules/Utf16.h"

namespace search {

SearchList::SearchList() : stored_(std::make_shared<const Entries>()), index_(*stored_) {}

SearchList::Adopted SearchList::Adopt(std::shared_ptr<const Entries> list)
{
    if (!list || list == stored_)
        return Adopted::Same;
    // Each showing of the bar hands over a list that is usually the same as the last one:
    // then the rows already in the control can stay.
    const size_t held = stored_->size();
    if (list->size() >= held && std::equal(stored_->begin(), stored_->end(), list->begin())) {
        stored_ = std::move(list); // one copy kept, not two
        if (stored_->size() == held)
            return Adopted::Same;
        // A first scan's lists grow this way: only what they add is indexed.
        index_.Append(*stored_, held);
        IndexFirsts(held);
        return Adopted::Extended;
    }
    Replace(std::move(list));
    return Adopted::Replaced;
}

void SearchList::Replace(std::shared_ptr<const Entries> list)
{
    stored_ = std::move(list);
    index_ = CompactEntryIndex<wchar_t>(*stored_);
    shown_.clear();
    firsts_.clear();
    IndexFirsts(0);
}

void SearchList::IndexFirsts(size_t from)
{
    firsts_.resize(stored_->size());
    for (size_t i = from; i < firsts_.size(); ++i) {
        const std::wstring& entry = (*stored_)[i];
        const wchar_t first = entry.empty() ? L'\0' : ascii::Upper(entry[0]);
        firsts_[i] = first == L'[' || first >= 128 ? kOpenFirst : static_cast<uint8_t>(first);
    }
}

std::vector<uint32_t> SearchList::AllRows() const
{
    std::vector<uint32_t> all(stored_->size());
    for (uint32_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return all;
}

const std::wstring& SearchList::EntryOfRow(long long row) const noexcept
{
    static const std::wstring none;
    return row >= 0 && static_cast<size_t>(row) < shown_.size() ? (*stored_)[shown_[static_cast<size_t>(row)]] : none;
}

SearchList::RowChange SearchList::PlanRows(const std::vector<uint32_t>& wanted, size_t rowsInControl,
                                           size_t moveBudget) const
{
    RowChange change;
    const size_t shown = shown_.size();
    if (rowsInControl != shown)
        return change; // the control holds other rows than those known: fill it anew
    if (wanted == shown_) {
        change.kind = RowChange::Kind::Keep;
        return change;
    }
    if (wanted.size() > shown && std::equal(shown_.begin(), shown_.end(), wanted.begin())) {
        change.kind = RowChange::Kind::Append;
        return change;
    }
    // Each removal moves the rows after it.
    if (shown == 0 || wanted.size() >= shown || (shown - wanted.size()) * shown > moveBudget)
        return change;
    size_t k = 0;
    for (size_t j = 0; j < shown && k < wanted.size(); ++j)
        if (shown_[j] == wanted[k])
            ++k;
    if (k != wanted.size())
        return change; // not a subsequence of the rows shown
    change.kind = RowChange::Kind::Remove;
    change.remove.reserve(shown - wanted.size());
    size_t keep = wanted.size();
    for (size_t j = shown; j-- > 0;) {
        if (keep > 0 && shown_[j] == wanted[keep - 1])
            --keep;
        else
            change.remove.push_back(j);
    }
    return change;
}

long long SearchList::FirstRowThatMayBegin(std::wstring_view text) const
{
    const std::wstring folded = Folded(text);
    // A typed ASCII first character rules out, a byte each, the entries that begin with another.
    const bool byFirst = !folded.empty() && folded[0] < 128;
    for (size_t row = 0; row < shown_.size(); ++row) {
        const uint32_t entry = shown_[row];
        if (byFirst && firsts_[entry] != folded[0] && firsts_[entry] != kOpenFirst)
            continue;
        if (index_.MayBeginWith(entry, folded) || (*stored_)[entry].starts_with(L'['))
            return static_cast<long long>(row);
    }
    return -1;
}

EditedText Backspace(std::wstring_view text, size_t start, size_t end)
{
    start = std::min(start, text.size());
    end = std::min(std::max(start, end), text.size());
    EditedText edited{std::wstring(text), start, start};
    if (start != end) {
        edited.text.erase(start, end - start);
    } else if (start > 0) {
        const bool pair =
            start >= 2 && utf16::IsLowSurrogate(text[start - 1]) && utf16::IsHighSurrogate(text[start - 2]);
        const size_t caret = start - (pair ? 2 : 1);
        edited.text.erase(caret, start - caret);
        edited.selStart = edited.selEnd = caret;
    }
    return edited;
}

std::wstring TypedOver(std::wstring_view text, size_t start, size_t end, wchar_t ch)
{
    start = std::min(start, text.size());
    end = std::min(std::max(start, end), text.size());
    std::wstring typed(text.substr(0, start));
    typed += ch;
    typed += text.substr(end);
    return typed;
}

EditedText Completed(std::wstring_view typed, std::wstring_view entry)
{
    EditedText edited{std::wstring(typed), typed.size(), typed.size()};
    edited.text += entry.substr(std::min(typed.size(), entry.size()));
    edited.selEnd = edited.text.size();
    return edited;
}

} // namespace search
