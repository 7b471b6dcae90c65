#include "history/history_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/le_bytes.h"
#include "history/ring.h"
#include "settings/comm_settings.h"
#include "settings/module_directory.h"
#include "settings/setup_ini.h"

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

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    while (count > 0) {
        const ssize_t n = pwrite(fd, bytes, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        count -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

// Moves from to a free variant of the directory's name, never over an existing file. Returns the
// path taken, or an empty string when no move happened.
std::string MoveToFreeName(const std::string& from, const std::string& dir,
                           const std::string& name) {
    for (int i = 0; i < kMaxNameVariants; ++i) {
        const std::string to = dir + "/" + NameVariant(name, i);
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return to;
        }
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return {};
        // File systems without the no-replace rename: a hard link fails on a taken name too.
        if (link(from.c_str(), to.c_str()) == 0) {
            unlink(from.c_str());
            return to;
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

}  // namespace

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

CHistoryWriter::~CHistoryWriter() {
    if (target != nullptr) Close();
}

void CHistoryWriter::SetTarget(HistoryData* t, std::string ext, int addr, std::string homeDir) {
    target = t;
    extension = std::move(ext);
    address = addr;
    home = homeDir.empty() ? ModuleDirectory() : std::move(homeDir);
    if (home.back() != '/') home += '/';
}

int CHistoryWriter::Create() {
    if (target == nullptr) return 0;
    if (isOpen) Close();
    writeFailed = false;
    const std::string dir = home + "Data";
    mkdir(dir.c_str(), 0777);
    createdName = HistoryFileName(address, target->newestTime, extension);

    int fd = -1;
    for (int i = 0; i < kMaxNameVariants && fd < 0; ++i) {
        path = dir + "/" + NameVariant(createdName, i);
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        target->hFile = -1;
        path.clear();
        return 0;
    }
    target->windowStart = 0;

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
    bool ok = WriteAll(fd, head, sizeof head, 0) && ftruncate(fd, size) == 0;
    if (ok) {
        const int rc = posix_fallocate(fd, 0, size);
        ok = rc == 0 || rc == EINVAL || rc == EOPNOTSUPP;
    }
    if (!ok) {
        close(fd);
        unlink(path.c_str());
        path.clear();
        target->hFile = -1;
        return 0;
    }
    target->hFile = fd;
    isOpen = 1;
    return 1;
}

bool CHistoryWriter::WriteAt(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    if (WriteAll(target->hFile, bytes, count, offset)) return true;
    writeFailed = true;
    return false;
}

int CHistoryWriter::AppendRecord(const std::uint8_t* samples) {
    if (!isOpen || target == nullptr || target->hFile < 0) return 0;
    const int counter = target->windowStart;
    if (counter < 0) return 0;
    if (counter == 0) {
        const PackedTime oldest = PackTime(target->oldestTime);
        if (!WriteAt(oldest.data(), oldest.size(), header::kOldestTime)) return 0;
    }
    if (static_cast<std::uint32_t>(counter) >= target->capacity) {
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
    target->windowStart = counter + 1;
    return 1;
}

long CHistoryWriter::WriteChannelBlock(const std::uint8_t* bytes, std::size_t count, int block) {
    if (!isOpen || target == nullptr || target->hFile < 0) return -1;
    const std::int64_t counter = target->windowStart;
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
    if (!isOpen || target == nullptr || target->hFile < 0) return -1;
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
    if (target != nullptr) target->windowStart += n;
}

int CHistoryWriter::Close() {
    if (!isOpen || target == nullptr) return 1;
    if (target->hFile >= 0) {
        if (close(target->hFile) != 0) writeFailed = true;
        target->hFile = -1;
    }
    const bool renamed = Rename();
    isOpen = 0;
    return renamed && !writeFailed ? 1 : 0;
}

int CHistoryWriter::MarkNewest() {
    if (!isOpen || target == nullptr || target->hFile < 0 || target->windowStart <= 0) return 0;
    const VTime interval =
        IsValidIntervalCode(target->intervalCode) ? IntervalTable[target->intervalCode] : 1;
    const int counter = target->windowStart;
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
    if (target->hFile >= 0 && target->windowStart <= 0) {
        // Nothing was recorded: a header whose newest record lies before its oldest would be a
        // damaged file, so the empty file goes.
        close(target->hFile);
        target->hFile = -1;
        unlink(path.c_str());
        path.clear();
    } else {
        if (target->hFile >= 0) {
            MarkNewest();
            target->windowStart -= 1;
            if (close(target->hFile) != 0) writeFailed = true;
            target->hFile = -1;
        }
        renamed = Rename();
    }
    address = -1;
    target->oldestTime = 0;
    target->newestTime = 0;
    isOpen = 0;
    return renamed && !writeFailed ? 1 : 0;
}

void CHistoryWriter::Discard() {
    if (!isOpen || target == nullptr) return;
    if (target->hFile >= 0) {
        close(target->hFile);
        target->hFile = -1;
    }
    if (!path.empty()) unlink(path.c_str());
    path.clear();
    isOpen = 0;
}

bool CHistoryWriter::Rename() {
    if (address == -1) {
        CommSettings comm;
        LoadCommSettings(home + "SetUp.ini", comm);
        address = comm.address;
    }
    const std::string name = HistoryFileName(address, target->newestTime, extension);
    // The file already carries this name (or a free variant of it): nothing to move.
    if (name == createdName) return true;
    const std::string moved = MoveToFreeName(path, home + "Data", name);
    if (moved.empty()) return false;
    path = moved;
    createdName = name;
    return true;
}

}  // namespace vardo
