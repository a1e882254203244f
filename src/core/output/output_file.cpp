#include "output/output_file.h"

#include "settings/ini_file.h"
#include "uGlobal/errors.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trassolin {

namespace {

[[noreturn]] void throwIo(int errorNumber, const std::filesystem::path& file) {
    throw IoError(ioErrorText(errorNumber), file);
}

// Where the bytes finally go. A symbolic link is written through, as opening it would have
// done, instead of being replaced by a plain file; a link that leads nowhere is refused
// rather than silently replaced by a regular file.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) return target;
    const auto status = std::filesystem::status(target, ec);
    if (ec || status.type() == std::filesystem::file_type::not_found) {
        throw IoError("Der Verweis " + displayPath(target) + " führt ins Leere", target);
    }
    auto resolved = std::filesystem::canonical(target, ec);
    if (ec) throw IoError("Der Verweis " + displayPath(target) + " führt ins Leere", target);
    return resolved;
}

// Makes the data of a rename survive a crash of the machine; a failure here changes nothing
// the user could act on, so it is not reported.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A name of fixed length in the target's folder, whatever the length of the target's name:
// a target name of up to 255 bytes must stay possible.
std::filesystem::path temporaryName(const std::filesystem::path& folder) {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rng;
    std::string name = ".trassolin-";
    for (int i = 0; i < 8; ++i) name += kDigits[rng() % (sizeof kDigits - 1)];
    return folder / name;
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

} // namespace

std::string ioErrorText(int errorNumber) {
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        return "Dateizugriff verweigert";
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case EINVAL:
        return "Ungültiger Dateiname";
    default:
        return "E/A-Fehler " + std::to_string(errorNumber);
    }
}

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
    final_ = resolvedTarget(target_);
    const std::string name = final_.filename().string();
    if (name.empty() || name == "." || name == "..") throwIo(EINVAL, target_);

    // The old file is replaced only at commit, but a target that could never be replaced is
    // reported now, before the run spends its time on the mesh. Replacing a device or a pipe
    // by a regular file would break the system (as root: /dev/null).
    struct stat old {};
    const bool exists = ::stat(final_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throwIo(EISDIR, target_);
    if (exists && !S_ISREG(old.st_mode)) {
        throw IoError(displayPath(target_) + " ist keine normale Datei", target_);
    }
    if (exists && ::access(final_.c_str(), W_OK) != 0) throwIo(errno, target_);

    folder_ = final_.parent_path();
    if (folder_.empty()) folder_ = ".";
    // The temporary file has a name of its own length, so a name the folder cannot hold
    // would only show at the rename: say it now.
    const long nameMax = ::pathconf(folder_.c_str(), _PC_NAME_MAX);
    if (name.size() > static_cast<std::size_t>(nameMax > 0 ? nameMax : 255)) {
        throwIo(ENAMETOOLONG, target_);
    }

    // An unnamed file in the target's folder: nothing to clean up if the process dies.
    // 0666 lets the umask decide, as for any new file.
    int fd = -1;
#ifdef O_TMPFILE
    fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        throwIo(errno, target_);
    }
#endif
    if (fd < 0) {
        openNamedTemporary(folder_);
        return;
    }
    // Replacing a file keeps its permissions.
    if (exists) ::fchmod(fd, old.st_mode & 07777);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        throwIo(error, target_);
    }
}

void OutputFile::openNamedTemporary(const std::filesystem::path& folder) {
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp_ = temporaryName(folder);
        fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) throwIo(errno, target_);
    }
    if (fd < 0) throwIo(EEXIST, target_);
    registerPending(temp_);
    struct stat old {};
    if (::stat(final_.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp_.c_str());
        unregisterPending(temp_);
        throwIo(error, target_);
    }
}

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
    if (!committed_ && !temp_.empty()) {
        ::unlink(temp_.c_str());
        unregisterPending(temp_);
    }
}

void OutputFile::write(std::string_view bytes) {
    if (prepared_ || !file_) throw std::logic_error("OutputFile::write after prepare");
    if (bytes.empty()) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throwIo(errno != 0 ? errno : EIO, target_);
}

void OutputFile::prepare() {
    if (prepared_) return;
    if (!file_) throw std::logic_error("OutputFile::prepare after a failed commit");
    errno = 0;
    if (std::fflush(file_) != 0) throwIo(errno != 0 ? errno : EIO, target_);
    if (::fsync(::fileno(file_)) != 0) throwIo(errno, target_);
    prepared_ = true;
}

void OutputFile::publish() {
    if (committed_) return;
    if (!prepared_ || !file_) throw std::logic_error("OutputFile::publish before prepare");
    if (temp_.empty()) {
        // The unnamed file gets a name only now, right before it replaces the target.
        const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file_));
        int linked = -1;
        for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
            temp_ = temporaryName(folder_);
            linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
            // Without /proc: the same link through the descriptor itself (needs privileges).
            if (linked != 0 && errno == ENOENT) {
                linked = ::linkat(::fileno(file_), "", AT_FDCWD, temp_.c_str(), AT_EMPTY_PATH);
            }
#endif
            if (linked != 0 && errno != EEXIST) {
                const int error = errno;
                temp_.clear();
                throwIo(error, target_);
            }
        }
        if (linked != 0) {
            temp_.clear();
            throwIo(EEXIST, target_);
        }
    }
    const int closed = std::fclose(file_);
    const int closeError = errno;
    file_ = nullptr;
    if (closed != 0) throwIo(closeError, target_);
    if (::rename(temp_.c_str(), final_.c_str()) != 0) throwIo(errno, target_);
    committed_ = true;
    unregisterPending(temp_);
    syncFolder(folder_);
}

void OutputFile::commit() {
    prepare();
    publish();
}

} // namespace trassolin
