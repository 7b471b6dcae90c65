#include "export/export_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "history/history_writer.h"

namespace vardo {

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kMaxAttempts = 100;
constexpr std::size_t kMaxNameBytes = 255;

// Hidden names that SIGINT, SIGTERM and SIGHUP remove before the program ends: a handler may
// only read memory that is already there, so the names sit in fixed slots.
class HiddenNames {
  public:
    static HiddenNames& Get() {
        static HiddenNames names;
        return names;
    }

    // The slot holding path, -1 when none is free or path does not fit.
    int Add(const std::string& path) {
        if (path.size() >= PATH_MAX) return -1;
        const std::lock_guard<std::mutex> lock(mutex_);
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            Slot& s = slots_[i];
            if (s.used.load(std::memory_order_acquire)) continue;
            std::memcpy(s.path, path.c_str(), path.size() + 1);
            s.used.store(true, std::memory_order_release);
            if (active_++ == 0) Install();
            return static_cast<int>(i);
        }
        return -1;
    }

    void Remove(int slot) {
        if (slot < 0) return;
        const std::lock_guard<std::mutex> lock(mutex_);
        slots_[static_cast<std::size_t>(slot)].used.store(false, std::memory_order_release);
        if (--active_ == 0) Uninstall();
    }

  private:
    struct Slot {
        std::atomic<bool> used{false};
        char path[PATH_MAX] = {};
    };
    static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

    static void OnSignal(int sig, siginfo_t* info, void* context) {
        HiddenNames& self = Get();
        for (Slot& s : self.slots_) {
            if (s.used.load(std::memory_order_acquire)) ::unlink(s.path);
        }
        // Then whatever the program meant the signal to do: usually to end it.
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            if (kSignals[i] != sig) continue;
            const struct sigaction& before = self.previous_[i];
            if ((before.sa_flags & SA_SIGINFO) != 0) {
                before.sa_sigaction(sig, info, context);
            } else if (before.sa_handler == SIG_DFL) {
                ::signal(sig, SIG_DFL);
                ::raise(sig);
            } else if (before.sa_handler != SIG_IGN) {
                before.sa_handler(sig);
            }
        }
    }

    void Install() {
        struct sigaction action = {};
        action.sa_sigaction = OnSignal;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &action, &previous_[i]);
        }
    }

    void Uninstall() {
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction now = {};
            ::sigaction(kSignals[i], nullptr, &now);
            // A handler set since then is its owner's to keep.
            if ((now.sa_flags & SA_SIGINFO) != 0 && now.sa_sigaction == OnSignal) {
                ::sigaction(kSignals[i], &previous_[i], nullptr);
            }
        }
    }

    std::mutex mutex_;
    std::array<Slot, 16> slots_;
    std::array<struct sigaction, kSignals.size()> previous_{};
    int active_ = 0;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with its symbolic links followed to what they name (which need not exist yet).
int FollowLinks(std::string path, std::string& out) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = path;
            return 0;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0) return errno;
        if (static_cast<std::size_t>(n) >= sizeof link) return ENAMETOOLONG;
        const std::string to(link, static_cast<std::size_t>(n));
        path = to.starts_with('/') ? to : FolderOf(path) + "/" + to;
    }
    return ELOOP;
}

}  // namespace

std::string HiddenExportName(const std::string& name, long pid, int attempt) {
    const std::string suffix = "." + std::to_string(pid) + "." + std::to_string(attempt) + ".tmp";
    std::size_t keep = std::min(name.size(), kMaxNameBytes - 1 - suffix.size());
    while (keep > 0 && keep < name.size() && (name[keep] & 0xC0) == 0x80) --keep;
    return "." + name.substr(0, keep) + suffix;
}

ExportFile::ExportFile() : openUnnamed_(OpenUnnamedFile) {}

ExportFile::~ExportFile() {
    Abandon();
}

