#include "core/FolderScanner.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <span>
#include <unordered_map>

#include "core/FileHelper.h"
#include "core/Lock.h"
#include "core/WinError.h"
#include "core/rules/ErrorText.h"
#include "core/rules/PathListText.h"

namespace {

// What makes a listed folder's entries out of date: a child added, removed or renamed, or its
// attributes changed (a child hidden or shown).
constexpr DWORD kChangeFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;

// While folders are still being scanned, what is known is published at most this often.
constexpr DWORD kPartialIntervalMs = 50;

void ScanWithScanFolder(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper)
{
    ScanFolder(folder, list, deeper);
}

} // namespace

// One listed folder as the worker keeps it.
struct FolderScanner::Watched {
    std::wstring folder;
    bool deeper = false;
    ChangeHandle change;         // empty where the platform offers no notification: rescanned every time
    std::wstring problem;        // the error that stopped its scan
    uint64_t contentVersion = 0; // 0 until its first scan

    // Its entries are its own until they are published whole; from then on they are read from
    // the published list, so that they are not kept twice.
    std::vector<std::wstring> own;
    std::shared_ptr<const std::vector<std::wstring>> published;
    size_t publishedAt = 0;
    size_t count = 0;

    std::span<const std::wstring> Entries() const noexcept
    {
        return published ? std::span<const std::wstring>(published->data() + publishedAt, count)
                         : std::span<const std::wstring>(own);
    }
    void Own(std::vector<std::wstring> entries)
    {
        own = std::move(entries);
        published.reset();
        publishedAt = 0;
        count = own.size();
    }
};

// One folder's scan on a thread of its own; the worker merges it once the thread has ended.
struct FolderScanner::ScanJob {
    ScanJob(Watched& w, ScanFunction f) : watched(w), scan(f) {}
    Watched& watched; // read only while the scan runs
    ScanFunction scan;
    std::vector<std::wstring> entries;
    std::wstring problem;
    KernelHandle thread;

    static DWORD WINAPI Run(void* self) noexcept
    {
        auto& job = *static_cast<ScanJob*>(self);
        try {
            job.scan(job.watched.folder, job.entries, job.watched.deeper);
        } catch (...) {
            job.problem = CurrentErrorMessage();
        }
        return 0;
    }
};

// What the user-interface thread and the worker share, under `lock`.
struct FolderScanner::Shared {
    mutable SRWLOCK lock = SRWLOCK_INIT;
    mutable CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    KernelHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    bool quit = false;
    uint64_t requested = 0; // number of the newest request
    uint64_t completed = 0; // number of the newest request whose list is complete
    std::wstring pathListFile;
    HWND window = nullptr;
    UINT message = 0;
    EntrySnapshot snapshot;
    // What the published entries were assembled from: which folders, at which content versions.
    std::vector<std::pair<const Watched*, uint64_t>> madeOf;
};

FolderScanner::FolderScanner(ScanFunction scan)
    : scan_(scan ? scan : &ScanWithScanFolder), shared_(std::make_unique<Shared>())
{
}

void FolderScanner::SetScanFunction(ScanFunction scan) noexcept
{
    scan_ = scan ? scan : &ScanWithScanFolder;
}

FolderScanner::~FolderScanner()
{
    if (!thread_)
        return;
    {
        const ExclusiveLock lock(shared_->lock);
        shared_->quit = true;
    }
    ::SetEvent(shared_->wake.get());
    // A scan under way ends at its folder's end; a share that never answers is not waited for.
    ::WaitForSingleObject(thread_.get(), 2000);
}

void FolderScanner::Request(const std::wstring& pathListFile, HWND window, UINT message)
{
    {
        const ExclusiveLock lock(shared_->lock);
        ++shared_->requested;
        shared_->pathListFile = pathListFile;
        shared_->window = window;
        shared_->message = message;
        shared_->snapshot.complete = false;
    }
    if (!thread_)
        thread_.reset(::CreateThread(nullptr, 0, &FolderScanner::Run, this, 0, nullptr));
    if (!thread_)
        ThrowLastError(L"CreateThread");
    ::SetEvent(shared_->wake.get());
}

bool FolderScanner::WaitComplete(DWORD ms) const
{
    const DWORD start = ::GetTickCount();
    const ExclusiveLock lock(shared_->lock);
    while (shared_->completed != shared_->requested) {
        const DWORD spent = ::GetTickCount() - start;
        if (ms != INFINITE && spent >= ms)
            return false;
        ::SleepConditionVariableSRW(&shared_->changed, &shared_->lock, ms == INFINITE ? INFINITE : ms - spent, 0);
    }
    return true;
}

EntrySnapshot FolderScanner::Current() const
{
    const ExclusiveLock lock(shared_->lock);
    return shared_->snapshot;
}

