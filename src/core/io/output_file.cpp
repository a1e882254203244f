#include "io/output_file.h"

#include "io/output_file_platform.h"
#include "io/paths.h"
#include "uGlobal/errors.h"

#include <random>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace trassolin {

namespace detail {

void throwIoError(int systemError) {
    throw IoError(ioErrorText(systemError));
}

void throwNotARegularFile(const std::filesystem::path& shown) {
    throw IoError(displayPath(shown) + " ist keine normale Datei");
}

std::string otherIoErrorText(int systemError) {
    return "E/A-Fehler " + std::to_string(systemError);
}

std::filesystem::path temporaryName(const std::filesystem::path& folder) {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rng;
    std::string name = ".trassolin-";
    for (int i = 0; i < 8; ++i) name += kDigits[rng() % (sizeof kDigits - 1)];
    return folder / name;
}

} // namespace detail

namespace {

// Small writes (a line of the document head) are gathered; the mesh blocks pass straight on.
constexpr std::size_t kBufferBytes = 64 * 1024;

// Where the bytes finally go. A symbolic link is written through, as opening it would have
// done, instead of being replaced by a plain file; a link that leads nowhere is refused
// rather than silently replaced by a regular file.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) return target;
    const auto status = std::filesystem::status(target, ec);
    if (ec || status.type() == std::filesystem::file_type::not_found) {
        throw IoError("Der Verweis " + displayPath(target) + " führt ins Leere");
    }
    auto resolved = std::filesystem::canonical(target, ec);
    if (ec) throw IoError("Der Verweis " + displayPath(target) + " führt ins Leere");
    return resolved;
}

// Runs a step of the file's work; a system error, which knows no file, leaves it naming the
// target, so that the command line can say which file failed and why.
template <class Step> decltype(auto) namingTheTarget(const std::filesystem::path& target, Step&& step) {
    try {
        return step();
    } catch (const IoError& e) {
        if (!e.file().empty()) throw;
        throw IoError(e.what(), target);
    }
}

} // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
    namingTheTarget(target_, [this] { open(); });
}

void OutputFile::open() {
    const std::filesystem::path final = resolvedTarget(target_);
    const std::filesystem::path name = final.filename();
    if (name.empty() || name == "." || name == "..") throw IoError(detail::kInvalidFileName);
    std::filesystem::path folder = final.parent_path();
    if (folder.empty()) folder = ".";
    // The old file is replaced only at commit, but a target that could never be replaced is
    // reported now, before the run spends its time on the mesh. Replacing a device or a pipe
    // by a regular file would break the system (as root: /dev/null).
    detail::checkReplaceable(final, folder, target_);
    try {
        temp_ = detail::createTemporaryFile(folder, final);
    } catch (const IoError& e) {
        // The new file is made in the folder first: a refusal there is the folder's, not the
        // file's, which may not even exist.
        if (std::string_view(e.what()) != detail::kAccessDenied) throw;
        std::error_code ec;
        auto shownFolder = folder == "." ? std::filesystem::current_path(ec) : folder;
        if (ec) shownFolder = folder;
        throw IoError(std::string(detail::kAccessDenied) + ": " + displayPath(target_) +
                          " – in den Ordner " + displayPath(shownFolder) +
                          " darf nicht geschrieben werden",
                      target_);
    }
    buffer_.reserve(kBufferBytes);
}

OutputFile::~OutputFile() = default;

void OutputFile::flushBuffer() {
    if (buffer_.empty()) return;
    temp_->write(buffer_);
    buffer_.clear();
}

void OutputFile::write(std::string_view bytes) {
    if (prepared_ || !temp_) throw std::logic_error("OutputFile::write after prepare");
    namingTheTarget(target_, [&] {
        if (buffer_.size() + bytes.size() > kBufferBytes) flushBuffer();
        if (bytes.size() >= kBufferBytes) {
            temp_->write(bytes);
        } else {
            buffer_.append(bytes);
        }
    });
}

void OutputFile::prepare() {
    if (prepared_) return;
    if (!temp_) throw std::logic_error("OutputFile::prepare after a failed commit");
    namingTheTarget(target_, [this] {
        flushBuffer();
        temp_->sync();
    });
    prepared_ = true;
}

void OutputFile::publish() {
    if (committed_) return;
    if (!prepared_ || !temp_) throw std::logic_error("OutputFile::publish before prepare");
    // Whatever happens, this temporary file is done with; a failed replace removes it.
    const std::unique_ptr<detail::TemporaryFile> temp = std::move(temp_);
    namingTheTarget(target_, [&] { temp->replace(); });
    committed_ = true;
}

void OutputFile::commit() {
    prepare();
    publish();
}

} // namespace trassolin
