#pragma once
// Whether a listed folder's entries may have changed since it was last scanned, told without
// holding anything open in it: the folder's identity (volume and file id) and its last-write
// time, read at the show. A folder renamed away and another made under its name is a new folder;
// a child added, removed or renamed changes the folder's time on the file systems that keep it.
#include <cstdint>
#include <string>
#include <string_view>

namespace folderstamp {

// 100-nanosecond units, as the platform's file times.
inline constexpr uint64_t kSecond = 10000000;

// A write within this long before a look may share its time with a later one (a folder's time
// moves with the system clock's tick, about 16 ms; a change made while the look ran): such a
// time does not vouch for the entries.
inline constexpr uint64_t kSettleTime = kSecond / 10;

// A folder whose times say nothing changed is still scanned again once this long has passed
// since its last scan: a child hidden or shown leaves the folder's time alone.
inline constexpr uint32_t kFullLookAfterMs = 60000;

struct Stamp {
    uint32_t volume = 0;
    uint64_t file = 0;
    uint64_t lastWrite = 0;
    // False where the time cannot vouch for the entries: the file system does not keep folder
    // times, the share caches them, the time was too recent, or the folder could not be read.
    bool vouches = false;
};

// NTFS and ReFS keep a folder's last-write time as its children change; FAT and exFAT do not,
// and a share may answer from a cache of the client's. Anything else is looked at in full.
bool KeepsFolderTimes(std::wstring_view fileSystem, bool remote) noexcept;

// Whether a time read at `lookStart` may vouch for the entries scanned after it.
bool Settled(uint64_t lastWrite, uint64_t lookStart) noexcept;

// Whether the entries scanned under `before` still stand for a folder that reads `now`.
bool Unchanged(const Stamp& before, const Stamp& now) noexcept;

// The root of the volume a full path lies on, as far as its text tells: "C:\\" for "C:\\x\\y",
// "\\\\server\\share\\" for a share, the same behind "\\\\?\\" and "\\\\?\\UNC\\"; empty when the text names none.
// A share's root also tells that it is remote.
struct VolumeRoot {
    std::wstring root;
    bool share = false;
};
VolumeRoot VolumeRootOf(std::wstring_view fullPath);

// Whether a folder last scanned at tick `scannedAt` is due for a full look at tick `now`
// (millisecond ticks that wrap).
bool FullLookDue(uint32_t scannedAt, uint32_t now, uint32_t fullLookAfterMs) noexcept;

} // namespace folderstamp
