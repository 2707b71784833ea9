#include "core/FolderScanner.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <iterator>
#include <map>
#include <span>
#include <unordered_map>

#include "core/FileHelper.h"
#include "core/Lock.h"
#include "core/WinError.h"
#include "core/rules/ErrorText.h"

namespace {

using folderstamp::Stamp;

// While folders are still being looked at, what is known is published at most this often,
constexpr DWORD kPartialIntervalMs = 50;
// and only once it has grown by half since the last partial list (each hand-over copies and
// indexes the whole list: growing by half, each costs what it adds), or after this long.
constexpr DWORD kStalePartialMs = 1000;
// Looks run on a few lanes at once; a lane busy this long with one folder (a share that does not
// answer) no longer counts, and another lane takes the folders behind it.
constexpr size_t kLanes = 4;
constexpr size_t kMaxLanes = 64;
constexpr DWORD kStuckMs = 100;
// An idle lane waits this long for the next show before it ends.
constexpr DWORD kLaneIdleMs = 5000;
// What a volume's root tells (its serial number, whether its folder times vouch) is asked again
// after this long: a drive letter may come back as another disk.
constexpr DWORD kVolumeFactsMs = 10000;
// A long first look (a deep row over a whole drive) hands on what it has found while it runs, so
// that the box fills meanwhile: from this long after its start, once this many entries wait. A
// short one does not: each list handed over is a copy, and two copies of the entries kept for a
// moment leave the program that much bigger.
constexpr DWORD kEarlyAfterMs = 1500;
constexpr size_t kEarlyBatch = 1024;
// The version given in a list's shape to a folder's entries found so far in its first look.
constexpr uint64_t kEarlyVersion = uint64_t{1} << 63;

void ScanWithScanFolder(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper,
                        ScanProgress* progress)
{
    ScanFolder(folder, list, deeper, progress);
}

uint64_t FileTimeValue(const FILETIME& t) noexcept
{
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

uint64_t Now() noexcept
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

// What a volume's root tells, asked once in a while rather than at every folder: under Wine the
// question costs a millisecond.
struct VolumeFacts {
    uint32_t serial = 0;
    bool keepsTimes = false;
    DWORD askedAt = 0;
};

class VolumeCache {
public:
    VolumeFacts Facts(const std::wstring& folder)
    {
        std::wstring full(MAX_PATH, L'\0');
        const DWORD length = ::GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        full.resize(length < full.size() ? length : 0);
        const folderstamp::VolumeRoot root = folderstamp::VolumeRootOf(full);
        if (root.root.empty())
            return {};
        {
            const ExclusiveLock lock(lock_);
            const auto known = facts_.find(root.root);
            if (known != facts_.end() && ::GetTickCount() - known->second.askedAt < kVolumeFactsMs)
                return known->second;
        }
        // Asked outside the lock: a share's root may take long to answer.
        VolumeFacts facts;
        facts.askedAt = ::GetTickCount();
        wchar_t fileSystem[MAX_PATH + 1] = {};
        DWORD serial = 0;
        if (::GetVolumeInformationW(root.root.c_str(), nullptr, 0, &serial, nullptr, nullptr, fileSystem,
                                    MAX_PATH + 1)) {
            facts.serial = serial;
            const bool remote = root.share || ::GetDriveTypeW(root.root.c_str()) == DRIVE_REMOTE;
            facts.keepsTimes = folderstamp::KeepsFolderTimes(fileSystem, remote);
        }
        const ExclusiveLock lock(lock_);
        facts_[root.root] = facts;
        return facts;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::map<std::wstring, VolumeFacts> facts_;
};

// The file system's id of an open file. Asked of ntdll directly: the documented calls that give
// it ask for the volume's serial number too, which costs a millisecond each under Wine.
uint64_t FileIndex(HANDLE file) noexcept
{
    struct StatusBlock {
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    using Query = LONG(WINAPI*)(HANDLE, StatusBlock*, void*, ULONG, int);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
    constexpr int kFileInternalInformation = 6;
    LARGE_INTEGER index{};
    StatusBlock status{};
    if (!query || query(file, &status, &index, sizeof(index), kFileInternalInformation) < 0)
        return 0;
    return static_cast<uint64_t>(index.QuadPart);
}

// Whether `folder` is a folder (links followed: a dangling one is nothing), and its stamp. Opened
// for a moment only.
bool ReadStamp(const std::wstring& folder, uint64_t lookStart, VolumeCache& volumes, Stamp& stamp)
{
    stamp = {};
    if (folder.empty())
        return false;
    FileHandle handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return DirectoryExists(folder); // some folders (a drive's root) open only with rights: no stamp
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.lastWrite = static_cast<uint64_t>(basic.LastWriteTime.QuadPart);
    stamp.file = FileIndex(handle.get());
    const VolumeFacts facts = volumes.Facts(folder);
    stamp.volume = facts.serial;
    stamp.vouches = stamp.file != 0 && facts.keepsTimes && folderstamp::Settled(stamp.lastWrite, lookStart);
    return true;
}

// The last-write time of each subfolder a deep row lists (their own children are its entries);
// false when one cannot be read or is too recent to vouch.
bool ReadSubfolderTimes(const std::wstring& folder, const std::vector<std::wstring>& names, uint64_t lookStart,
                        std::vector<uint64_t>& times)
{
    times.clear();
    times.reserve(names.size());
    bool vouch = true;
    for (const std::wstring& name : names) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::wstring path = JoinPath(folder, name);
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return false;
        times.push_back(FileTimeValue(data.ftLastWriteTime));
        vouch = vouch && folderstamp::Settled(times.back(), lookStart);
    }
    return vouch;
}

// The subfolders among a deep row's entries: those right below the row's folder.
std::vector<std::wstring> SubfolderNames(const std::wstring& folder, std::span<const std::wstring> entries)
{
    const std::wstring prefix = JoinPath(folder, L"");
    std::vector<std::wstring> names;
    for (const std::wstring& entry : entries)
        if (entry.size() > prefix.size() && entry.compare(0, prefix.size(), prefix) == 0 &&
            entry.find(L'\\', prefix.size()) == std::wstring::npos)
            names.push_back(entry.substr(prefix.size()));
    return names;
}

} // namespace

// One listed folder as the worker keeps it.
struct FolderScanner::Watched {
    std::wstring folder;
    bool deeper = false;

    // What its last look found. Read by a look while it runs, written only between looks.
    bool there = false;
    Stamp stamp;
    std::vector<std::wstring> subfolders; // a deep row's, with their times
    std::vector<uint64_t> subfolderTimes;
    bool subfoldersVouch = false;
    DWORD scannedAt = 0;
    std::wstring problem;        // the error that stopped its scan
    uint64_t contentVersion = 0; // 0 until its first look

    // Its entries are its own until they are published whole; from then on they are read from
    // the published list, so that they are not kept twice.
    std::vector<std::wstring> own;
    std::shared_ptr<const std::vector<std::wstring>> published;
    size_t publishedAt = 0;
    size_t count = 0;

    // A first look's entries found so far (nothing known stands for the folder meanwhile): the
    // lane only appends to them, the worker reads them and takes them over when the look ends.
    mutable SRWLOCK earlyLock = SRWLOCK_INIT;
    std::vector<std::wstring> early;

    // The look under way, if any: its request, and what it found (the lane's until it ends).
    bool looking = false;
    uint64_t lookedFor = 0;
    ScanFunction scan = nullptr;
    struct Found {
        bool there = false;
        bool scanned = false; // false: the entries known stand
        Stamp stamp;
        std::vector<std::wstring> entries;
        std::wstring problem;
        std::vector<std::wstring> subfolders;
        std::vector<uint64_t> subfolderTimes;
        bool subfoldersVouch = false;
        DWORD scannedAt = 0;
    } found;

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

    // On a lane: whether the folder is there and, unless its stamp vouches that nothing changed,
    // its entries.
    void Look(VolumeCache& volumes, uint32_t fullLookAfterMs)
    {
        found = {};
        const uint64_t lookStart = Now();
        const DWORD tick = ::GetTickCount();
        if (!ReadStamp(folder, lookStart, volumes, found.stamp))
            return;
        found.there = true;
        std::vector<uint64_t> times;
        if (there && contentVersion != 0 && folderstamp::Unchanged(stamp, found.stamp) &&
            !folderstamp::FullLookDue(scannedAt, tick, fullLookAfterMs) &&
            (!deeper ||
             (subfoldersVouch && ReadSubfolderTimes(folder, subfolders, lookStart, times) && times == subfolderTimes)))
            return;
        found.scanned = true;
        found.scannedAt = tick;
        HandOnEarly early(*this, !there);
        try {
            scan(folder, found.entries, deeper, &early);
        } catch (...) {
            found.problem = CurrentErrorMessage();
        }
        if (deeper) {
            found.subfolders = std::move(early.subfolders);
            std::ranges::move(SubfolderNames(folder, found.entries), std::back_inserter(found.subfolders));
            found.subfoldersVouch = ReadSubfolderTimes(folder, found.subfolders, lookStart, found.subfolderTimes);
        }
    }

    // On a lane, during a first look: moves the entries found so far to `early` in batches.
    class HandOnEarly final : public ScanProgress {
    public:
        HandOnEarly(Watched& w, bool firstLook) : w_(w), firstLook_(firstLook) {}
        void Reached(std::vector<std::wstring>& list) override
        {
            if (!firstLook_ || list.size() < kEarlyBatch || ::GetTickCount() - start_ < kEarlyAfterMs)
                return;
            // The subfolders among them are told apart now: the look's end sees only the rest.
            if (w_.deeper)
                std::ranges::move(SubfolderNames(w_.folder, list), std::back_inserter(subfolders));
            const ExclusiveLock hold(w_.earlyLock);
            w_.early.insert(w_.early.end(), std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
            list.clear();
        }
        std::vector<std::wstring> subfolders;

    private:
        Watched& w_;
        const bool firstLook_;
        const DWORD start_ = ::GetTickCount();
    };

    // On the worker: how many entries a first look has found so far.
    size_t EarlyCount() const
    {
        const ExclusiveLock hold(earlyLock);
        return early.size();
    }
    // On the worker, once the look has ended: what it found, the early entries first.
    void TakeEarly()
    {
        const ExclusiveLock hold(earlyLock);
        if (early.empty())
            return;
        std::ranges::move(found.entries, std::back_inserter(early));
        found.entries = std::exchange(early, {});
    }
};

// The lanes that look at folders, and what they share with the worker under `lock`. Kept alive
// by every lane, so that one that never comes back (a share that never answers) outlives the
// scanner safely.
struct FolderScanner::Lanes {
    struct Lane {
        KernelHandle thread;
        bool busy = false;
        bool ended = false;
        DWORD since = 0;
    };
    struct Start {
        std::shared_ptr<Lanes> lanes;
        Lane* lane;
    };

    explicit Lanes(uint32_t fullLook) : fullLookAfterMs(fullLook) {}

    SRWLOCK lock = SRWLOCK_INIT;
    // Waited on under `lock`: slim locks and condition variables stay in the process, where an
    // event or a semaphore costs a round trip to Wine's server at every folder.
    CONDITION_VARIABLE workQueued = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE workerCalled = CONDITION_VARIABLE_INIT;
    bool workerWanted = false;
    std::deque<Watched*> queued;
    std::vector<Watched*> finished;
    std::vector<std::unique_ptr<Lane>> lanes;
    std::vector<std::unique_ptr<Watched>> orphans; // the scanner's folders, once it is gone
    bool quit = false;
    const uint32_t fullLookAfterMs;
    VolumeCache volumes;

    static DWORD WINAPI Run(void* start) noexcept
    {
        const std::unique_ptr<Start> own(static_cast<Start*>(start));
        own->lanes->Serve(*own->lane);
        return 0;
    }

    void Serve(Lane& lane)
    {
        for (;;) {
            Watched* w = nullptr;
            {
                const ExclusiveLock hold(lock);
                const DWORD idleSince = ::GetTickCount();
                for (DWORD idle = 0; !quit && queued.empty() && idle < kLaneIdleMs; idle = ::GetTickCount() - idleSince)
                    ::SleepConditionVariableSRW(&workQueued, &lock, kLaneIdleMs - idle, 0);
                if (quit || queued.empty()) {
                    lane.ended = true;
                    return;
                }
                w = queued.front();
                queued.pop_front();
                lane.busy = true;
                lane.since = ::GetTickCount();
            }
            try {
                w->Look(volumes, fullLookAfterMs);
            } catch (...) {
                {
                    const ExclusiveLock early(w->earlyLock);
                    w->early.clear();
                }
                w->found = {};
                w->found.there = true;
                w->found.scanned = true;
                w->found.problem = CurrentErrorMessage();
            }
            const ExclusiveLock hold(lock);
            finished.push_back(w);
            lane.busy = false;
            CallWorker();
        }
    }

    void Add(Watched& w)
    {
        const ExclusiveLock hold(lock);
        queued.push_back(&w);
        ::WakeConditionVariable(&workQueued);
    }

    // The worker's wake-up: a look ended, a request came, or the scanner ends. Under `lock`.
    void CallWorker()
    {
        workerWanted = true;
        ::WakeConditionVariable(&workerCalled);
    }
    void Call()
    {
        const ExclusiveLock hold(lock);
        CallWorker();
    }
    void WaitForCall(DWORD ms)
    {
        const ExclusiveLock hold(lock);
        if (!workerWanted)
            ::SleepConditionVariableSRW(&workerCalled, &lock, ms, 0);
        workerWanted = false;
    }

    // Enough lanes for what is queued: a lane stuck on one folder does not count.
    void Ensure(const std::shared_ptr<Lanes>& self)
    {
        const ExclusiveLock hold(lock);
        std::erase_if(lanes, [](const auto& l) { return l->ended; });
        const DWORD now = ::GetTickCount();
        size_t working = 0;
        for (const auto& l : lanes)
            if (!l->busy || now - l->since < kStuckMs)
                ++working;
        while (working < std::min(kLanes, queued.size()) && lanes.size() < kMaxLanes) {
            auto lane = std::make_unique<Lane>();
            auto start = std::make_unique<Start>(Start{self, lane.get()});
            lane->thread.reset(::CreateThread(nullptr, 0, &Lanes::Run, start.get(), 0, nullptr));
            if (!lane->thread)
                break;
            start.release();
            lanes.push_back(std::move(lane));
            ++working;
        }
    }

    std::vector<Watched*> TakeFinished()
    {
        const ExclusiveLock hold(lock);
        return std::exchange(finished, {});
    }
};

// What the user-interface thread and the worker share, under `lock`.
struct FolderScanner::Shared {
    mutable SRWLOCK lock = SRWLOCK_INIT;
    mutable CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
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

FolderScanner::FolderScanner(ScanFunction scan, uint32_t fullLookAfterMs)
    : scan_(scan ? scan : &ScanWithScanFolder), shared_(std::make_unique<Shared>()),
      lanes_(std::make_shared<Lanes>(fullLookAfterMs))
{
}

void FolderScanner::SetScanFunction(ScanFunction scan) noexcept
{
    scan_ = scan ? scan : &ScanWithScanFolder;
}

FolderScanner::~FolderScanner()
{
    if (thread_) {
        {
            const ExclusiveLock lock(shared_->lock);
            shared_->quit = true;
        }
        lanes_->Call();
        ::WaitForSingleObject(thread_.get(), 2000);
    }
    // A look still under way (a share that never answers) keeps its folder: the lanes hold them.
    const ExclusiveLock hold(lanes_->lock);
    lanes_->quit = true;
    ::WakeAllConditionVariable(&lanes_->workQueued);
    std::move(watched_.begin(), watched_.end(), std::back_inserter(lanes_->orphans));
    std::move(retired_.begin(), retired_.end(), std::back_inserter(lanes_->orphans));
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
    lanes_->Call();
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

// The worker never waits on a folder: it starts looks, merges what they found as they end and
// publishes; a request made meanwhile is taken up at once, looks still under way joining it.
void FolderScanner::Work()
{
    bool completePublished = true;
    bool unpublished = false;
    DWORD lastPublished = ::GetTickCount();
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
        try {
            if (request != serving_) {
                serving_ = request;
                StartRequest(pathListFile);
                completePublished = false;
                unpublished = true;
            }
            // A first look under way has more to show as it goes.
            unpublished = MergeLooks() || unpublished ||
                          std::ranges::any_of(watched_, [](const auto& w) { return InFirstLook(*w); });
            if (AllLooked()) {
                if (!completePublished) {
                    PublishComplete();
                    completePublished = true;
                    unpublished = false;
                }
                lanes_->WaitForCall(INFINITE);
                continue;
            }
            const DWORD sincePublished = ::GetTickCount() - lastPublished;
            if (unpublished && sincePublished >= kPartialIntervalMs) {
                unpublished = !Publish(false);
                lastPublished = ::GetTickCount();
            }
            lanes_->Ensure(lanes_);
        } catch (...) {
            // Nothing above is expected to raise (every error is kept with its folder); a list
            // that cannot be made is published as it stands rather than waited for forever.
            listProblem_ = CurrentErrorMessage();
            plan_.clear();
            PublishComplete();
            completePublished = true;
            continue;
        }
        const DWORD sincePublished = ::GetTickCount() - lastPublished;
        const DWORD wait =
            unpublished && sincePublished < kPartialIntervalMs ? kPartialIntervalMs - sincePublished : kStuckMs;
        lanes_->WaitForCall(wait);
    }
}

void FolderScanner::PublishComplete()
{
    Publish(true);
    const ExclusiveLock lock(shared_->lock);
    // A newer request made meanwhile is served next, not marked done by this one.
    if (shared_->requested == serving_) {
        shared_->completed = serving_;
        ::WakeAllConditionVariable(&shared_->changed);
    }
}

std::vector<pathlist::Row> FolderScanner::ReadRows(const std::wstring& pathListFile)
{
    listProblem_.clear();
    unreadList_.clear();
    std::vector<std::wstring> text;
    try {
        text = ReadPathListRows(pathListFile);
    } catch (...) {
        // A list that cannot be read now (another program holds it, a half-saved file) is not an
        // empty list: the rows read before stand until the next show reads again.
        if (readBefore_) {
            unreadList_ = CurrentErrorMessage();
            return lastRows_;
        }
        listProblem_ = CurrentErrorMessage();
        return {};
    }
    std::vector<pathlist::Row> rows;
    size_t folderRows = 0;
    for (const std::wstring& line : text) {
        pathlist::Row row = pathlist::ParseRow(line);
        if (row.kind == pathlist::Row::Kind::Comment)
            continue;
        if (++folderRows > pathlist::kMaxFolderRows) {
            listProblem_ = pathlist::TooManyRowsText();
            break;
        }
        rows.push_back(std::move(row));
    }
    lastRows_ = rows;
    readBefore_ = true;
    return rows;
}

void FolderScanner::StartRequest(const std::wstring& pathListFile)
{
    nextPartialCount_ = 0;
    PlanRows(ReadRows(pathListFile));
    // Every folder of the list is looked at again; one whose look still runs joins this request
    // when that look ends.
    for (auto& w : watched_)
        if (!w->looking)
            Queue(*w);
}

void FolderScanner::PlanRows(const std::vector<pathlist::Row>& rows)
{
    // The folders of this list, row by row; a folder listed twice is kept and looked at once.
    // Looked up by "*" or " " then the folder: a list of many thousand rows stays linear.
    const auto key = [](bool deeper, const std::wstring& folder) { return (deeper ? L"*" : L" ") + folder; };
    std::unordered_map<std::wstring, std::unique_ptr<Watched>> before;
    for (auto& w : watched_)
        before.emplace(key(w->deeper, w->folder), std::move(w));
    std::unordered_map<std::wstring, Watched*> byKey;
    std::vector<std::unique_ptr<Watched>> kept;
    plan_.clear();
    for (const pathlist::Row& row : rows) {
        const std::wstring name = key(row.deeper, row.folder);
        const auto [seen, first] = byKey.try_emplace(name, nullptr);
        if (first) {
            auto old = before.find(name);
            if (old != before.end()) {
                seen->second = kept.emplace_back(std::move(old->second)).get();
            } else {
                auto fresh = std::make_unique<Watched>();
                fresh->folder = row.folder;
                fresh->deeper = row.deeper;
                seen->second = kept.emplace_back(std::move(fresh)).get();
            }
        }
        plan_.push_back(seen->second);
    }
    // Folders no longer listed are forgotten, once their look has ended.
    for (auto& [name, w] : before)
        if (w && w->looking)
            retired_.push_back(std::move(w));
    watched_ = std::move(kept);
}

void FolderScanner::Queue(Watched& w)
{
    w.looking = true;
    w.lookedFor = serving_;
    w.scan = scan_;
    lanes_->Add(w);
}

bool FolderScanner::MergeLooks()
{
    bool changed = false;
    for (Watched* w : lanes_->TakeFinished()) {
        w->looking = false;
        if (ForgetIfRetired(*w))
            continue;
        changed = TakeFound(*w) || changed;
        // A look begun before the request it now serves may have missed a change: once more.
        if (w->lookedFor < serving_)
            Queue(*w);
    }
    return changed;
}

bool FolderScanner::ForgetIfRetired(const Watched& w)
{
    const auto retired = std::find_if(retired_.begin(), retired_.end(), [&](const auto& r) { return r.get() == &w; });
    if (retired == retired_.end())
        return false;
    retired_.erase(retired);
    return true;
}

bool FolderScanner::TakeFound(Watched& w)
{
    bool changed = false;
    w.TakeEarly();
    Watched::Found& found = w.found;
    if (!found.there) {
        if (w.there || w.contentVersion == 0) {
            w.Own({});
            w.problem.clear();
            w.contentVersion = ++versions_; // never one a forgotten folder had
            changed = true;
        }
        w.there = false;
        w.stamp = {};
    } else if (found.scanned) {
        if (!w.there || w.contentVersion == 0 || !std::ranges::equal(found.entries, w.Entries()) ||
            found.problem != w.problem) {
            w.Own(std::move(found.entries));
            w.problem = std::move(found.problem);
            w.contentVersion = ++versions_;
            changed = true;
        }
        w.there = true;
        w.stamp = found.stamp;
        w.scannedAt = found.scannedAt;
        w.subfolders = std::move(found.subfolders);
        w.subfolderTimes = std::move(found.subfolderTimes);
        w.subfoldersVouch = found.subfoldersVouch;
    }
    found = {};
    return changed;
}

bool FolderScanner::AllLooked() const
{
    return std::ranges::none_of(watched_, [&](const auto& w) { return w->looking || w->lookedFor < serving_; });
}

// The list's shape as the folders stand: which of them, at which content versions, how many
// entries, and the problem that stops it.
struct FolderScanner::Shape {
    std::vector<std::pair<const Watched*, uint64_t>> madeOf;
    std::vector<size_t> taken; // how many of each folder's entries
    std::wstring problem;
    size_t count = 0;
};

// A folder in its first look stands in a partial list with what that look has found so far.
bool FolderScanner::InFirstLook(const Watched& w) noexcept
{
    return w.looking && !w.there;
}

FolderScanner::Shape FolderScanner::MeasureList() const
{
    Shape shape;
    shape.problem = listProblem_;
    for (const Watched* w : plan_) {
        const bool early = InFirstLook(*w);
        const size_t count = early ? w->EarlyCount() : w->count;
        shape.madeOf.emplace_back(w, early ? kEarlyVersion | count : w->contentVersion);
        const size_t taken = std::min(count, pathlist::kMaxEntries - shape.count);
        shape.taken.push_back(taken);
        shape.count += taken;
        if (taken < count) {
            shape.problem = pathlist::TooManyEntriesText(w->folder);
            break;
        }
        // An error stops the collection: the folders after it are not part of the list.
        if (!w->problem.empty()) {
            shape.problem = w->problem;
            break;
        }
    }
    return shape;
}

bool FolderScanner::HoldBackPartial(size_t count)
{
    if (count < nextPartialCount_ && ::GetTickCount() - lastPartialTick_ < kStalePartialMs)
        return true;
    nextPartialCount_ = count + count / 2;
    lastPartialTick_ = ::GetTickCount();
    return false;
}

std::shared_ptr<const std::vector<std::wstring>> FolderScanner::AssembleList(const Shape& shape)
{
    auto list = std::make_shared<std::vector<std::wstring>>();
    list->reserve(shape.count + 1);
    list->emplace_back();
    for (size_t i = 0; i < shape.madeOf.size(); ++i) {
        Watched& w = *plan_[i];
        const size_t taken = shape.taken[i];
        const size_t at = list->size();
        if (InFirstLook(w)) {
            // Copied: the look goes on appending to them.
            const ExclusiveLock hold(w.earlyLock);
            list->insert(list->end(), w.early.begin(), w.early.begin() + static_cast<std::ptrdiff_t>(taken));
            continue;
        }
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
    for (auto* folders : {&watched_, &retired_})
        for (auto& w : *folders)
            if (w->published && w->published != list)
                w->Own(std::vector<std::wstring>(w->Entries().begin(), w->Entries().end()));
    return list;
}

bool FolderScanner::Publish(bool complete)
{
    Shape shape = MeasureList();
    if (!complete && HoldBackPartial(shape.count))
        return false;

    HWND window = nullptr;
    UINT message = 0;
    bool same = false;
    {
        const ExclusiveLock lock(shared_->lock);
        same = shared_->snapshot.version != 0 && shape.madeOf == shared_->madeOf &&
               shape.problem == shared_->snapshot.problem;
        window = shared_->window;
        message = shared_->message;
        // Nothing new to tell until the list is complete.
        if (same && !complete && shared_->snapshot.unreadList == unreadList_)
            return true;
    }
    std::shared_ptr<const std::vector<std::wstring>> entries;
    if (!same)
        entries = AssembleList(shape);
    {
        const ExclusiveLock lock(shared_->lock);
        if (!same) {
            shared_->snapshot.entries = std::move(entries);
            shared_->snapshot.problem = std::move(shape.problem);
            ++shared_->snapshot.version;
            shared_->madeOf = std::move(shape.madeOf);
        }
        shared_->snapshot.unreadList = unreadList_;
        shared_->snapshot.request = serving_;
        // A newer request still to be served makes this list out of date already.
        shared_->snapshot.complete = complete && shared_->requested == serving_;
    }
    if (window && message)
        ::PostMessageW(window, message, 0, 0);
    return true;
}

FolderScanner& Scanner()
{
    static FolderScanner* const scanner = new FolderScanner;
    return *scanner;
}
