#include "generation/run_inputs.h"

#include "generation/run_bounds.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <string>
#include <vector>

namespace trassolin {

namespace {

// A field that is no number names its section and key, as a parameter file stores it.
template <class Parse> auto field(const char* section, const char* key, Parse&& parse) {
    return locatingConversionErrors(parse, [&](ValueLocation& where) {
        where.section = section;
        where.key = key;
    });
}

double realField(const std::string& text, const char* section, const char* key) {
    return field(section, key, [&] { return parseTolerantReal(text); });
}

// The game's attributes of a traffic curve, km/h and a factor: a vehicle neither stands nor
// drives backwards on its curve, and no vehicle of the game comes near these.
constexpr double kMaxTempo = 1000.0;
constexpr double kMaxTempoFaktor = 10.0;

double gameValue(const std::string& text, const char* key, double most, const char* unit) {
    const double value = realField(text, "KI", key);
    if (!(value > 0.0 && value <= most)) {
        throw TrassolinError(std::string("[KI] ") + key + ": " + quotedValue(text) +
                             " nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis " +
                             formatGrouped(most) + unit);
    }
    return value;
}

void appendListing(const TRandPunkte& profile, StatusLog& log, char decimalSeparator) {
    std::vector<std::string> lines;
    profile.listing(lines, decimalSeparator);
    for (const std::string& line : lines) log.append(line);
}

RunInputs readInputs(ParameterSet& params, StatusLog& log, char decimalSeparator,
                     const EdgeFieldReader& readEdgeFields) {
    RunInputs in;
    in.decimalSeparator = decimalSeparator;
    in.preferences = params.preferences;

    in.breite = realField(params.breite, "Fahrbahn_Geo", "Breite");
    in.schleppkurve = realField(params.schleppkurve, "Fahrbahn_Geo", "Schleppkurve");
    in.sturz = realField(params.sturz, "Fahrbahn_Geo", "Sturz");
    if (!params.schleppkurveErzeugen) in.schleppkurve = 0.0;
    if (!params.sturzErzeugen) in.sturz = 0.0;
    in.road = params.fahrbahnErzeugen;
    log.append("Geometrie: Breite = " + formatFixed(in.breite) +
               "  --  Schleppkurve = " + formatFixed(in.schleppkurve));

    in.texLaenge = realField(params.texturLaenge, "Fahrbahn_Textur", "Laenge");
    in.texStart = realField(params.texStart, "Fahrbahn_Textur", "Start");
    in.texEnde = realField(params.texEnde, "Fahrbahn_Textur", "Ende");
    params.roadTexturePixels =
        field("Fahrbahn_Textur", "TexPixel", [&] { return parseStrictInteger(params.texPixel); });
    in.rueckfaltungP = realField(params.rueckfaltungP, "Fahrbahn_Textur", "Rueckfaltung_p");
    in.streckung = realField(params.streckung, "Fahrbahn_Textur", "Streckung");
    in.rueckfaltung = params.rueckfaltung;
    in.ruecksetzen = params.ruecksetzen;
    log.append("Textur: Länge = " + formatFixed(in.texLaenge) + " - Start = " +
               formatFixed(in.texStart) + " - Ende = " + formatFixed(in.texEnde));

    in.rightEdge = params.rechterRand.enabled;
    in.leftEdge = params.linkerRand.enabled;
    for (TRandPunkte* edge : {&params.rechterRand, &params.linkerRand}) {
        if (!edge->enabled) continue;
        if (readEdgeFields) readEdgeFields(*edge);
        // The strip's length coordinate grows by border length / texture length: 0 m would
        // stop the run later as a bare "Ungültige Gleitkommaoperation".
        if (edge->textureLength == 0.0) {
            throw TrassolinError(edge->name() + ": Texturlänge 0 m – der Rand braucht eine Länge "
                                                "über 0 m je Texturwiederholung ([" +
                                 (edge->rightSide() ? "Rand_rechts" : "Rand_links") +
                                 "_Textur] Laenge)");
        }
        appendListing(*edge, log, decimalSeparator);
    }
    double shortest = 1e10;
    if (in.road && in.texLaenge < shortest) shortest = in.texLaenge;
    if (in.rightEdge && params.rechterRand.textureLength < shortest) {
        shortest = params.rechterRand.textureLength;
    }
    if (in.leftEdge && params.linkerRand.textureLength < shortest) {
        shortest = params.linkerRand.textureLength;
    }
    in.shortestTextureLength = shortest;

    in.curveMiddle = params.trafficMitte;
    in.curveRight = params.trafficRechts;
    in.curveLeft = params.trafficLinks;
    if (in.curveRight)
        in.rechtsProzent =
            realField(params.trafficRechtsProzent, "TrafficSplines", "RechtsProzent");
    if (in.curveLeft)
        in.linksProzent = realField(params.trafficLinksProzent, "TrafficSplines", "LinksProzent");
    in.gegenspurUmkehren = params.gegenspurUmkehren;
    in.kiStrassenspline = params.kiStrassenspline;
    in.verkehrsspline = params.verkehrsspline;
    // Only a curve carries them: without one they stay unread, whatever they hold.
    if (in.verkehrsspline && (in.curveMiddle || in.curveRight || in.curveLeft)) {
        in.tempo = gameValue(params.tempo, "Tempo", kMaxTempo, " km/h");
        in.tempoFaktor = gameValue(params.tempoFaktor, "TempoFaktor", kMaxTempoFaktor, "");
    }
    in.fill = params.fuellFlaecheErzeugen;

    in.texL0 = realField(params.texL0, "Fahrbahn_Textur", "TexL0");
    return in;
}

} // namespace

RunInputs readRunInputs(ParameterSet& params, StatusLog& log, char decimalSeparator,
                        const EdgeFieldReader& readEdgeFields) {
    RunInputs in = readInputs(params, log, decimalSeparator, readEdgeFields);
    refuseOversizedRun(runSizeAtMost(params), params.splines.count());
    return in;
}

} // namespace trassolin
