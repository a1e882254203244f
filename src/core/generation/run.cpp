#include "generation/run.h"

#include "generation/edges.h"
#include "generation/fill_phase.h"
#include "generation/road.h"
#include "generation/road_texture.h"
#include "generation/run_state.h"
#include "generation/traffic.h"
#include "output/document.h"
#include "output/output_file.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

namespace trassolin {

namespace {

std::string withFixed(std::string text, double value) {
    appendFixed(text, value);
    return text;
}

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

// Reads every field the run needs, in the order the window reads them, and reports the road
// geometry, the road texture and the edge profiles on the way. A text that is no number stops
// here, before any file is touched.
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
    log.append(withFixed("Geometrie: Breite = ", in.breite) +
               withFixed("  --  Schleppkurve = ", in.schleppkurve));

    in.texLaenge = realField(params.texturLaenge, "Fahrbahn_Textur", "Laenge");
    in.texStart = realField(params.texStart, "Fahrbahn_Textur", "Start");
    in.texEnde = realField(params.texEnde, "Fahrbahn_Textur", "Ende");
    params.roadTexturePixels =
        field("Fahrbahn_Textur", "TexPixel", [&] { return parseStrictInteger(params.texPixel); });
    in.rueckfaltungP = realField(params.rueckfaltungP, "Fahrbahn_Textur", "Rueckfaltung_p");
    in.streckung = realField(params.streckung, "Fahrbahn_Textur", "Streckung");
    in.rueckfaltung = params.rueckfaltung;
    in.ruecksetzen = params.ruecksetzen;
    log.append(withFixed("Textur: Länge = ", in.texLaenge) + withFixed(" - Start = ", in.texStart) +
               withFixed(" - Ende = ", in.texEnde));

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
    if (in.verkehrsspline) {
        in.tempo = realField(params.tempo, "KI", "Tempo");
        in.tempoFaktor = realField(params.tempoFaktor, "KI", "TempoFaktor");
    }
    in.fill = params.fuellFlaecheErzeugen;

    in.texL0 = realField(params.texL0, "Fahrbahn_Textur", "TexL0");
    return in;
}

DocumentOptions documentOptions(const ParameterSet& params, const RunInputs& in) {
    DocumentOptions o;
    o.road = in.road;
    o.rightEdge = in.rightEdge;
    o.leftEdge = in.leftEdge;
    o.fill = in.fill;
    o.curveMiddle = in.curveMiddle;
    o.curveRight = in.curveRight;
    o.curveLeft = in.curveLeft;
    o.transformGroups = params.transformGroup;
    o.shapeName = params.strassenName;
    o.roadTexture = params.texturFileName;
    o.rightEdgeTexture = params.rechterRand.textureFileName;
    o.leftEdgeTexture = params.linkerRand.textureFileName;
    o.fillTexture = params.fill.textureFile;
    o.aiRoad = in.kiStrassenspline;
    if (o.aiRoad) o.maxWidth = aiLaneWidths(in);
    o.trafficAttributes = in.verkehrsspline;
    o.speedLimit = in.tempo;
    o.maxSpeedScale = in.tempoFaktor;
    return o;
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

const CurveLines* linesOf(const std::optional<TrafficCurve>& curve) {
    return curve ? &curve->lines : nullptr;
}

} // namespace

bool runGeneration(ParameterSet& params, const std::filesystem::path& output, MessageSink& messages,
                   StatusLog& log, RandomSequence& random, char decimalSeparator,
                   const EdgeFieldReader& readEdgeFields, RunSummary* summary,
                   const ReplacementGuard& beforeReplacing) {
    if (params.splines.count() < 2) {
        messages.show(MessageKind::Warning, "Zu wenig SplinePunkte");
        return false;
    }
    log.clear();
    if (!params.splines.refine(messages, decimalSeparator)) return false;

    try {
        const RunInputs in = readInputs(params, log, decimalSeparator, readEdgeFields);
        const double vertices = meshVerticesAtMost(params.splines, in, params);
        if (vertices > kMaxMeshVertices) {
            throw TrassolinError("Die Straße würde bis zu " + groupedThousands(vertices) +
                                 " Vertices erhalten; mehr als " +
                                 groupedThousands(kMaxMeshVertices) +
                                 " erzeugt Trassolin nicht. Weniger Randsegmente oder eine "
                                 "kürzere Straße wählen.");
        }
        const DocumentOptions options = documentOptions(params, in);
        RunState state;
        if (in.curveMiddle) state.middle.emplace();
        if (in.curveRight) state.right.emplace();
        if (in.curveLeft) state.left.emplace();

        OutputFile file(output);
        file.write(documentHead(options));

        RoadTexture texture(in.texL0, in.rueckfaltung);
        log.append(withFixed("TexturStart = ", texture.coordinate()));
        const double roadLength = buildRoad(params.splines, in, state, texture, random, log);
        for (auto* curve : {&state.middle, &state.right, &state.left}) {
            if (*curve) finishTrafficCurve(**curve);
        }
        // Right-hand traffic: the left lane is driven from the road's end to its start.
        if (in.gegenspurUmkehren && state.left) state.left->lines.reverse();

        double nextTexL0 = 0.0;
        if (in.road) {
            log.append(withFixed("Textur: Längenkoordinate am Ende = ", texture.coordinate()));
            nextTexL0 = texture.nextRoadStart();
            log.append(withFixed("Textur: Längenkoordinate für die nächste Straße = ", nextTexL0));
            state.mesh.closeSubset();
            log.append("Fahrbahn: " + std::to_string(state.mesh.vertexCount()) + " Vertices, " +
                       std::to_string(state.mesh.triangleCount()) + " triangles");
        } else {
            log.append("Fahrbahn: nicht erzeugt");
        }

        buildEdgeStrips(in.rightEdge ? &params.rechterRand : nullptr, state.rightEdge,
                        in.leftEdge ? &params.linkerRand : nullptr, state.leftEdge, state.mesh,
                        messages, log);
        if (in.fill) {
            buildFillFaces(params.fill, params.rechterRand, params.linkerRand, in.breite,
                           state.centre, state.mesh, messages, log);
        }

        writeDocumentTail(options, state.mesh, linesOf(state.middle), linesOf(state.right),
                          linesOf(state.left), params.splines,
                          [&file](std::string_view bytes) { file.write(bytes); });
        file.prepare();
        const std::string nextTexL0Text =
            in.road ? formatGeneral(nextTexL0, decimalSeparator) : params.texL0;
        // Whatever must be replaced together with the document is made ready now; if that
        // fails, the old document stays as well.
        if (beforeReplacing) beforeReplacing(nextTexL0Text);
        file.publish();

        params.previousTexL0 = in.texL0;
        params.texL0 = nextTexL0Text;
        if (summary) {
            summary->vertices = state.mesh.vertexCount();
            summary->triangles = state.mesh.triangleCount();
            summary->roadLength = roadLength;
            summary->textureFiles.clear();
            for (const auto& entry : options.textureFiles())
                summary->textureFiles.push_back(*entry.name);
        }
        return true;
    } catch (const RunStopped&) {
        return false;
    } catch (const TrassolinError& e) {
        messages.showError(e);
        return false;
    } catch (const std::bad_alloc&) {
        // The lists are released on the way out; the output file was never replaced.
        messages.show(MessageKind::Error, kOutOfMemory);
        return false;
    }
}

} // namespace trassolin
