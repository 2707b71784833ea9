// Writes the benchmark's list of paths, one per line, to standard output.
#include <cstdio>
#include <cstdlib>

#include "PathGenerator.h"

int main(int argc, char** argv)
{
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::string out;
    for (const auto& path : bench::GeneratePaths(count))
        out += path + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
