#include "history/history_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/le_bytes.h"
#include "history/ring.h"

namespace vardo {

namespace {

// Enough for any user who leaves names behind; beyond that the directory is not usable.
constexpr int kMaxNameVariants = 10000;

// "NAME(i).EXT" for i > 0: the variant taken when NAME.EXT belongs to someone else.
std::string NameVariant(const std::string& name, int i) {
    if (i == 0) return name;
    const std::size_t dot = name.rfind('.');
    const std::string suffix = "(" + std::to_string(i) + ")";
    if (dot == std::string::npos) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

// Puts the file under a free variant of name in dir through place(to), which must fail with
// EEXIST on a taken name: never over an existing file. The path taken, or empty.
template <typename Place>
std::string PlaceUnderFreeName(const std::string& dir, const std::string& name, Place place) {
    for (int i = 0; i < kMaxNameVariants; ++i) {
        const std::string to = dir + "/" + NameVariant(name, i);
        if (place(to)) return to;
        if (errno != EEXIST) return {};
    }
    return {};
}

// Moves from to a free variant of name in dir.
std::string MoveToFreeName(const WriterCalls& calls, const std::string& from,
                           const std::string& dir, const std::string& name) {
    return PlaceUnderFreeName(dir, name, [&](const std::string& to) {
        return calls.rename(from.c_str(), to.c_str()) == 0;
    });
}

}  // namespace

int RenameNoReplace(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    // File systems without the no-replace rename: a hard link fails on a taken name too.
    if (link(from, to) != 0) return -1;
    unlink(from);
    return 0;
}

std::string HistoryFileName(int address, VTime newestTime, const std::string& extension) {
    const LocalFields f = SplitLocalTime(newestTime);
    const char* format = "%02d@%d-%02d-%02d_%02d-%02d-%02d.%s";
    const int length = std::snprintf(nullptr, 0, format, address, f.year, f.month, f.day, f.hour,
                                     f.minute, f.second, extension.c_str());
    std::string name(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(name.data(), name.size(), format, address, f.year, f.month, f.day, f.hour,
                  f.minute, f.second, extension.c_str());
    name.resize(static_cast<std::size_t>(length));
    return name;
}

int OpenUnnamedFile(const char* dir) {
    // The file is named later through /proc; without it the hidden name must serve.
    if (access("/proc/self/fd", X_OK) != 0) return -1;
    return open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
}

CHistoryWriter::~CHistoryWriter() {
    if (target == nullptr) return;
    // A transfer that never reached Close is incomplete and must not get a name.
    if (naming != Naming::Named) Discard();
    if (!Close()) {
        // Nobody is left to tell: a named file stays under the name it has, the last one given.
    }
}

void CHistoryWriter::SetTarget(HistoryData* t, std::string ext, int addr, std::string homeDir) {
    target = t;
    extension = std::move(ext);
    address = addr;
    home = std::move(homeDir);
    if (home.empty() || home.back() != '/') home += '/';
}

int CHistoryWriter::Create() {
    return Open(Naming::Named);
}

int CHistoryWriter::CreateUnnamed() {
    return Open(Naming::Unnamed);
}

int CHistoryWriter::Open(Naming how) {
    if (target == nullptr) return 0;
    // The file still open must be whole before another is begun; if not, the caller hears it.
    if (isOpen && !Close()) return 0;
    writeFailed = false;
    const std::string dir = home + "Data";
    mkdir(dir.c_str(), 0777);
    createdName = HistoryFileName(address, target->newestTime, extension);
    path.clear();
    naming = how;
    if (naming == Naming::Unnamed) {
        file.Reset(calls.openUnnamed(dir.c_str()));
        if (!file.Valid()) naming = Naming::Hidden;
    }
    // A hidden name that does not end in the extension: no browser lists it as a history file.
    const std::string hidden = "." + createdName + "." + std::to_string(getpid()) + "-";
    for (int i = 0; i < kMaxNameVariants && !file.Valid(); ++i) {
        path = dir + "/" +
               (naming == Naming::Hidden ? hidden + std::to_string(i) + ".part"
                                         : NameVariant(createdName, i));
        file.Reset(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!file.Valid() && errno != EEXIST) break;
    }
    if (!file.Valid()) {
        path.clear();
        return 0;
    }
    const int fd = file.Get();
    // Held while the file is written: the leftovers of an interrupted save are recovered by the
    // next start, which must leave alone a file that another acquisition is still writing.
    if (naming == Naming::Named) flock(fd, LOCK_EX | LOCK_NB);
    records = 0;

    std::uint8_t head[kHeaderSize] = {};
    for (int i = 0; i < 5; ++i)
        head[header::kModel + i] = static_cast<std::uint8_t>(target->model[i]);
    head[header::kChannelCount] = target->channelCount;
    const PackedTime newest = PackTime(target->newestTime);
    std::copy(newest.begin(), newest.end(), head + header::kNewestTime);
    PutU24LE(head + header::kNewestSlot, target->newestIndex & 0xFFFFFF);
    head[header::kIntervalCode] = target->intervalCode;
    const PackedTime oldest = PackTime(target->oldestTime);
    std::copy(oldest.begin(), oldest.end(), head + header::kOldestTime);
    for (int k = 0; k < kMaxChannels; ++k) {
        std::uint8_t* config = head + ChannelConfigOffset(k);
        EncodeDecimalValue(target->rangeLow[k], config);
        EncodeDecimalValue(target->rangeHigh[k], config + 3);
        head[header::kChannelPresent + k] = static_cast<std::uint8_t>(target->channelEnabled[k]);
    }
    head[header::kHasOldestTime] = static_cast<std::uint8_t>(target->hasOldestTime);

    // The blocks are zero from the start; reserving their space now makes a full disk fail the
    // creation instead of a write in the middle of an upload.
    const off_t size = static_cast<off_t>(
        kHeaderSize + static_cast<std::uint64_t>(PresentChannelCount(*target)) * target->capacity);
    bool ok = calls.write(fd, ByteSpan(head), 0) && ftruncate(fd, size) == 0;
    if (ok) {
        const int rc = calls.allocate(fd, 0, size);
        ok = rc == 0 || rc == EINVAL || rc == EOPNOTSUPP;
    }
    if (!ok) {
        file.Reset();
        if (!path.empty()) unlink(path.c_str());
        path.clear();
        return 0;
    }
    isOpen = 1;
    return 1;
}

bool CHistoryWriter::WriteAt(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    if (calls.write(file.Get(), ByteSpan(bytes, count), static_cast<std::int64_t>(offset)))
        return true;
    writeFailed = true;
    return false;
}

int CHistoryWriter::AppendRecord(const std::uint8_t* samples) {
    if (!isOpen || target == nullptr || !file.Valid()) return 0;
    const std::int64_t counter = records;
    if (counter == 0) {
        const PackedTime oldest = PackTime(target->oldestTime);
        if (!WriteAt(oldest.data(), oldest.size(), header::kOldestTime)) return 0;
    }
    if (static_cast<std::uint64_t>(counter) >= target->capacity) {
        // The record that meets a full file is dropped; the next one starts a new file.
        const int finished = Finish();
        const int created = Create();
        return finished && created ? 1 : 0;
    }
    const int channels = std::min<int>(target->channelCount, kMaxChannels);
    bool ok = true;
    for (int ch = 0; ch < channels; ++ch) {
        const int block = BlockOfChannel(*target, ch);
        if (block < 0) continue;
        const std::uint64_t offset =
            kHeaderSize + static_cast<std::uint64_t>(block) * target->capacity + counter;
        ok = WriteAt(samples + ch, 1, offset) && ok;
    }
    if (!ok) return 0;
    records = counter + 1;
    return 1;
}

long CHistoryWriter::WriteChannelBlock(const std::uint8_t* bytes, std::size_t count, int block) {
    if (!isOpen || target == nullptr || !file.Valid()) return -1;
    const std::int64_t counter = records;
    // A run that leaves its block would overwrite the next channel's samples.
    if (block < 0 || block >= PresentChannelCount(*target) || counter < 0 ||
        static_cast<std::uint64_t>(counter) + count > target->capacity) {
        writeFailed = true;
        return -1;
    }
    const std::uint64_t offset = kHeaderSize +
                                 static_cast<std::uint64_t>(block) * target->capacity +
                                 static_cast<std::uint64_t>(counter);
    if (!WriteAt(bytes, count, offset)) return -1;
    return static_cast<long>(count);
}

long CHistoryWriter::WriteData(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    if (!isOpen || target == nullptr || !file.Valid()) return -1;
    const std::uint64_t area =
        static_cast<std::uint64_t>(PresentChannelCount(*target)) * target->capacity;
    if (offset > area || count > area - offset) {
        writeFailed = true;
        return -1;
    }
    if (!WriteAt(bytes, count, kHeaderSize + offset)) return -1;
    return static_cast<long>(count);
}

void CHistoryWriter::Advance(int n) {
    if (n > 0) records += n;
}

int CHistoryWriter::Close() {
    if (!isOpen || target == nullptr) return 1;
    if (naming != Naming::Named) {
        // Only a whole file gets its name, and only once its bytes are on the disk: a power cut
        // must not leave a name on blocks that never arrived.
        const bool named = !writeFailed && fdatasync(file.Get()) == 0 && GiveName();
        if (!named) {
            Discard();
            return 0;
        }
    }
    CloseFile();
    const bool renamed = Rename();
    isOpen = 0;
    return renamed && !writeFailed ? 1 : 0;
}

int CHistoryWriter::MarkNewest() {
    if (!isOpen || target == nullptr || !file.Valid() || records <= 0) return 0;
    const VTime interval =
        IsValidIntervalCode(target->intervalCode) ? IntervalTable[target->intervalCode] : 1;
    const std::int64_t counter = records;
    target->newestTime = target->oldestTime + interval * (counter - 1);
    const PackedTime packed = PackTime(target->newestTime);
    std::uint8_t slot[3];
    PutU24LE(slot, static_cast<std::uint32_t>(counter - 1) & 0xFFFFFF);
    return WriteAt(packed.data(), packed.size(), header::kNewestTime) &&
                   WriteAt(slot, sizeof slot, header::kNewestSlot)
               ? 1
               : 0;
}

int CHistoryWriter::Finish() {
    if (!isOpen || target == nullptr) return 1;
    bool renamed = true;
    bool marked = true;
    if (file.Valid() && records <= 0) {
        // Nothing was recorded: a header whose newest record lies before its oldest would be a
        // damaged file, so the empty file goes.
        file.Reset();
        unlink(path.c_str());
        path.clear();
    } else {
        if (file.Valid()) {
            marked = MarkNewest() != 0;
            CloseFile();
        }
        renamed = Rename();
    }
    target->oldestTime = 0;
    target->newestTime = 0;
    isOpen = 0;
    return renamed && marked && !writeFailed ? 1 : 0;
}

void CHistoryWriter::Discard() {
    if (!isOpen || target == nullptr) return;
    file.Reset();
    if (!path.empty()) unlink(path.c_str());
    path.clear();
    isOpen = 0;
}

bool CHistoryWriter::CloseFile() {
    if (!file.Close()) writeFailed = true;
    return !writeFailed;
}

bool CHistoryWriter::GiveName() {
    const std::string dir = home + "Data";
    const std::string name = HistoryFileName(address, target->newestTime, extension);
    std::string named;
    if (naming == Naming::Hidden) {
        named = MoveToFreeName(calls, path, dir, name);
    } else {
        const std::string self = "/proc/self/fd/" + std::to_string(file.Get());
        named = PlaceUnderFreeName(dir, name, [&](const std::string& to) {
            return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0;
        });
    }
    if (named.empty()) return false;
    path = named;
    createdName = name;
    naming = Naming::Named;
    return true;
}

bool CHistoryWriter::Rename() {
    const std::string name = HistoryFileName(address, target->newestTime, extension);
    // The file already carries this name (or a free variant of it): nothing to move.
    if (name == createdName) return true;
    const std::string moved = MoveToFreeName(calls, path, home + "Data", name);
    if (moved.empty()) return false;
    path = moved;
    createdName = name;
    return true;
}

std::string MoveToFreeHistoryName(const std::string& from, const std::string& dir,
                                  const std::string& name) {
    return MoveToFreeName(WriterCalls{}, from, dir, name);
}

}  // namespace vardo
