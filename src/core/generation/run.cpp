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
#include <string>
#include <vector>

namespace trassolin {

namespace {

std::string withFixed(std::string text, double value) {
    appendFixed(text, value);
    return text;
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

    in.breite = parseTolerantReal(params.breite);
    in.schleppkurve = parseTolerantReal(params.schleppkurve);
    in.sturz = parseTolerantReal(params.sturz);
    if (!params.schleppkurveErzeugen) in.schleppkurve = 0.0;
    if (!params.sturzErzeugen) in.sturz = 0.0;
    in.road = params.fahrbahnErzeugen;
    log.append(withFixed("Geometrie: Breite = ", in.breite) +
               withFixed("  --  Schleppkurve = ", in.schleppkurve));

    in.texLaenge = parseTolerantReal(params.texturLaenge);
    in.texStart = parseTolerantReal(params.texStart);
    in.texEnde = parseTolerantReal(params.texEnde);
    params.roadTexturePixels = parseStrictInteger(params.texPixel);
    in.rueckfaltungP = parseTolerantReal(params.rueckfaltungP);
    in.streckung = parseTolerantReal(params.streckung);
    in.rueckfaltung = params.rueckfaltung;
    in.ruecksetzen = params.ruecksetzen;
    log.append(withFixed("Textur: Länge = ", in.texLaenge) + withFixed(" - Start = ", in.texStart) +
               withFixed(" - Ende = ", in.texEnde));

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
    if (in.curveRight) in.rechtsProzent = parseTolerantReal(params.trafficRechtsProzent);
    if (in.curveLeft) in.linksProzent = parseTolerantReal(params.trafficLinksProzent);
    in.fill = params.fuellFlaecheErzeugen;

    in.texL0 = parseTolerantReal(params.texL0);
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
    return o;
}

const CurveLines* linesOf(const std::optional<TrafficCurve>& curve) {
    return curve ? &curve->lines : nullptr;
}

} // namespace

bool runGeneration(ParameterSet& params, const std::filesystem::path& output,
                   MessageSink& messages, StatusLog& log, RandomSequence& random,
                   char decimalSeparator, const EdgeFieldReader& readEdgeFields) {
    if (params.splines.count() < 2) {
        messages.show(MessageKind::Warning, "Zu wenig SplinePunkte");
        return false;
    }
    log.clear();
    if (!params.splines.refine(messages, decimalSeparator)) return false;

    try {
        const RunInputs in = readInputs(params, log, decimalSeparator, readEdgeFields);
        const DocumentOptions options = documentOptions(params, in);
        RunState state;
        if (in.curveMiddle) state.middle.emplace();
        if (in.curveRight) state.right.emplace();
        if (in.curveLeft) state.left.emplace();

        OutputFile file(output);
        file.write(documentHead(options));

        RoadTexture texture(in.texL0, in.rueckfaltung);
        log.append(withFixed("TexturStart = ", texture.coordinate()));
        buildRoad(params.splines, in, state, texture, random, log);
        for (auto* curve : {&state.middle, &state.right, &state.left}) {
            if (*curve) finishTrafficCurve(**curve);
        }

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
        file.commit();

        params.previousTexL0 = in.texL0;
        if (in.road) params.texL0 = formatGeneral(nextTexL0, decimalSeparator);
        return true;
    } catch (const RunStopped&) {
        return false;
    } catch (const TrassolinError& e) {
        messages.show(MessageKind::Error, e.what());
        return false;
    }
}

} // namespace trassolin
