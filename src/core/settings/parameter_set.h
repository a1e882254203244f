#pragma once

#include "uFuellFlaeche/fuell_flaeche.h"
#include "uGlobal/rand_punkte.h"
#include "uSplinePkts/spline_punkte.h"

#include <string>

namespace trassolin {

// The six sampling preferences, held as numbers (degrees, metres).
struct Preferences {
    double minLaenge = 2.0;
    double minWinkel = 3.0;
    double minSteigung = 1.0;
    double minZRot = 1.0;
    double maxSturz = 30.0;
    bool dreieckeSym = false;
};

// Where the main window stood, in screen pixels; kept in the preferences file.
struct WindowPosition {
    int top = 1;
    int left = 1;
};

// Everything a run reads and a parameter file stores, as a freshly started main window holds
// it (the start-up values come from parameterTable()). Field texts stay texts exactly as typed or
// loaded, so a file keeps the user's separator; they are parsed only when a run starts.
struct ParameterSet {
    ParameterSet(); // start-up values

    // Preferences (shape name)
    std::string strassenName;
    // Fahrbahn_Geo
    std::string breite, schleppkurve, sturz;
    bool schleppkurveErzeugen = false, sturzErzeugen = false;
    bool fahrbahnErzeugen = true, transformGroup = true;
    // Fahrbahn_Textur
    std::string texturFileName, texturLaenge, texStart, texEnde, texL0, texPixel;
    bool rueckfaltung = false;
    std::string rueckfaltungP;
    bool ruecksetzen = false;
    std::string streckung;
    // TrafficSplines
    bool trafficMitte = false, trafficRechts = false, trafficLinks = false;
    std::string trafficRechtsProzent, trafficLinksProzent;
    // FuellFlaeche.erzeugen (the main window's check box; the rest lives in `fill`)
    bool fuellFlaecheErzeugen = false;
    // KI: what the game needs of the traffic curves. All off, the document is as without them.
    bool gegenspurUmkehren = false; // the left lane's curve runs from the road's end to its start
    bool kiStrassenspline = false;  // the curves form a road of the game's AI, with maxWidth
    bool verkehrsspline = false;    // the curves carry speedLimit and maxSpeedScale
    std::string tempo;              // speedLimit, km/h
    std::string tempoFaktor;        // maxSpeedScale
    // The AI road's limits on the group that carries onCreate; empty: maxWidth is the road
    // width, the other two are not written.
    std::string maxBreite, maxWenderadius, maxHoehe; // m
    // Spiel: what the game needs of the road's shapes. At their start values the document is
    // as without them.
    std::string profil;                               // keins, FS25, FS22
    bool bruecke = false;                             // the bridge preset of FS25
    std::string kollisionsgruppe, kollisionsmaske;    // hexadecimal; empty: the profile's
    std::string randKollisionsgruppe, randKollisionsmaske; // verges, end faces; empty: none
    std::string sichtweite;                           // clipDistance, m
    bool schattenWerfen = false;                      // castsShadows
    bool normalmaps = false;                          // Normalmap and Glossmap per material
    std::string abschnittslaenge;                     // m per chunk; 0: one shape

    Preferences preferences;

    // Run-only values: no parameter file holds them.
    double previousTexL0 = 0.0;
    int roadTexturePixels = 0;

    // Model objects. The edge profiles hold their enable flag and texture values themselves.
    TSplinePunkte splines;
    TRandPunkte rechterRand{"rechter Rand", true};
    TRandPunkte linkerRand{"linker Rand", false};
    TFuellFlaeche fill;
};

} // namespace trassolin
