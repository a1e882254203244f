#include "support/test_support.h"

#include "uGlobal/numbers.h"
#include "uGlobal/rand_punkte.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <sstream>
#include <stdexcept>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trassolin::test {

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("trassolin-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TRandPunkte profileOf(bool right, const std::vector<ProfileSegment>& segments, MessageSink* sink) {
    TRandPunkte p(right ? "rechter Rand" : "linker Rand", right);
    CollectingMessageSink ignored;
    MessageSink& messages = sink != nullptr ? *sink : ignored;
    p.enabled = true;
    p.resize(static_cast<int>(segments.size()) + 1, messages);
    for (int i = 1; i < p.count(); ++i) {
        const ProfileSegment& s = segments[static_cast<std::size_t>(i) - 1];
        Randsegment& r = *p.getSegment(i);
        r.length = s.length, r.angle = s.angleDegrees * std::numbers::pi / 180, r.u = s.u;
        p.updateSegmentGeometry(i);
    }
    p.recompute(messages);
    return p;
}

std::string nameOf(std::string_view text) {
    if (text.empty()) return "empty";
    std::string name;
    const auto word = [&](std::string_view w) {
        if (!name.empty()) name += '_';
        name += w;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c)) {
            std::size_t end = i;
            while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end])))
                ++end;
            word(text.substr(i, end - i));
            i = end;
            continue;
        }
        switch (c) {
        case ',':
            word("comma");
            break;
        case '.':
            word("point");
            break;
        case '-':
            word("minus");
            break;
        case '+':
            word("plus");
            break;
        case ' ':
            word("blank");
            break;
        case '_':
            word("underscore");
            break;
        case '\t':
            word("tab");
            break;
        case '\r':
            word("CR");
            break;
        case '\n':
            word("LF");
            break;
        default: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            word(std::string{'x', kHex[c >> 4], kHex[c & 15]});
        }
        }
        ++i;
    }
    return name;
}

std::string nameOf(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return nameOf(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::vector<std::string> entryNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::vector<double>> attributeNumbers(const std::string& text,
                                                 const std::string& name) {
    std::vector<std::vector<double>> rows;
    const std::string key = " " + name + "=\"";
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const auto start = at + key.size();
        const auto stop = text.find('"', start);
        std::vector<double> row;
        std::size_t pos = start;
        while (pos < stop) {
            auto blank = text.find(' ', pos);
            if (blank == std::string::npos || blank > stop) blank = stop;
            if (blank > pos) row.push_back(parseTolerantReal(text.substr(pos, blank - pos)));
            pos = blank + 1;
        }
        rows.push_back(row);
    }
    return rows;
}

namespace {
constexpr const char* kXmllint = "/usr/bin/xmllint";
}

bool xmllintAvailable() { return std::filesystem::exists(kXmllint); }

int xmllint(const std::string& arguments, const std::filesystem::path& file, std::string& output) {
    const auto log = file.parent_path() / "xmllint.log";
    const std::string command = std::string(kXmllint) + " " + arguments + " '" + file.string() +
                                "' > '" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    output = readFile(log);
    return status;
}

std::filesystem::path i3dSchema() {
    return sharedDir() / "data/i3d/schema/archive-2009/i3d-1.6.xsd";
}

std::string withoutEditorAttributes(std::string document) {
    for (const std::string name : {" bvCenter=\"", " bvRadius=\"", " isOptimized=\""}) {
        for (auto at = document.find(name); at != std::string::npos; at = document.find(name)) {
            document.erase(at, document.find('"', at + name.size()) + 1 - at);
        }
    }
    return document;
}

std::filesystem::path sharedDir() { return TRASSOLIN_SHARED_DIR; }
std::filesystem::path examplesDir() { return TRASSOLIN_EXAMPLES_DIR; }
std::filesystem::path testDataDir() { return TRASSOLIN_TEST_DATA_DIR; }

std::optional<std::string> asOrdinaryUser(const std::function<std::string()>& probe) {
    if (::geteuid() != 0) return probe();
    int channel[2];
    if (::pipe(channel) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(3);
        }
        const std::string answer = probe();
        const auto written = ::write(channel[1], answer.data(), answer.size());
        ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 4);
    }
    ::close(channel[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return answer;
}

} // namespace trassolin::test
