#pragma once
// The entry list, kept from one show to the next: each listed folder's entries are kept with the
// folder's identity and last-write time, so bringing the list up to date rescans only the folders
// that changed. Nothing stays open inside a listed folder between shows (an open handle would
// keep the user from renaming its parents or removing its drive). Every folder is looked at on
// a lane of its own off the user-interface thread, so one that never answers (a dead share)
// holds up only itself. The entries and their order are exactly those of reading every row and
// scanning every listed folder anew.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileHelper.h"
#include "core/Handle.h"
#include "core/rules/FolderStamp.h"
#include "core/rules/PathListText.h"

struct EntrySnapshot {
    // Element 0 is the empty string, then the entries in the order found.
    std::shared_ptr<const std::vector<std::wstring>> entries;
    // The message of the error that stopped the collection; empty when it ran to the end.
    std::wstring problem;
    // Why the path list could not be read this time, when the rows read before it still stand.
    std::wstring unreadList;
    // False while folders are still being looked at: their entries are those of their last scan.
    bool complete = false;
    // Changes whenever the entries or the problem do; 0 before the first list.
    uint64_t version = 0;
    // The request this list answers (requests are numbered from 1).
    uint64_t request = 0;
};

class FolderScanner {
public:
    // How one folder is scanned: ScanFolder, or a stand-in (a test's slow folder). `progress`
    // is handed on to ScanFolder.
    using ScanFunction = void (*)(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper,
                                  ScanProgress* progress);

    // `fullLookAfterMs`: how long a folder's times may vouch for its entries before it is scanned
    // again anyway (a child hidden or shown leaves the folder's time alone).
    explicit FolderScanner(ScanFunction scan = nullptr, uint32_t fullLookAfterMs = folderstamp::kFullLookAfterMs);
    ~FolderScanner();
    FolderScanner(const FolderScanner&) = delete;
    FolderScanner& operator=(const FolderScanner&) = delete;

    // Starts bringing the list of `pathListFile` up to date and returns at once. `window` is
    // posted `message` whenever a newer list is known, partial or complete.
    void Request(const std::wstring& pathListFile, HWND window, UINT message);
    // Waits up to `ms` milliseconds for the list of the last request to be complete.
    bool WaitComplete(DWORD ms) const;
    EntrySnapshot Current() const;
    // Replaces how folders are scanned from the next look on (tests: a folder made slow).
    void SetScanFunction(ScanFunction scan) noexcept;

private:
    struct Watched;
    struct Shared;
    struct Lanes;
    static DWORD WINAPI Run(void* self) noexcept;
    void Work();
    struct Shape;

    // A request's steps: read the rows, plan them against the folders watched, look again at
    // every folder (the looks tell what is stale), merge what the looks found, publish.
    void StartRequest(const std::wstring& pathListFile);
    std::vector<pathlist::Row> ReadRows(const std::wstring& pathListFile);
    void PlanRows(const std::vector<pathlist::Row>& rows);
    void Queue(Watched& w);
    // True when an ended look changed what a folder holds.
    bool MergeLooks();
    bool ForgetIfRetired(const Watched& w);
    bool TakeFound(Watched& w);
    bool AllLooked() const;

    // False when a partial list was held back (too little new in it yet).
    bool Publish(bool complete);
    void PublishComplete();
    Shape MeasureList() const;
    static bool InFirstLook(const Watched& w) noexcept;
    bool HoldBackPartial(size_t count);
    std::shared_ptr<const std::vector<std::wstring>> AssembleList(const Shape& shape);
    size_t nextPartialCount_ = 0; // a partial list smaller than this waits
    DWORD lastPartialTick_ = 0;

    std::atomic<ScanFunction> scan_;
    std::unique_ptr<Shared> shared_;
    std::shared_ptr<Lanes> lanes_;
    // The worker's own.
    std::vector<std::unique_ptr<Watched>> watched_;
    std::vector<std::unique_ptr<Watched>> retired_; // no longer listed, their look still running
    std::vector<Watched*> plan_;                    // the listed folders row by row, duplicates kept
    std::wstring listProblem_;
    std::wstring unreadList_;
    std::vector<pathlist::Row> lastRows_; // the rows of the last list read
    bool readBefore_ = false;
    uint64_t serving_ = 0;  // the request the worker is answering
    uint64_t versions_ = 0; // the last content version given to a folder's entries
    KernelHandle thread_;
};

// The program's scanner; created on first use and kept until the process ends (a look at a
// share that never answers may still be running then).
FolderScanner& Scanner();
