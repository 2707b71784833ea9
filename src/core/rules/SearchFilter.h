#pragma once
// The search box's matching rules, without any window: the typed text is trimmed, split at
// every space into words (two spaces in a row make an empty word, which matches nothing),
// and an entry matches when every word occurs in it with only a to z folded to capitals.
//
// Works on any character type: wchar_t in the program, char (UTF-8) in the host tools.
// Folding touches ASCII only, so byte-wise UTF-8 matching gives the same answers.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/Ascii.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define ZARVI_SEARCH_SSE2 1
#endif

namespace search {

template <typename CharT> constexpr CharT FoldAscii(CharT c) noexcept
{
    return ascii::Upper(c);
}

template <typename CharT> std::basic_string<CharT> Folded(std::basic_string_view<CharT> text)
{
    return ascii::Upper(text);
}

template <typename CharT> std::basic_string_view<CharT> Trimmed(std::basic_string_view<CharT> text) noexcept
{
    return ascii::Trimmed(text);
}

// Words of the typed text, folded. An empty trimmed text gives no words at all.
template <typename CharT> std::vector<std::basic_string<CharT>> SplitWords(std::basic_string_view<CharT> text)
{
    std::vector<std::basic_string<CharT>> words;
    const auto trimmed = Trimmed(text);
    if (trimmed.empty())
        return words;
    size_t start = 0;
    for (;;) {
        const size_t space = trimmed.find(CharT(' '), start);
        words.push_back(Folded(trimmed.substr(start, space == trimmed.npos ? trimmed.npos : space - start)));
        if (space == trimmed.npos)
            break;
        start = space + 1;
    }
    return words;
}

// A folded copy of every entry, made once per hand-over, in one buffer separated by NUL so
// that a word is searched through all entries at once and a hit skips to the next entry.
template <typename CharT> class EntryIndex {
public:
    using String = std::basic_string<CharT>;
    using View = std::basic_string_view<CharT>;

    EntryIndex() = default;

    // Entries of this character type, or of a wider one whose every character fits in this.
    template <typename Range> explicit EntryIndex(const Range& entries) { Append(entries, 0); }

    // Indexes the entries of `entries` from `from` on, after those held (its first `from`).
    template <typename Range> void Append(const Range& entries, size_t from)
    {
        const auto first = std::next(std::begin(entries), static_cast<std::ptrdiff_t>(from));
        const size_t added = std::size(entries) - from;
        const size_t had = folded_.size();
        size_t total = had;
        for (auto e = first; e != std::end(entries); ++e)
            total += std::size(*e) + 1;
        // Grown to the size wanted and no more: a list handed over in parts keeps no slack.
        if (total > folded_.capacity()) {
            String grown;
            grown.reserve(total);
            grown = folded_;
            folded_ = std::move(grown);
        }
        folded_.resize(total);
        if (!starts_.empty())
            starts_.pop_back();
        starts_.reserve(starts_.size() + added + 1);
        masks_.reserve(masks_.size() + added);
        CharT* out = folded_.data() + had;
        for (auto e = first; e != std::end(entries); ++e) {
            starts_.push_back(static_cast<size_t>(out - folded_.data()));
            CharT* const begin = out;
            out = FoldInto(std::data(*e), std::size(*e), out);
            masks_.push_back(MaskOf(View(begin, static_cast<size_t>(out - begin))));
            *out++ = CharT(0);
        }
        starts_.push_back(folded_.size());
        CountFrequencies(had);
    }

    size_t Size() const noexcept { return starts_.empty() ? 0 : starts_.size() - 1; }

    // Entry `i` as folded.
    View FoldedEntry(uint32_t i) const noexcept { return EntryView(i); }

    // Indexes of the entries that contain every word, in stored order. No words: every entry.
    std::vector<uint32_t> Match(const std::vector<String>& words) const
    {
        std::vector<uint32_t> result;
        const auto n = static_cast<uint32_t>(Size());
        if (words.empty()) {
            result.resize(n);
            for (uint32_t i = 0; i < n; ++i)
                result[i] = i;
            return result;
        }
        for (const auto& w : words)
            if (w.empty())
                return result; // an empty word occurs in no entry
        // The rarest-looking word first narrows the candidates most; order cannot change the answer.
        std::vector<const String*> order;
        for (const auto& w : words)
            order.push_back(&w);
        std::stable_sort(order.begin(), order.end(),
                         [](const String* a, const String* b) { return a->size() > b->size(); });

        FirstWord(*order.front(), result);
        for (size_t k = 1; k < order.size() && !result.empty(); ++k)
            KeepContaining(MakeNeedle(*order[k]), result);
        return result;
    }

private:
    struct Needle {
        View text;
        size_t rare = 0; // position of the least frequent character, searched for first
    };

    template <typename In> static CharT* FoldInto(const In* in, size_t n, CharT* out) noexcept
    {
        // ascii::Upper written branch-free, so that the compiler can fold many characters at once.
        using U = std::make_unsigned_t<In>;
        for (size_t i = 0; i < n; ++i) {
            const U c = static_cast<U>(in[i]);
            out[i] = static_cast<CharT>(c - (static_cast<U>(c - U('a')) < 26u ? U(32) : U(0)));
        }
        return out + n;
    }

    // Character counts pick which character of a word to look for first; a sample is enough.
    void CountFrequencies(size_t from) noexcept
    {
        const size_t step = folded_.size() - from > (1u << 20) ? 61 : 1;
        for (size_t i = from; i < folded_.size(); i += step)
            ++frequency_[Bucket(folded_[i])];
    }

    static size_t Bucket(CharT c) noexcept
    {
        const auto u = static_cast<std::make_unsigned_t<CharT>>(c);
        return u < 256 ? u : 255;
    }

    View EntryView(uint32_t i) const noexcept
    {
        return View(folded_.data() + starts_[i], starts_[i + 1] - starts_[i] - 1);
    }

    Needle MakeNeedle(const String& word) const noexcept
    {
        Needle needle{View(word), 0};
        for (size_t i = 1; i < word.size(); ++i)
            if (frequency_[Bucket(word[i])] < frequency_[Bucket(word[needle.rare])])
                needle.rare = i;
        return needle;
    }

    // Finds `needle` in `hay` from `from`; npos when absent.
    static size_t Find(View hay, const Needle& needle, size_t from) noexcept
    {
        const size_t len = needle.text.size();
        if (hay.size() < len)
            return View::npos;
#ifdef ZARVI_SEARCH_SSE2
        if constexpr (sizeof(CharT) <= 2) {
            if (len >= 2)
                return FindByEnds(hay, needle.text, from);
        }
#endif
        const CharT rareChar = needle.text[needle.rare];
        const size_t last = hay.size() - len; // last possible start
        size_t pos = from + needle.rare;
        while (from <= last) {
            const CharT* hit = std::char_traits<CharT>::find(hay.data() + pos, last + needle.rare + 1 - pos, rareChar);
            if (!hit)
                return View::npos;
            const size_t start = static_cast<size_t>(hit - hay.data()) - needle.rare;
            // The word's ends first: most places of its rarest character fail there, without a call.
            if (hay[start] == needle.text[0] && hay[start + len - 1] == needle.text[len - 1] &&
                std::char_traits<CharT>::compare(hay.data() + start, needle.text.data(), len) == 0)
                return start;
            pos = static_cast<size_t>(hit - hay.data()) + 1;
            from = start + 1;
        }
        return View::npos;
    }

#ifdef ZARVI_SEARCH_SSE2
    // Sixteen bytes of places at a time: those where the word's first and last characters both
    // stand are rare, and only they are compared whole.
    static __m128i Splat(CharT c) noexcept
    {
        if constexpr (sizeof(CharT) == 1)
            return _mm_set1_epi8(static_cast<char>(c));
        else
            return _mm_set1_epi16(static_cast<short>(c));
    }
    static __m128i Equal(__m128i a, __m128i b) noexcept
    {
        if constexpr (sizeof(CharT) == 1)
            return _mm_cmpeq_epi8(a, b);
        else
            return _mm_cmpeq_epi16(a, b);
    }

    static size_t FindByEnds(View hay, View word, size_t from) noexcept
    {
        const size_t len = word.size();
        const size_t last = hay.size() - len; // last possible start
        constexpr size_t kLanes = 16 / sizeof(CharT);
        const __m128i first = Splat(word[0]), end = Splat(word[len - 1]);
        const CharT* data = hay.data();
        size_t pos = from;
        for (; pos + kLanes - 1 <= last; pos += kLanes) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + len - 1));
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(Equal(a, first), Equal(b, end))));
            while (mask) {
                const auto bit = static_cast<unsigned>(std::countr_zero(mask));
                const size_t start = pos + bit / sizeof(CharT);
                if (std::char_traits<CharT>::compare(data + start + 1, word.data() + 1, len - 2) == 0)
                    return start;
                mask &= ~((sizeof(CharT) == 1 ? 1u : 3u) << bit);
            }
        }
        for (; pos <= last; ++pos)
            if (data[pos] == word[0] && data[pos + len - 1] == word[len - 1] &&
                std::char_traits<CharT>::compare(data + pos + 1, word.data() + 1, len - 2) == 0)
                return pos;
        return View::npos;
    }
