#include "generation/game_inputs.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>

namespace trassolin {

namespace {

// "[Spiel] Sichtweite: 'x' …" as every refusal here begins.
std::string where(const char* section, const char* key, const std::string& text) {
    return std::string("[") + section + "] " + key + ": " + quotedValue(text);
}

double real(const std::string& text, const char* section, const char* key) {
    return locatingConversionErrors([&] { return parseTolerantReal(text); },
                                    [&](ValueLocation& at) {
                                        at.section = section;
                                        at.key = key;
                                    });
}

// A length the game takes: more than 0 m up to `most`.
double length(const std::string& text, const char* section, const char* key, double most) {
    const double value = real(text, section, key);
    if (!(value > 0.0 && value <= most)) {
        throw TrassolinError(where(section, key, text) +
                             " nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis " +
                             formatGrouped(most) + " m");
    }
    return value;
}

std::optional<double> optionalLength(const std::string& text, const char* key, double most) {
    if (text.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    return length(text, "KI", key, most);
}

std::optional<std::uint32_t> mask(const std::string& text, const char* key) {
    if (text.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    if (const auto value = parseHexMask(text)) return value;
    throw TrassolinError(where("Spiel", key, text) +
                         " ist keine Hexadezimalzahl von höchstens 8 Stellen, wie der Editor sie "
                         "zeigt (etwa 0x601c)");
}

GameProfile profileOf(const std::string& text) {
    std::string t;
    for (char c : text) {
        if (c != ' ' && c != '\t') t.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
    }
    if (t == "KEINS" || t.empty()) return GameProfile::None;
    if (t == "FS25") return GameProfile::FS25;
    if (t == "FS22") return GameProfile::FS22;
    throw TrassolinError(where("Spiel", "Profil", text) +
                         " kennt Trassolin nicht; erlaubt sind keins, FS25 und FS22");
}

// Lengths beyond these are typing slips: no map is 1 000 km wide, no vehicle 100 m.
constexpr double kMaxClipDistance = 1'000'000.0;
constexpr double kMaxVehicleSize = 100.0;
constexpr double kMaxTurningRadius = 10'000.0;

} // namespace

GameInputs readGameInputs(const ParameterSet& params, bool aiRoad, char decimalSeparator) {
    GameInputs game;
    game.profile = profileOf(params.profil);
    game.bridge = params.bruecke;
    const bool anyCollision = !params.kollisionsgruppe.empty() || !params.kollisionsmaske.empty() ||
                              !params.randKollisionsgruppe.empty() ||
                              !params.randKollisionsmaske.empty();
    switch (game.profile) {
    case GameProfile::None:
        if (anyCollision || game.bridge) {
            game.notes.push_back("Spiel: ohne Profil keine Kollision – Kollisionswerte und "
                                 "Brücke nicht geschrieben");
        }
        break;
    case GameProfile::FS25:
        game.group = mask(params.kollisionsgruppe, "Kollisionsgruppe");
        game.mask = mask(params.kollisionsmaske, "Kollisionsmaske");
        game.vergeGroup = mask(params.randKollisionsgruppe, "RandKollisionsgruppe");
        game.vergeMask = mask(params.randKollisionsmaske, "RandKollisionsmaske");
        break;
    case GameProfile::FS22:
        // The previous generation has one collision mask and no preset for a bridge.
        game.mask = mask(params.kollisionsmaske, "Kollisionsmaske");
        game.vergeMask = mask(params.randKollisionsmaske, "RandKollisionsmaske");
        if (!params.kollisionsgruppe.empty() || !params.randKollisionsgruppe.empty()) {
            game.notes.push_back("Spiel: FS22 kennt keine Kollisionsgruppe – nur die "
                                 "Kollisionsmasken werden geschrieben");
        }
        if (game.bridge) game.notes.push_back("Spiel: FS22 hat keine Brückenvorgabe");
        break;
    }
    game.clipDistance = length(params.sichtweite, "Spiel", "Sichtweite", kMaxClipDistance);
    game.castsShadows = params.schattenWerfen;
    game.normalMaps = params.normalmaps;
    game.chunkLength = real(params.abschnittslaenge, "Spiel", "Abschnittslaenge");
    if (!(game.chunkLength == 0.0 ||
          (game.chunkLength >= kMinChunkLength && std::isfinite(game.chunkLength)))) {
        throw TrassolinError(where("Spiel", "Abschnittslaenge", params.abschnittslaenge) +
                             ": 0 (ein Shape) oder mindestens " +
                             formatGeneral(kMinChunkLength, decimalSeparator) + " m");
    }
    if (aiRoad) {
        game.maxWidth = optionalLength(params.maxBreite, "MaxBreite", kMaxVehicleSize);
        game.maxTurningRadius = readMaxTurningRadius(params);
        game.maxHeight = optionalLength(params.maxHoehe, "MaxHoehe", kMaxVehicleSize);
        if (game.maxHeight && game.profile != GameProfile::FS25) {
            game.notes.push_back("KI: maxHeight liest nur FS25 – MaxHoehe nicht geschrieben");
            game.maxHeight.reset();
        }
    }
    return game;
}

std::optional<double> readMaxTurningRadius(const ParameterSet& params) {
    return optionalLength(params.maxWenderadius, "MaxWenderadius", kMaxTurningRadius);
}

} // namespace trassolin