DWORD WINAPI FolderScanner::Run(void* self) noexcept
{
    static_cast<FolderScanner*>(self)->Work();
    return 0;
}

void FolderScanner::Work()
{
    uint64_t done = 0;
    for (;;) {
        std::wstring pathListFile;
        uint64_t request = 0;
        {
            const ExclusiveLock lock(shared_->lock);
            if (shared_->quit)
                return;
            request = shared_->requested;
            pathListFile = shared_->pathListFile;
        }
        if (request == done) {
            ::WaitForSingleObject(shared_->wake.get(), INFINITE);
            continue;
        }
        serving_ = request;
        try {
            Update(pathListFile);
        } catch (...) {
            // Nothing below is expected to raise (every error is kept with its folder); a list
            // that cannot be made is published as it stands rather than waited for forever.
            Publish({}, CurrentErrorMessage(), true);
        }
        done = request;
        const ExclusiveLock lock(shared_->lock);
        // A newer request made meanwhile is served by the next round, not marked done by this one.
        if (shared_->requested == request) {
            shared_->completed = request;
            ::WakeAllConditionVariable(&shared_->changed);
        }
    }
}

void FolderScanner::Update(const std::wstring& pathListFile)
{
    std::wstring listProblem;
    std::vector<std::wstring> rows;
    try {
        rows = ReadPathListRows(pathListFile);
    } catch (...) {
        listProblem = CurrentErrorMessage();
    }

    // The folders of this list, row by row; a folder listed twice is kept and scanned once.
    // Looked up by "*" or " " then the folder: a list of many thousand rows stays linear.
    const auto key = [](bool deeper, const std::wstring& folder) { return (deeper ? L"*" : L" ") + folder; };
    std::unordered_map<std::wstring, std::unique_ptr<Watched>> before;
    for (auto& w : watched_)
        before.emplace(key(w->deeper, w->folder), std::move(w));
    std::vector<Watched*> plan;
    std::vector<std::unique_ptr<Watched>> kept;
    // A row seen before in this list is not looked up again: null for a folder that is not there.
    std::unordered_map<std::wstring, Watched*> keptByKey;
    size_t folderRows = 0;
    for (const std::wstring& text : rows) {
        pathlist::Row row = pathlist::ParseRow(text);
        if (row.kind == pathlist::Row::Kind::Comment)
            continue;
        if (++folderRows > pathlist::kMaxFolderRows) {
            listProblem = pathlist::TooManyRowsText();
            break;
        }
        const std::wstring name = key(row.deeper, row.folder);
        const auto [seen, first] = keptByKey.try_emplace(name, nullptr);
        Watched*& found = seen->second;
        if (first && DirectoryExists(row.folder)) {
            auto old = before.find(name);
            if (old != before.end()) {
                found = kept.emplace_back(std::move(old->second)).get();
            } else {
                auto fresh = std::make_unique<Watched>();
                fresh->folder = std::move(row.folder);
                fresh->deeper = row.deeper;
                found = kept.emplace_back(std::move(fresh)).get();
            }
        }
        if (found)
            plan.push_back(found);
    }
    watched_ = std::move(kept); // folders no longer listed are forgotten, their notifications closed

    std::vector<Watched*> stale;
    for (auto& w : watched_) {
        const bool changed = w->change && ::WaitForSingleObject(w->change.get(), 0) == WAIT_OBJECT_0;
        if (w->contentVersion == 0 || !w->change || changed)
            stale.push_back(w.get());
    }
    if (!stale.empty())
        Publish(plan, listProblem, false);

    // Each stale folder is scanned on a thread of its own, so that a slow one (a share that
    // takes seconds to answer) holds up no other; what is known is published as scans end.
    DWORD lastPublished = ::GetTickCount();
    for (size_t first = 0; first < stale.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const size_t count = std::min<size_t>(MAXIMUM_WAIT_OBJECTS, stale.size() - first);
        std::vector<std::unique_ptr<ScanJob>> jobs;
        for (size_t i = first; i < first + count; ++i) {
            Watched& w = *stale[i];
            // Armed before the scan, so that a change made during it brings the next rescan.
            if (w.change)
                ::FindNextChangeNotification(w.change.get());
            else
                w.change.reset(::FindFirstChangeNotificationW(w.folder.c_str(), w.deeper, kChangeFilter));
            auto& job = jobs.emplace_back(std::make_unique<ScanJob>(w, scan_));
            job->thread.reset(::CreateThread(nullptr, 0, &ScanJob::Run, job.get(), 0, nullptr));
            if (!job->thread)
                ScanJob::Run(job.get());
        }
        std::vector<bool> merged(count, false);
        bool unpublished = false; // merged since the last publication
        for (size_t left = count; left > 0;) {
            std::vector<HANDLE> running;
            for (const auto& job : jobs)
                if (job->thread && ::WaitForSingleObject(job->thread.get(), 0) == WAIT_TIMEOUT)
                    running.push_back(job->thread.get());
            // Until one ends, or until what has ended is due to be published; not at all while
            // one has ended unmerged.
            const DWORD sincePublished = ::GetTickCount() - lastPublished;
            const DWORD wait = running.size() < left                  ? 0
                               : !unpublished                         ? INFINITE
                               : sincePublished >= kPartialIntervalMs ? 0
                                                                      : kPartialIntervalMs - sincePublished;
            if (!running.empty() && wait > 0)
                ::WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), FALSE, wait);
            for (size_t i = 0; i < count; ++i) {
                ScanJob& job = *jobs[i];
                if (merged[i] || (job.thread && ::WaitForSingleObject(job.thread.get(), 0) == WAIT_TIMEOUT))
                    continue;
                merged[i] = true;
                unpublished = true;
                --left;
                Watched& w = job.watched;
                if (w.contentVersion == 0 || !std::ranges::equal(job.entries, w.Entries()) ||
                    job.problem != w.problem) {
                    w.Own(std::move(job.entries));
                    w.problem = std::move(job.problem);
                    w.contentVersion = ++versions_; // never one a forgotten folder had
                }
            }
            if (left > 0 && unpublished && ::GetTickCount() - lastPublished >= kPartialIntervalMs) {
                Publish(plan, listProblem, false);
                lastPublished = ::GetTickCount();
                unpublished = false;
            }
        }
    }
    Publish(plan, listProblem, true);
}