#endif

    static bool Contains(View entry, const Needle& needle) noexcept
    {
        return Find(entry, needle, 0) != View::npos;
    }

    // Which kinds of character a text holds, one bit per kind (letters and digits each a kind of
    // their own): an entry lacking a kind the word holds cannot contain the word.
    static uint64_t MaskOf(View text) noexcept
    {
        uint64_t mask = 0;
        for (CharT c : text)
            mask |= uint64_t{1} << KindOf(c);
        return mask;
    }
    static unsigned KindOf(CharT c) noexcept
    {
        const auto u = static_cast<std::make_unsigned_t<CharT>>(c);
        if (u >= 'A' && u <= 'Z')
            return static_cast<unsigned>(u - 'A');
        if (u >= '0' && u <= '9')
            return 26u + static_cast<unsigned>(u - '0');
        return u < 128 ? 36u + static_cast<unsigned>(u % 26u) : 62u + (u >= 256 ? 1u : 0u);
    }

    // A rare word is looked for only in the entries that hold its kinds of character: a few
    // megabytes read instead of the whole list. False (and `result` empty) when too many entries
    // qualify for that to pay.
    bool FirstWordByKinds(const Needle& needle, std::vector<uint32_t>& result) const
    {
        if (Size() < kKindsWorthIt)
            return false;
        const uint64_t need = MaskOf(needle.text);
        const size_t most = Size() / 8;
        for (uint32_t i = 0; i < masks_.size(); ++i) {
            if ((masks_[i] & need) != need)
                continue;
            if (result.size() == most) {
                result.clear();
                return false;
            }
            result.push_back(i);
        }
        KeepContaining(needle, result);
        return true;
    }

    // Of the entries in `result`, those that contain `needle`, in the same order.
    void KeepContaining(const Needle& needle, std::vector<uint32_t>& result) const noexcept
    {
        size_t kept = 0;
        for (uint32_t i : result)
            if (Contains(EntryView(i), needle))
                result[kept++] = i;
        result.resize(kept);
    }

    void FirstWord(const String& word, std::vector<uint32_t>& result) const
    {
        const Needle needle = MakeNeedle(word);
        if (FirstWordByKinds(needle, result))
            return;
        if (word.find(CharT(0)) != String::npos) {
            // The separator itself: a hit could span two entries, so look entry by entry.
            for (uint32_t i = 0; i < Size(); ++i)
                if (Contains(EntryView(i), needle))
                    result.push_back(i);
            return;
        }
        const View hay(folded_);
        size_t pos = 0;
        uint32_t entry = 0;
        while ((pos = Find(hay, needle, pos)) != View::npos) {
            // Entries are visited in order, so the owner of a hit is found by walking forward.
            entry = static_cast<uint32_t>(std::upper_bound(starts_.begin() + entry, starts_.end(), pos) -
                                          starts_.begin() - 1);
            result.push_back(entry);
            pos = starts_[entry + 1];
        }
    }

    // Below this many entries the whole text is read at once faster than kinds are checked.
    static constexpr size_t kKindsWorthIt = 4096;

    String folded_;
    std::vector<size_t> starts_;
    std::vector<uint64_t> masks_; // kinds of character per entry
    std::array<size_t, 256> frequency_{};
};