int ExportFile::Open(const std::string& path) {
    Abandon();
    if (path.empty()) return ENOENT;
    if (path.back() == '/') return EISDIR;
    if (const int error = FollowLinks(path, target_)) return error;
    if (target_.back() == '/') return EISDIR;
    dir_ = FolderOf(target_);
    struct stat st = {};
    exists_ = ::stat(target_.c_str(), &st) == 0;
    if (exists_) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        if (!S_ISREG(st.st_mode)) return EINVAL;
        // Replacing goes through the folder's rights; the file's own must allow it as well.
        if (st.st_uid != ::geteuid() || (st.st_mode & 0222) == 0) return EACCES;
        if (::access(target_.c_str(), W_OK) != 0) return errno;
        mode_ = st.st_mode & 07777;
        group_ = static_cast<int>(st.st_gid);
    } else if (errno != ENOENT) {
        return errno;
    }
    fd_.Reset(openUnnamed_(dir_.c_str()));
    unnamed_ = fd_.Valid();
    if (!unnamed_) {
        if (const int error = CreateHidden()) return error;
    }
    if (exists_) {
        // The replacement keeps what the file had, as far as this user can give it.
        ::fchmod(fd_.Get(), mode_);
        if (::fchown(fd_.Get(), static_cast<uid_t>(-1), static_cast<gid_t>(group_)) != 0) {
            // Not a member of the file's group: the new file stays in the user's own.
        }
    }
    return 0;
}

int ExportFile::CreateHidden() {
    const std::string name = NameOf(target_);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        hidden_ = dir_ + "/" + HiddenExportName(name, static_cast<long>(::getpid()), attempt);
        hiddenSlot_ = HiddenNames::Get().Add(hidden_);
        if (hiddenSlot_ < 0) {
            hidden_.clear();
            return ENAMETOOLONG;
        }
        fd_.Reset(::open(hidden_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd_.Valid()) return 0;
        const int error = errno;
        HiddenNames::Get().Remove(hiddenSlot_);
        hiddenSlot_ = -1;
        hidden_.clear();
        if (error != EEXIST) return error;
    }
    hidden_.clear();
    return EEXIST;
}

void ExportFile::DropHidden() {
    if (!hidden_.empty()) ::unlink(hidden_.c_str());
    hidden_.clear();
    HiddenNames::Get().Remove(hiddenSlot_);
    hiddenSlot_ = -1;
}

bool ExportFile::Write(ByteSpan bytes) {
    return fd_.Valid() && WriteAll(fd_.Get(), bytes);
}

std::string ExportFile::OpenableName() const {
    return "/proc/self/fd/" + std::to_string(fd_.Get());
}

int ExportFile::Commit() {
    if (!fd_.Valid()) return EBADF;
    int error = 0;
    // A network share reports a lost write here; a file system that cannot sync has nothing to
    // report.
    if (::fsync(fd_.Get()) != 0 && errno != EINVAL && errno != EROFS) error = errno;
    bool placed = false;
    if (error == 0 && unnamed_) {
        const std::string self = OpenableName();
        const auto linkAs = [&self](const std::string& to) {
            return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0;
        };
        // A new name is taken in one step; an existing file is replaced by a rename, for which
        // the file needs a name of its own first.
        if (!exists_) {
            placed = linkAs(target_);
            if (!placed && errno != EEXIST) error = errno;
        }
        const std::string name = NameOf(target_);
        for (int attempt = 0; !placed && error == 0 && hidden_.empty(); ++attempt) {
            if (attempt == kMaxAttempts) {
                error = EEXIST;
                break;
            }
            const std::string hidden =
                dir_ + "/" + HiddenExportName(name, static_cast<long>(::getpid()), attempt);
            hiddenSlot_ = HiddenNames::Get().Add(hidden);
            if (hiddenSlot_ < 0) {
                error = ENAMETOOLONG;
            } else if (linkAs(hidden)) {
                hidden_ = hidden;
            } else {
                if (errno != EEXIST) error = errno;
                HiddenNames::Get().Remove(hiddenSlot_);
                hiddenSlot_ = -1;
            }
        }
    }
    if (!fd_.Close() && error == 0) {
        error = errno != 0 ? errno : EIO;
        // What was placed under the new name is not the file it claims to be.
        if (placed) ::unlink(target_.c_str());
    }
    if (error == 0 && !hidden_.empty() && ::rename(hidden_.c_str(), target_.c_str()) != 0) {
        error = errno;
    }
    if (error == 0 && !hidden_.empty()) {
        hidden_.clear();
        HiddenNames::Get().Remove(hiddenSlot_);
        hiddenSlot_ = -1;
    }
    DropHidden();
    return error;
}

void ExportFile::Abandon() {
    fd_.Reset();
    DropHidden();
    unnamed_ = false;
    exists_ = false;
}

}  // namespace vardo