void FolderScanner::Publish(const std::vector<Watched*>& plan, const std::wstring& listProblem, bool complete)
{
    std::vector<std::pair<const Watched*, uint64_t>> madeOf;
    std::wstring problem = listProblem;
    size_t count = 0;
    size_t lastTaken = 0; // of the last folder's entries
    for (const Watched* w : plan) {
        madeOf.emplace_back(w, w->contentVersion);
        lastTaken = std::min(w->count, pathlist::kMaxEntries - count);
        count += lastTaken;
        if (lastTaken < w->count) {
            problem = pathlist::TooManyEntriesText(w->folder);
            break;
        }
        // An error stops the collection: the folders after it are not part of the list.
        if (!w->problem.empty()) {
            problem = w->problem;
            break;
        }
    }

    HWND window = nullptr;
    UINT message = 0;
    bool same = false;
    {
        const ExclusiveLock lock(shared_->lock);
        same = shared_->snapshot.version != 0 && madeOf == shared_->madeOf && problem == shared_->snapshot.problem;
        window = shared_->window;
        message = shared_->message;
    }
    std::shared_ptr<const std::vector<std::wstring>> entries;
    if (!same) {
        auto list = std::make_shared<std::vector<std::wstring>>();
        list->reserve(count + 1);
        list->emplace_back();
        for (size_t i = 0; i < madeOf.size(); ++i) {
            Watched& w = *plan[i];
            const size_t taken = i + 1 < madeOf.size() ? w.count : lastTaken;
            const size_t at = list->size();
            if (w.published == list) {
                // Listed twice: its entries stand in this list already (room is reserved).
                for (size_t k = 0; k < taken; ++k)
                    list->push_back((*list)[w.publishedAt + k]);
                continue;
            }
            if (!w.published && taken == w.count) {
                std::move(w.own.begin(), w.own.end(), std::back_inserter(*list));
            } else {
                const auto from = w.Entries().first(taken);
                list->insert(list->end(), from.begin(), from.end());
            }
            if (taken == w.count) {
                w.own = {};
                w.published = list;
                w.publishedAt = at;
            }
        }
        // A folder left out of this list keeps its entries itself, not an older list whole.
        for (auto& w : watched_)
            if (w->published && w->published != list)
                w->Own(std::vector<std::wstring>(w->Entries().begin(), w->Entries().end()));
        entries = std::move(list);
    }
    {
        const ExclusiveLock lock(shared_->lock);
        if (!same) {
            shared_->snapshot.entries = std::move(entries);
            shared_->snapshot.problem = std::move(problem);
            ++shared_->snapshot.version;
            shared_->madeOf = std::move(madeOf);
        }
        shared_->snapshot.request = serving_;
        // A newer request still to be served makes this list out of date already.
        shared_->snapshot.complete = complete && shared_->requested == serving_;
    }
    if (window && message)
        ::PostMessageW(window, message, 0, 0);
}

FolderScanner& Scanner()
{
    static FolderScanner* const scanner = new FolderScanner;
    return *scanner;
}
