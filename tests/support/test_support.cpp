#include "support/test_support.h"

#include "uGlobal/numbers.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
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
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

} // namespace trassolin::test
