// trassolin-bench-road KILOMETER PARAMETER.ini: writes the benchmark road as a parameter file,
// so that its figures can be reproduced with `trassolin-cli generate`.
#include "winding_road.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    double kilometres = 0.0;
    try {
        if (argc == 3) kilometres = trassolin::parseTolerantReal(argv[1]);
    } catch (const trassolin::ConversionError&) {
        kilometres = 0.0;
    }
    if (!(kilometres >= 0.05 && kilometres <= 100000.0)) {
        std::cerr << "Aufruf: trassolin-bench-road KILOMETER PARAMETER.ini\n"
                     "  schreibt die Benchmark-Landstraße (Länge in km, 0,05 bis 100000)\n";
        return 2;
    }
    try {
        trassolin::bench::writeWindingRoad(argv[2], kilometres);
    } catch (const std::exception& e) {
        std::cerr << "Fehler: " << e.what() << '\n';
        return 1;
    }
    std::cout << trassolin::bench::windingRoadPoints(kilometres) << " Spline-Punkte in "
              << argv[2] << " geschrieben\n";
    return 0;
}
