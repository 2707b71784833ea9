#pragma once
// Realistic Windows paths for the benchmarks: user folders, projects, media and program
// files, a few levels deep, median length about seventy characters. Same seed, same list.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace bench {

inline std::vector<std::string> GeneratePaths(size_t count, uint32_t seed = 1137)
{
    static const char* const users[] = {"Ann", "jbrown", "Maria.Lopez", "dev", "Kenji", "olga_k"};
    static const char* const roots[] = {"Documents", "Pictures", "Music",         "Downloads",
                                        "Desktop",   "Videos",   "source\\repos", "OneDrive\\Work"};
    static const char* const folders[] = {
        "Invoices",    "2024",        "2025",          "Archive", "Holiday Photos", "Projects", "Taxes",
        "Reports",     "Q3 Planning", "node_modules",  "src",     "build",          "assets",   "Meeting Notes",
        "Recipes",     "Scans",       "Band Practice", "old",     "Drafts",         "Clients",  "Website",
        "Camera Roll", "Thesis",      "Templates",     "Backups", "Marketing",      "HR",       "Budget"};
    static const char* const stems[] = {"report",   "invoice", "notes",   "IMG_",   "summary", "draft",
                                        "contract", "budget",  "readme",  "photo",  "scan",    "index",
                                        "main",     "setup",   "minutes", "letter", "track",   "presentation",
                                        "schedule", "data",    "DSC",     "backup", "resume",  "plan"};
    static const char* const extensions[] = {".docx", ".pdf", ".xlsx", ".jpg", ".png", ".mp3",  ".txt",
                                             ".cpp",  ".h",   ".pptx", ".zip", ".mp4", ".json", ".lnk"};
    std::mt19937 random(seed);
    auto pick = [&](const auto& table) { return table[random() % (sizeof(table) / sizeof(table[0]))]; };

    std::vector<std::string> paths;
    paths.reserve(count);
    while (paths.size() < count) {
        std::string path;
        const auto kind = random() % 10;
        if (kind == 0) {
            path = std::string("C:\\Program Files\\") + pick(folders) + " Suite\\bin";
        } else if (kind == 1) {
            path = std::string("D:\\Data\\") + pick(folders);
        } else {
            path = std::string("C:\\Users\\") + pick(users) + "\\" + pick(roots);
        }
        const auto depth = 2 + random() % 3;
        for (decltype(random()) i = 0; i < depth; ++i)
            path += std::string("\\") + pick(folders);
        if (random() % 6 == 0) {
            paths.push_back(path); // a folder entry
            continue;
        }
        path += std::string("\\") + pick(stems) + std::to_string(random() % 4000) + pick(extensions);
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace bench
