#include "support/test_support.h"

#include "settings/ini_file.h"
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
    if (!in) throw std::runtime_error("cannot read " + displayPath(file));
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
        names.push_back(displayPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + displayPath(file));
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

} // namespace trassolin::test