// An index of wide entries kept one byte per character when every character of the list fits
// in one (paths usually do): half the memory, twice as many places compared at once, the same
// answers as EntryIndex<WideChar>.
template <typename WideChar> class CompactEntryIndex {
public:
    using String = std::basic_string<WideChar>;

    CompactEntryIndex() = default;

    template <typename Range> explicit CompactEntryIndex(const Range& entries)
    {
        narrow_ = std::all_of(std::begin(entries), std::end(entries), [](const auto& e) { return FitsByte(e); });
        if (narrow_)
            narrowIndex_ = EntryIndex<char>(entries);
        else
            wideIndex_ = EntryIndex<WideChar>(entries);
    }

    size_t Size() const noexcept { return narrow_ ? narrowIndex_.Size() : wideIndex_.Size(); }

    // Indexes the entries of `entries` from `from` on, after those held (its first `from`).
    template <typename Range> void Append(const Range& entries, size_t from)
    {
        const auto first = std::next(std::begin(entries), static_cast<std::ptrdiff_t>(from));
        if (!narrow_)
            wideIndex_.Append(entries, from);
        else if (std::all_of(first, std::end(entries), [](const auto& e) { return FitsByte(e); }))
            narrowIndex_.Append(entries, from);
        else
            *this = CompactEntryIndex(entries); // a character wider than a byte: wide from now on
    }

    std::vector<uint32_t> Match(const std::vector<String>& words) const
    {
        if (!narrow_)
            return wideIndex_.Match(words);
        std::vector<std::string> narrowWords;
        for (const auto& w : words) {
            if (!FitsByte(w))
                return {}; // a character no entry holds
            narrowWords.emplace_back(w.size(), '\0');
            std::transform(w.begin(), w.end(), narrowWords.back().begin(),
                           [](WideChar c) { return static_cast<char>(static_cast<unsigned char>(c)); });
        }
        return narrowIndex_.Match(narrowWords);
    }

    // Whether entry `i` may begin with `folded` (a folded text) under a case rule that folds
    // more than ASCII: ASCII characters must be equal as folded, and a character beyond ASCII on
    // either side leaves the answer open (true).
    bool MayBeginWith(uint32_t i, std::basic_string_view<WideChar> folded) const noexcept
    {
        return narrow_ ? MayBegin(narrowIndex_.FoldedEntry(i), folded) : MayBegin(wideIndex_.FoldedEntry(i), folded);
    }

private:
    template <typename Entry> static bool MayBegin(Entry entry, std::basic_string_view<WideChar> folded) noexcept
    {
        using E = std::make_unsigned_t<typename Entry::value_type>;
        using U = std::make_unsigned_t<WideChar>;
        for (size_t k = 0; k < folded.size(); ++k) {
            if (k == entry.size())
                return false;
            const auto e = static_cast<U>(static_cast<E>(entry[k]));
            const auto t = static_cast<U>(folded[k]);
            if (e >= 128u || t >= 128u)
                return true;
            if (e != t)
                return false;
        }
        return true;
    }

    template <typename Text> static bool FitsByte(const Text& text) noexcept
    {
        using U = std::make_unsigned_t<WideChar>;
        return std::all_of(std::begin(text), std::end(text), [](WideChar c) { return static_cast<U>(c) < 256u; });
    }

    bool narrow_ = true;
    EntryIndex<char> narrowIndex_;
    EntryIndex<WideChar> wideIndex_;
};

