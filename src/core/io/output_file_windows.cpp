// OutputFile on Windows: a temporary file in the target's folder, marked for deletion until it
// is complete, then FlushFileBuffers and MoveFileExW in the target's place.

#include "io/output_file.h"
#include "io/output_file_platform.h"

#include <algorithm>
#include <string>
#include <string_view>

#include <windows.h>

namespace trassolin {

std::string ioErrorText(int errorNumber) {
    switch (errorNumber) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return detail::kAccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        return detail::kInvalidFileName;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return detail::kDiskFull;
    default:
        return detail::otherIoErrorText(errorNumber);
    }
}

namespace detail {

namespace {

[[noreturn]] void throwLastError() {
    throwIoError(static_cast<int>(::GetLastError()));
}

// The longest name NTFS, exFAT and FAT32 hold, in UTF-16 units.
constexpr std::size_t kMaxNameUnits = 255;

// MoveFileExW refuses to replace a read-only file (Wine replaces it anyway).
bool isReadOnly(const std::filesystem::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Characters no Windows file name holds; ':' would name a stream of another file.
bool hasForbiddenCharacter(const std::wstring& name) {
    return std::any_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 32 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos;
    });
}

// Marks the file for deletion when its last handle closes, or takes the mark back. The system
// honours the mark even for a process that is killed.
bool setDeleteOnClose(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = remove ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) != 0;
}

class WindowsTemporaryFile final : public TemporaryFile {
public:
    WindowsTemporaryFile(const std::filesystem::path& folder, const std::filesystem::path& target);
    ~WindowsTemporaryFile() override;
    WindowsTemporaryFile(const WindowsTemporaryFile&) = delete;
    WindowsTemporaryFile& operator=(const WindowsTemporaryFile&) = delete;

    void write(std::string_view bytes) override;
    void sync() override;
    void replace() override;

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool deleteOnClose_ = false;
    bool replaced_ = false;
};

WindowsTemporaryFile::WindowsTemporaryFile(const std::filesystem::path& folder,
                                           const std::filesystem::path& target)
    : target_(target) {
    for (int attempt = 0; attempt < 100 && file_ == INVALID_HANDLE_VALUE; ++attempt) {
        temp_ = temporaryName(folder);
        // Nobody else opens the file while it is half written.
        file_ = ::CreateFileW(temp_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                throwIoError(static_cast<int>(error));
            }
        }
    }
    if (file_ == INVALID_HANDLE_VALUE) throwIoError(ERROR_FILE_EXISTS);
    // Without the mark (a file system that refuses it) the destructor still removes the file;
    // only a killed process would leave it behind.
    deleteOnClose_ = setDeleteOnClose(file_, true);
}

WindowsTemporaryFile::~WindowsTemporaryFile() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    if (!replaced_ && !deleteOnClose_) ::DeleteFileW(temp_.c_str());
}

void WindowsTemporaryFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file_, bytes.data(), chunk, &written, nullptr)) throwLastError();
        if (written == 0) throwIoError(ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
}

void WindowsTemporaryFile::sync() {
    if (!::FlushFileBuffers(file_)) throwLastError();
}

void WindowsTemporaryFile::replace() {
    if (isReadOnly(target_)) throwIoError(ERROR_ACCESS_DENIED);
    if (deleteOnClose_) {
        if (!setDeleteOnClose(file_, false)) throwLastError();
        deleteOnClose_ = false;
    }
    const BOOL closed = ::CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!closed) throwLastError();
    if (!::MoveFileExW(temp_.c_str(), target_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throwLastError();
    }
    replaced_ = true;
}

} // namespace

void checkReplaceable(const std::filesystem::path& target, const std::filesystem::path&,
                      const std::filesystem::path& shown) {
    // Opening for its attributes only changes nothing; NUL, CON, COM1 and pipes open as
    // devices that are no disk file.
    const HANDLE existing =
        ::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        const DWORD type = ::GetFileType(existing);
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = ::GetFileInformationByHandle(existing, &info) != 0;
        ::CloseHandle(existing);
        if (type != FILE_TYPE_DISK) throwNotARegularFile(shown);
        if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throwIoError(ERROR_DIRECTORY);
        }
    }
    // A read-only file, a name with characters Windows refuses and a name longer than the
    // folder holds would only show at the move, after the run: say it now. The temporary
    // file's own name is short and plain.
    if (isReadOnly(target)) throwIoError(ERROR_ACCESS_DENIED);
    const std::wstring name = target.filename().native();
    if (hasForbiddenCharacter(name)) throwIoError(ERROR_INVALID_NAME);
    if (name.size() > kMaxNameUnits) throwIoError(ERROR_FILENAME_EXCED_RANGE);
}

std::unique_ptr<TemporaryFile> createTemporaryFile(const std::filesystem::path& folder,
                                                   const std::filesystem::path& target) {
    return std::make_unique<WindowsTemporaryFile>(folder, target);
}

} // namespace detail
} // namespace trassolin
