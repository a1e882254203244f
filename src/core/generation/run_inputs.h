#pragma once

// What one generation run has read of its parameters, parsed once at its start.

#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <functional>

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

// A stop after the user has been told why (a warning box already shown): no error box follows.
struct RunStopped {};

// The window keeps an enabled edge's texture values in its fields until the run reads them:
// it is called for each enabled profile just before its listing and may throw a
// ConversionError like any other field. The command line has them in the profile already.
using EdgeFieldReader = std::function<void(TRandPunkte&)>;

// A run whose mesh could exceed this many vertices is refused before it starts: it would take
// minutes and gigabytes and give a document no editor loads.
inline constexpr double kMaxMeshVertices = 50'000'000.0;

// Reads every field the run needs, in the order the window reads them, and reports the road
// geometry, the road texture and the edge profiles on the way (`readEdgeFields` first for each
// enabled edge). A text that is no number stops here with a ConversionError naming its section
// and key, and a road beyond kMaxMeshVertices with a TrassolinError; nothing is built yet.
// Sets params.roadTexturePixels. The spline points must be refined.
RunInputs readRunInputs(ParameterSet& params, StatusLog& log, char decimalSeparator,
                        const EdgeFieldReader& readEdgeFields = {});

} // namespace trassolin
