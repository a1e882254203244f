#pragma once

// What one generation run has read and what its builders fill. Lives for one run only.

#include "output/document.h"
#include "settings/parameter_set.h"
#include "uGlobal/punkt.h"

#include <optional>
#include <vector>

namespace trassolin {

// Every parameter a run uses, parsed once at its start.
struct RunInputs {
    // Fahrbahn_Geo
    double breite = 0.0;       // road width B, m
    double schleppkurve = 0.0; // drag-curve factor Sch, 0 when switched off
    double sturz = 0.0;        // camber factor St, 0 when switched off
    bool road = true;
    // Fahrbahn_Textur
    double texLaenge = 0.0; // m of road per texture repeat
    double texStart = 0.0;  // U of the left border
    double texEnde = 0.0;   // U of the right border
    bool rueckfaltung = false;
    double rueckfaltungP = 0.0;
    bool ruecksetzen = false;
    double streckung = 0.0;
    double texL0 = 0.0;
    // Edges, fill and traffic curves
    bool rightEdge = false, leftEdge = false, fill = false;
    bool curveMiddle = false, curveRight = false, curveLeft = false;
    double rechtsProzent = 0.0, linksProzent = 0.0;
    // KI: lane direction and the game's attributes of the curves
    bool gegenspurUmkehren = false, kiStrassenspline = false, verkehrsspline = false;
    double tempo = 0.0, tempoFaktor = 0.0; // km/h; factor; read only with verkehrsspline
    // Shortest texture length of the switched-on parts; 1e10 when none is on.
    double shortestTextureLength = 1e10;
    Preferences preferences;
    char decimalSeparator = ','; // for numbers in messages and edge listings
};

inline int signum(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

// One traffic curve: its control-vertex lines, plus the first few positions so that a curve
// too short for a degree-3 NURBS can be padded when the road is done.
struct TrafficCurve {
    CurveLines lines;
    std::vector<TPunkt> head; // the first four control vertices at most
};

struct RunState {
    MeshLines mesh;
    std::optional<TrafficCurve> middle, right, left;
    TPunkteSammlung centre;    // one point per road sample, world pose
    TPunkteSammlung rightEdge; // right road border points
    TPunkteSammlung leftEdge;  // left road border points
};

// A stop after the user has been told why (a warning box already shown): no error box follows.
struct RunStopped {};

} // namespace trassolin
