#pragma once
// The entry list, kept from one show to the next: each listed folder's entries are kept with a
// change notification of that folder, so bringing the list up to date rescans only the folders
// that changed, on a thread of its own. The entries and their order are exactly those of
// reading every row and scanning every listed folder anew.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Handle.h"

struct EntrySnapshot {
    // Element 0 is the empty string, then the entries in the order found.
    std::shared_ptr<const std::vector<std::wstring>> entries;
    // The message of the error that stopped the collection; empty when it ran to the end.
    std::wstring problem;
    // False while folders are still being scanned: their entries are those of their last scan.
    bool complete = false;
    // Changes whenever the entries or the problem do; 0 before the first list.
    uint64_t version = 0;
    // The request this list answers (requests are numbered from 1).
    uint64_t request = 0;
};

class FolderScanner {
public:
    // How one folder is scanned: ScanFolder, or a stand-in (a test's slow folder).
    using ScanFunction = void (*)(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper);

    explicit FolderScanner(ScanFunction scan = nullptr);
    ~FolderScanner();
    FolderScanner(const FolderScanner&) = delete;
    FolderScanner& operator=(const FolderScanner&) = delete;

    // Starts bringing the list of `pathListFile` up to date and returns at once. `window` is
    // posted `message` whenever a newer list is known, partial or complete.
    void Request(const std::wstring& pathListFile, HWND window, UINT message);
    // Waits up to `ms` milliseconds for the list of the last request to be complete.
    bool WaitComplete(DWORD ms) const;
    EntrySnapshot Current() const;
    // Replaces how folders are scanned from the next request on (tests: a folder made slow).
    void SetScanFunction(ScanFunction scan) noexcept;

private:
    struct Watched;
    struct Shared;
    struct ScanJob;
    static DWORD WINAPI Run(void* self) noexcept;
    void Work();
    void Update(const std::wstring& pathListFile);
    void Publish(const std::vector<Watched*>& plan, const std::wstring& listProblem, bool complete);

    std::atomic<ScanFunction> scan_;
    std::unique_ptr<Shared> shared_;
    std::vector<std::unique_ptr<Watched>> watched_; // the worker's own
    uint64_t serving_ = 0;                          // the request the worker is answering
    uint64_t versions_ = 0;                         // the last content version given to a folder's entries
    KernelHandle thread_;
};

// The program's scanner; created on first use and kept until the process ends (a scan of a
// share that never answers may still be running then).
FolderScanner& Scanner();
