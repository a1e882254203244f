#include "output/output_file.h"

#include "uGlobal/errors.h"

#include <cerrno>
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

// Where the bytes finally go: a symbolic link is written through, as opening it would have
// done, instead of being replaced by a plain file.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) return target;
    auto resolved = std::filesystem::weakly_canonical(target, ec);
    return ec ? target : resolved;
}

// Makes the data of a rename survive a crash of the machine; a failure here changes nothing
// the user could act on, so it is not reported.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
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
    // reported now, before the run spends its time on the mesh.
    struct stat old {};
    const bool exists = ::stat(final_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throwIo(EISDIR, target_);
    if (exists && ::access(final_.c_str(), W_OK) != 0) throwIo(errno, target_);

    std::filesystem::path folder = final_.parent_path();
    if (folder.empty()) folder = ".";

    std::random_device rng;
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string suffix(6, '0');
        for (char& c : suffix)
            c = kDigits[rng() % (sizeof kDigits - 1)];
        temp_ = folder / ("." + name + ".tmp-" + suffix);
        // 0666 lets the umask decide, as for any new file; mkstemp would force 0600.
        fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) throwIo(errno, target_);
    }
    if (fd < 0) throwIo(EEXIST, target_);
    // Replacing a file keeps its permissions.
    if (exists) ::fchmod(fd, old.st_mode & 07777);

    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp_.c_str());
        throwIo(error, target_);
    }
}

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
    if (!committed_) ::unlink(temp_.c_str());
}

void OutputFile::write(std::string_view bytes) {
    if (committed_ || !file_) throw std::logic_error("OutputFile::write after commit");
    if (bytes.empty()) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throwIo(errno != 0 ? errno : EIO, target_);
}

void OutputFile::commit() {
    if (committed_) return;
    if (!file_) throw std::logic_error("OutputFile::commit after a failed commit");
    errno = 0;
    if (std::fflush(file_) != 0) throwIo(errno != 0 ? errno : EIO, target_);
    if (::fsync(::fileno(file_)) != 0) throwIo(errno, target_);
    const int closed = std::fclose(file_);
    const int closeError = errno;
    file_ = nullptr;
    if (closed != 0) throwIo(closeError, target_);
    if (::rename(temp_.c_str(), final_.c_str()) != 0) throwIo(errno, target_);
    committed_ = true;
    syncFolder(final_.has_parent_path() ? final_.parent_path() : std::filesystem::path("."));
}

} // namespace trassolin