// Every line of `text` (lines end at `separator`; the last may lack it) that contains every
// folded word, in order, given to `take` as a view into `text`. Looked for in the text as it
// stands, without a folded copy of it: the longest word's places by its first two characters in
// either case, sixteen at a time, each then compared where it stands; the other words only in
// the lines it is found in. Answers as EntryIndex does for the same lines.
template <typename Take>
void ForEachLineContaining(std::string_view text, char separator, const std::vector<std::string>& words, Take&& take)
{
    const auto lineEndFrom = [&](size_t from) {
        const size_t end = text.find(separator, from);
        return end == std::string_view::npos ? text.size() : end;
    };
    if (words.empty()) {
        for (size_t start = 0; start < text.size();) {
            const size_t end = lineEndFrom(start);
            take(text.substr(start, end - start));
            start = end + 1;
        }
        return;
    }
    for (const std::string& w : words)
        if (w.empty() || w.find(separator) != std::string::npos)
            return; // an empty word matches nothing; no word spans two lines
    const std::string& key = *std::max_element(
        words.begin(), words.end(), [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    const auto foldedAt = [](std::string_view where, const std::string& word) {
        for (size_t k = 0; k < word.size(); ++k)
            if (FoldAscii(where[k]) != word[k])
                return false;
        return true;
    };
    const auto containsFolded = [&](std::string_view line, const std::string& word) {
        for (size_t at = 0; at + word.size() <= line.size(); ++at)
            if (foldedAt(line.substr(at), word))
                return true;
        return false;
    };
    const char first[2] = {key[0], ascii::Lower(key[0])};
    const char second[2] = {key.size() > 1 ? key[1] : '\0', key.size() > 1 ? ascii::Lower(key[1]) : '\0'};
    const size_t last = text.size() >= key.size() ? text.size() - key.size() : 0;
    size_t lineStart = 0; // of the line `at` is in, or a line before it
    size_t at = 0;
    const auto found = [&](size_t place) {
        // The line holding `place`: its start is after the last separator before it.
        size_t start = place;
        while (start > lineStart && text[start - 1] != separator)
            --start;
        const size_t end = lineEndFrom(place);
        const std::string_view line = text.substr(start, end - start);
        bool all = true;
        for (const std::string& w : words)
            if (&w != &key && !containsFolded(line, w)) {
                all = false;
                break;
            }
        if (all)
            take(line);
        lineStart = end + 1;
        at = end + 1; // one answer per line
    };
    if (text.size() < key.size())
        return;
#if ZARVI_SEARCH_SSE2
    if (key.size() > 1) {
        const __m128i f0 = _mm_set1_epi8(first[0]), f1 = _mm_set1_epi8(first[1]);
        const __m128i s0 = _mm_set1_epi8(second[0]), s1 = _mm_set1_epi8(second[1]);
        while (at + 16 + 1 <= text.size() && at <= last) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + 1));
            unsigned mask = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1)),
                                                _mm_or_si128(_mm_cmpeq_epi8(b, s0), _mm_cmpeq_epi8(b, s1)))));
            const size_t base = at;
            bool jumped = false;
            while (mask) {
                const size_t place = base + static_cast<size_t>(std::countr_zero(mask));
                mask &= mask - 1;
                if (place < at || place > last)
                    continue;
                if (foldedAt(text.substr(place), key)) {
                    found(place);
                    jumped = true;
                    break;
                }
            }
            if (!jumped)
                at = base + 16;
        }
    }
#endif
    while (at <= last) {
        const char c = text[at];
        if ((c == first[0] || c == first[1]) && foldedAt(text.substr(at), key))
            found(at); // on to the next line's start
        else
            ++at;
    }
}

} // namespace search
