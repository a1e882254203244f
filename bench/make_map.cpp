// trassolin-bench-map PARAMETER.ini KARTE.i3d: writes a sample map for the road of the
// parameter file (see sample_map.h), for trying `trassolin-cli gelaende`.
#include "sample_map.h"

#include "settings/parameter_file.h"
#include "uGlobal/messages.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Aufruf: trassolin-bench-map PARAMETER.ini KARTE.i3d\n"
                     "  schreibt eine Beispielkarte mit Höhenkarte (KARTE_dem.png) um die Straße\n";
        return 2;
    }
    try {
        trassolin::ParameterSet set;
        trassolin::CollectingMessageSink ignored;
        trassolin::loadParameterFile(argv[1], set, ignored);
        trassolin::bench::writeSampleMap(set.splines, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "Fehler: " << e.what() << '\n';
        return 1;
    }
    std::cout << "Beispielkarte " << argv[2] << " geschrieben\n";
    return 0;
}
