#include "generation/run_inputs.h"

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
    if (in.verkehrsspline) {
        in.tempo = realField(params.tempo, "KI", "Tempo");
        in.tempoFaktor = realField(params.tempoFaktor, "KI", "TempoFaktor");
    }
    in.fill = params.fuellFlaecheErzeugen;

    in.texL0 = realField(params.texL0, "Fahrbahn_Textur", "TexL0");
    return in;
}

// At most how many vertices the mesh gets: every candidate of the path (two per metre of
// chord, see the road builder) taken as a sample, with the road's two border vertices and a
// vertex per profile point of each switched-on edge; the fill adds two faces. An upper bound,
// cheap to know before any vertex is built.
double meshVerticesAtMost(const TSplinePunkte& splines, const RunInputs& in,
                          const ParameterSet& params) {
    double candidates = 0.0;
    for (int i = 0; i + 1 < splines.count(); ++i) {
        candidates += std::trunc(2.0 * splines.points()[static_cast<std::size_t>(i)].chordLength) + 2;
    }
    const double right = in.rightEdge ? params.rechterRand.count() : 0;
    const double left = in.leftEdge ? params.linkerRand.count() : 0;
    const double perSample = (in.road ? 2.0 : 0.0) + right + left;
    const double fill = in.fill ? 2.0 * (params.rechterRand.count() + params.linkerRand.count() + 2) : 0;
    return candidates * perSample + fill;
}

std::string groupedThousands(double value) {
    std::string digits = formatGeneral(std::round(value), ',');
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, '.');
    }
    return digits;
}

} // namespace

RunInputs readRunInputs(ParameterSet& params, StatusLog& log, char decimalSeparator,
                        const EdgeFieldReader& readEdgeFields) {
    RunInputs in = readInputs(params, log, decimalSeparator, readEdgeFields);
    const double vertices = meshVerticesAtMost(params.splines, in, params);
    if (vertices > kMaxMeshVertices) {
        throw TrassolinError("Die Straße würde bis zu " + groupedThousands(vertices) +
                             " Vertices erhalten; mehr als " + groupedThousands(kMaxMeshVertices) +
                             " erzeugt Trassolin nicht. Weniger Randsegmente oder eine "
                             "kürzere Straße wählen.");
    }
    return in;
}

} // namespace trassolin
