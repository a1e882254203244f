// OutputFile on POSIX systems: an unnamed temporary file (O_TMPFILE) where the file system
// offers one, else a named one that SIGINT, SIGTERM and SIGHUP remove; rename() replaces.

#include "io/output_file.h"
#include "io/output_file_platform.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trassolin {

std::string ioErrorText(int errorNumber) {
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        return detail::kAccessDenied;
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case EINVAL:
        return detail::kInvalidFileName;
    case ENOSPC:
    case EDQUOT:
        return detail::kDiskFull;
    default:
        return detail::otherIoErrorText(errorNumber);
    }
}

namespace detail {

namespace {

// Makes the data of a rename survive a crash of the machine; a failure here changes nothing
// the user could act on, so it is not reported.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Named temporary files that a signal must not leave behind (only where the system offers
// no unnamed ones). A signal handler may only touch lock-free data, so the names live in
// fixed slots.
constexpr std::size_t kSlots = 16;
constexpr std::size_t kSlotBytes = 4096;
std::array<std::array<char, kSlotBytes>, kSlots> gPending{};
std::array<std::atomic<bool>, kSlots> gInUse{};
std::atomic<bool> gHandlersInstalled{false};

extern "C" void removePendingAndRaise(int signal) {
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (gInUse[i].load()) ::unlink(gPending[i].data());
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int registerPending(const std::filesystem::path& file) {
    const std::string& text = file.native();
    if (text.size() >= kSlotBytes) return -1;
    if (!gHandlersInstalled.exchange(true)) {
        for (int s : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            ::sigaction(s, nullptr, &old);
            // A program that ignores the signal keeps ignoring it.
            if (old.sa_handler == SIG_IGN) continue;
            struct sigaction action {};
            action.sa_handler = removePendingAndRaise;
            ::sigemptyset(&action.sa_mask);
            ::sigaction(s, &action, nullptr);
        }
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (gInUse[i].load() || !gInUse[i].compare_exchange_strong(expected, true)) continue;
        // The slot is marked first, so the handler may see an old name; unlinking that one
        // again fails harmlessly.
        std::memcpy(gPending[i].data(), text.c_str(), text.size() + 1);
        return static_cast<int>(i);
    }
    return -1;
}

void unregisterPending(const std::filesystem::path& file) {
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (gInUse[i].load() && file.native() == gPending[i].data()) gInUse[i].store(false);
    }
}

class PosixTemporaryFile final : public TemporaryFile {
public:
    PosixTemporaryFile(const std::filesystem::path& folder, const std::filesystem::path& target);
    ~PosixTemporaryFile() override;
    PosixTemporaryFile(const PosixTemporaryFile&) = delete;
    PosixTemporaryFile& operator=(const PosixTemporaryFile&) = delete;

    void write(std::string_view bytes) override;
    void sync() override;
    void replace() override;

private:
    void openNamed();
    void giveName();

    std::filesystem::path folder_;
    std::filesystem::path target_;
    std::filesystem::path temp_; // empty while the file has no name
    int fd_ = -1;
    bool replaced_ = false;
};

PosixTemporaryFile::PosixTemporaryFile(const std::filesystem::path& folder,
                                       const std::filesystem::path& target)
    : folder_(folder), target_(target) {
    // An unnamed file in the target's folder: nothing to clean up if the process dies.
    // 0666 lets the umask decide, as for any new file.
#ifdef O_TMPFILE
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) throwIoError(errno);
#endif
    if (fd_ < 0) openNamed();
    // Replacing a file keeps its permissions.
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0) ::fchmod(fd_, old.st_mode & 07777);
}

void PosixTemporaryFile::openNamed() {
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = temporaryName(folder_);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temp_.clear();
            throwIoError(error);
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        throwIoError(EEXIST);
    }
    registerPending(temp_);
}

PosixTemporaryFile::~PosixTemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!replaced_ && !temp_.empty()) {
        ::unlink(temp_.c_str());
        unregisterPending(temp_);
    }
}

void PosixTemporaryFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throwIoError(written < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void PosixTemporaryFile::sync() {
    if (::fsync(fd_) != 0) throwIoError(errno);
}

// The unnamed file gets a name only now, right before it replaces the target.
void PosixTemporaryFile::giveName() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    int linked = -1;
    for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
        temp_ = temporaryName(folder_);
        linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
        // Without /proc: the same link through the descriptor itself (needs privileges).
        if (linked != 0 && errno == ENOENT) {
            linked = ::linkat(fd_, "", AT_FDCWD, temp_.c_str(), AT_EMPTY_PATH);
        }
#endif
        if (linked != 0 && errno != EEXIST) {
            const int error = errno;
            temp_.clear();
            throwIoError(error);
        }
    }
    if (linked != 0) {
        temp_.clear();
        throwIoError(EEXIST);
    }
}

void PosixTemporaryFile::replace() {
    if (temp_.empty()) giveName();
    const int closed = ::close(fd_);
    const int closeError = errno;
    fd_ = -1;
    if (closed != 0) throwIoError(closeError);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) throwIoError(errno);
    replaced_ = true;
    unregisterPending(temp_);
    syncFolder(folder_);
}

} // namespace

void checkReplaceable(const std::filesystem::path& target, const std::filesystem::path& folder,
                      const std::filesystem::path& shown) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throwIoError(EISDIR);
    if (exists && !S_ISREG(old.st_mode)) throwNotARegularFile(shown);
    if (exists && ::access(target.c_str(), W_OK) != 0) throwIoError(errno);
    // The temporary file has a name of its own length, so a name the folder cannot hold
    // would only show at the rename: say it now.
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t limit = nameMax > 0 ? static_cast<std::size_t>(nameMax) : 255;
    if (target.filename().native().size() > limit) throwIoError(ENAMETOOLONG);
}

std::unique_ptr<TemporaryFile> createTemporaryFile(const std::filesystem::path& folder,
                                                   const std::filesystem::path& target) {
    return std::make_unique<PosixTemporaryFile>(folder, target);
}

} // namespace detail
} // namespace trassolin
