// The search box's matching rules as a command-line filter: reads lines on standard input and
// prints, in order, those that contain every word of the first argument (as typed in the box).
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#if defined(__unix__)
#include <sys/mman.h>
#include <sys/stat.h>
#endif

#include "core/rules/SearchFilter.h"

namespace {

constexpr size_t kPiece = 8u << 20;

// Lines matched piece by piece, each cut after a whole line, so memory stays small and warm; the
// result is the same as for the whole list at once, since each line matches on its own.
class Filter {
public:
    explicit Filter(const char* typed) : words_(search::SplitWords(std::string_view(typed))) {}

    // Whole lines (the last one may lack its line break).
    void Lines(std::string_view lines)
    {
        index_.AssignText(lines, '\n');
        out_.clear();
        for (uint32_t i : index_.Match(words_)) {
            std::string_view line = index_.Original(lines, i);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            out_.append(line);
            out_.push_back('\n');
        }
        std::fwrite(out_.data(), 1, out_.size(), stdout);
    }

private:
    std::vector<std::string> words_;
    search::EntryIndex<char> index_;
    std::string out_;
};

#if defined(__unix__)
// A file on standard input is mapped rather than read: no copy of it through a buffer.
bool FilterMapped(Filter& filter)
{
    struct stat info {};
    if (::fstat(0, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    const auto size = static_cast<size_t>(info.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, 0, 0);
    if (map == MAP_FAILED)
        return false;
    ::madvise(map, size, MADV_SEQUENTIAL);
    const std::string_view all(static_cast<const char*>(map), size);
    for (size_t at = 0; at < size;) {
        size_t cut = std::min(size, at + kPiece);
        if (cut < size) {
            const size_t lineEnd = all.rfind('\n', cut - 1);
            cut = lineEnd == std::string_view::npos || lineEnd < at ? all.find('\n', cut) : lineEnd;
            cut = cut == std::string_view::npos ? size : cut + 1;
        }
        filter.Lines(all.substr(at, cut - at));
        at = cut;
    }
    ::munmap(map, size);
    return true;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s \"WORDS\" < list\n", argv[0]);
        return 2;
    }
    Filter filter(argv[1]);
#if defined(__unix__)
    if (FilterMapped(filter))
        return 0;
#endif
    std::string piece;
    std::vector<char> buffer(kPiece);
    bool ended = false;
    while (!ended) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), stdin);
        ended = n == 0;
        piece.append(buffer.data(), n);
        const size_t cut = ended ? piece.size() : piece.rfind('\n') + 1;
        if (cut == 0)
            continue;
        filter.Lines(std::string_view(piece.data(), cut));
        piece.erase(0, cut);
    }
    return 0;
}
