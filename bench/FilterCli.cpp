// The search box's matching rules as a command-line filter: reads lines on standard input and
// prints, in order, those that contain every word of the first argument (as typed in the box).
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/SearchFilter.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s \"WORDS\" < list\n", argv[0]);
        return 2;
    }
    // Piece by piece, each cut after a whole line, so memory stays small and warm; the
    // result is the same as for the whole list at once, since each line matches on its own.
    const auto words = search::SplitWords(std::string_view(argv[1]));
    search::EntryIndex<char> index;
    std::string piece;
    std::string out;
    std::vector<char> buffer(8u << 20);
    bool ended = false;
    while (!ended) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), stdin);
        ended = n == 0;
        piece.append(buffer.data(), n);
        const size_t cut = ended ? piece.size() : piece.rfind('\n') + 1;
        if (cut == 0)
            continue;
        const std::string_view lines(piece.data(), cut);
        index.AssignText(lines, '\n');
        out.clear();
        for (uint32_t i : index.Match(words)) {
            std::string_view line = index.Original(lines, i);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            out.append(line);
            out.push_back('\n');
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        piece.erase(0, cut);
    }
    return 0;
}
