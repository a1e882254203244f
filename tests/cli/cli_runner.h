#pragma once

// Runs the real trassolin-cli binary in a folder and captures what it leaves behind.

#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <sys/wait.h>

namespace trassolin::test {

struct Outcome {
    int status;
    std::string out, err;
};

// Runs trassolin-cli (or the copy `program`) in `dir` with the arguments as one shell text.
inline Outcome cli(const TempDir& dir, const std::string& arguments, const std::string& env = "",
                   const std::string& program = TRASSOLIN_CLI_PATH) {
    const std::string command = "cd '" + dir.path().string() + "' && " + env + " '" + program +
                                "' " + arguments + " >.out.txt 2>.err.txt";
    const int raw = std::system(command.c_str());
    Outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir / ".out.txt"),
              readFile(dir / ".err.txt")};
    std::filesystem::remove(dir / ".out.txt");
    std::filesystem::remove(dir / ".err.txt");
    return o;
}

// Every file of the folder by name with its bytes: a run that stops must leave this as it was.
inline std::map<std::string, std::string> snapshot(const TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? readFile(entry.path()) : std::string("<kein Dateiinhalt>");
    }
    return files;
}

// The verdict that ends every stopped run.
inline std::string stopped(const std::string& target, bool existed) {
    return "Fehler: Abgebrochen – kein Dokument geschrieben (" + target +
           (existed ? " bleibt unverändert)\n" : " wurde nicht angelegt)\n");
}

// A straight 30 m road without edges as a parameter file; `texture` goes into Fahrbahn_Textur.
inline std::string roadFile(const std::string& texture = "Laenge=20\r\nTexL0=0,25\r\n") {
    return "[Fahrbahn_Geo]\r\nBreite=7\r\n[Fahrbahn_Textur]\r\n" + texture +
           "[Rand_rechts_Geo]\r\nenable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n"
           "[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n";
}

} // namespace trassolin::test
