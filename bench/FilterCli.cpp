// The search box's matching rules as a command-line filter: reads lines on standard input and
// prints, in order, those that contain every word of the first argument (as typed in the box).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/SearchFilter.h"

namespace {

constexpr size_t kPiece = 8u << 20;

// Lines matched piece by piece, each cut after a whole line, so memory stays small and warm; the
// result is the same as for the whole list at once, since each line matches on its own.
class Filter {
public:
    explicit Filter(const char* typed) : words_(search::SplitWords(std::string_view(typed))) {}

    // Whole lines (the last one may lack its line break), looked for where they stand.
    void Lines(std::string_view lines)
    {
        out_.clear();
        search::ForEachLineContaining(lines, '\n', words_, [this](std::string_view line) {
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            out_.append(line);
            out_.push_back('\n');
        });
        std::fwrite(out_.data(), 1, out_.size(), stdout);
    }

private:
    std::vector<std::string> words_;
    std::string out_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s \"WORDS\" < list\n", argv[0]);
        return 2;
    }
    Filter filter(argv[1]);
    // Read piece by piece into one buffer: mapping the file costs a page fault per page, more than
    // the copy a read makes. The unfinished last line of a piece starts the next one.
    std::vector<char> buffer(kPiece);
    size_t kept = 0;
    for (;;) {
        if (kept == buffer.size())
            buffer.resize(buffer.size() * 2); // one line longer than a piece
        const size_t n = std::fread(buffer.data() + kept, 1, buffer.size() - kept, stdin);
        const size_t filled = kept + n;
        if (n == 0) {
            if (filled > 0)
                filter.Lines(std::string_view(buffer.data(), filled));
            return 0;
        }
        const std::string_view piece(buffer.data(), filled);
        const size_t lastBreak = piece.rfind('\n');
        if (lastBreak == std::string_view::npos) {
            kept = filled;
            continue;
        }
        filter.Lines(piece.substr(0, lastBreak + 1));
        kept = filled - (lastBreak + 1);
        std::memmove(buffer.data(), buffer.data() + lastBreak + 1, kept);
    }
}
