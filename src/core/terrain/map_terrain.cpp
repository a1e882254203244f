// A map's i3d is an editor's file of any size and layout: unlike the spline export it is read
// as XML (tags may span lines, attribute values may hold entities), but only for the few
// elements the terrain needs.

#include "terrain/map_terrain.h"

#include "io/paths.h"
#include "io/read_file.h"
#include "settings/text_encoding.h"
#include "uGlobal/utf8.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace trassolin {

namespace {

struct Attribute {
    std::string_view name;
    std::string value; // entities resolved
};

struct Tag {
    std::string_view name;
    std::vector<Attribute> attributes;
    bool closing = false;     // </name>
    bool selfClosing = false; // <name/>
    std::size_t offset = 0;   // of the '<'

    const std::string* find(std::string_view attribute) const {
        for (const Attribute& a : attributes) {
            if (a.name == attribute) return &a.value;
        }
        return nullptr;
    }
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The start and end tags of an XML text, in order; comments, processing instructions, CDATA
// and the document type are passed over. Character data between tags is never looked at.
class TagReader {
public:
    TagReader(std::string_view text, std::string fileName)
        : text_(text), fileName_(std::move(fileName)) {}

    std::optional<Tag> next() {
        while (true) {
            const std::size_t open = text_.find('<', at_);
            if (open == std::string_view::npos) return std::nullopt;
            at_ = open;
            const std::string_view rest = text_.substr(open);
            if (rest.starts_with("<!--")) {
                skipPast(open, "-->");
            } else if (rest.starts_with("<![CDATA[")) {
                skipPast(open, "]]>");
            } else if (rest.starts_with("<?")) {
                skipPast(open, "?>");
            } else if (rest.starts_with("<!")) {
                skipPast(open, ">");
            } else {
                return tag(open);
            }
        }
    }

    // "Die Datei … ist kein gültiges XML (Zeile n): …" at the given offset.
    TrassolinError malformed(std::size_t offset, std::string_view what) const {
        return TrassolinError("Die Datei " + fileName_ + " ist kein gültiges XML (Zeile " +
                              std::to_string(lineOf(offset)) + "): " + std::string(what));
    }

    int lineOf(std::size_t offset) const {
        return 1 + static_cast<int>(std::count(
                       text_.begin(),
                       text_.begin() + static_cast<std::ptrdiff_t>(std::min(offset, text_.size())),
                       '\n'));
    }

private:
    void skipPast(std::size_t open, std::string_view end) {
        const std::size_t close = text_.find(end, open + 2);
        if (close == std::string_view::npos) throw malformed(open, "nicht abgeschlossen");
        at_ = close + end.size();
    }

    std::string_view name() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !isSpace(text_[at_]) && text_[at_] != '>' &&
               text_[at_] != '/' && text_[at_] != '=') {
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    void skipSpaces() {
        while (at_ < text_.size() && isSpace(text_[at_]))
            ++at_;
    }

    Tag tag(std::size_t open) {
        Tag t;
        t.offset = open;
        at_ = open + 1;
        if (at_ < text_.size() && text_[at_] == '/') {
            t.closing = true;
            ++at_;
        }
        t.name = name();
        if (t.name.empty()) throw malformed(open, "Tag ohne Namen");
        while (true) {
            skipSpaces();
            if (at_ >= text_.size())
                throw malformed(open, "Tag <" + std::string(t.name) + " nicht abgeschlossen");
            const char c = text_[at_];
            if (c == '>') {
                ++at_;
                return t;
            }
            if (c == '/' && !t.closing && at_ + 1 < text_.size() && text_[at_ + 1] == '>') {
                at_ += 2;
                t.selfClosing = true;
                return t;
            }
            if (t.closing)
                throw malformed(open, "Endtag </" + std::string(t.name) + " mit Attributen");
            Attribute a;
            a.name = name();
            skipSpaces();
            if (a.name.empty() || at_ >= text_.size() || text_[at_] != '=') {
                throw malformed(open, "Attribut ohne Wert in <" + std::string(t.name));
            }
            ++at_;
            skipSpaces();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) {
                throw malformed(open,
                                "Attributwert ohne Anführungszeichen in <" + std::string(t.name));
            }
            const char quote = text_[at_++];
            const std::size_t end = text_.find(quote, at_);
            if (end == std::string_view::npos)
                throw malformed(open, "Attributwert nicht abgeschlossen");
            a.value = resolved(text_.substr(at_, end - at_), open);
            at_ = end + 1;
            t.attributes.push_back(std::move(a));
        }
    }

    // The five named entities and numeric character references, as UTF-8.
    std::string resolved(std::string_view raw, std::size_t open) const {
        std::string out;
        out.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            const std::size_t semicolon = raw.find(';', i);
            if (semicolon == std::string_view::npos)
                throw malformed(open, "ungültiges Zeichen '&'");
            const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
            static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed{
                {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
            bool known = false;
            for (const auto& [nameOf, c] : kNamed) {
                if (entity == nameOf) {
                    out += c;
                    known = true;
                }
            }
            if (!known) appendCharacterReference(entity, out, open);
            i = semicolon;
        }
        return out;
    }

    void appendCharacterReference(std::string_view entity, std::string& out,
                                  std::size_t open) const {
        const auto bad = [&] {
            return malformed(open, "unbekannte Entität &" + std::string(entity) + ";");
        };
        if (entity.size() < 2 || entity[0] != '#') throw bad();
        const bool hex = entity[1] == 'x';
        const std::string_view digits = entity.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) throw bad();
        std::uint32_t code = 0;
        for (const char d : digits) {
            int v = -1;
            if (d >= '0' && d <= '9')
                v = d - '0';
            else if (hex && d >= 'a' && d <= 'f')
                v = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F')
                v = d - 'A' + 10;
            if (v < 0) throw bad();
            code = code * (hex ? 16u : 10u) + static_cast<std::uint32_t>(v);
        }
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) throw bad();
        appendUtf8(out, static_cast<char32_t>(code));
    }

    std::string_view text_;
    std::string fileName_;
    std::size_t at_ = 0;
};

// What one open element of the scene does to the nodes inside it.
struct NodeFrame {
    double x = 0.0, y = 0.0, z = 0.0; // translation, summed with the parents'
    bool turnedOrScaled = false;      // itself or a parent
};

struct TerrainNode {
    Tag tag;
    NodeFrame frame;
};

class MapReader {
public:
    MapReader(std::string_view bytes, const std::filesystem::path& mapFile)
        : mapFile_(mapFile), name_(displayPath(mapFile)), tags_(bytes, name_) {}

    MapTerrain read(MessageSink& messages) {
        std::vector<std::string_view> open; // element names, outermost first
        std::vector<Tag> sceneNodes;        // the open elements inside the scene, outermost first
        std::size_t sceneDepth = 0;         // open.size() with the scene open; 0: not inside
        int terrains = 0;
        std::optional<TerrainNode> terrain;
        while (std::optional<Tag> tag = tags_.next()) {
            if (tag->closing) {
                if (open.empty() || open.back() != tag->name) {
                    throw tags_.malformed(tag->offset, "</" + std::string(tag->name) +
                                                           "> passt zu keinem offenen Tag");
                }
                open.pop_back();
                if (sceneDepth > 0) {
                    if (open.size() < sceneDepth)
                        sceneDepth = 0;
                    else
                        sceneNodes.pop_back();
                }
                continue;
            }
            if (tag->name == "File") rememberFile(*tag);
            if (sceneDepth > 0) {
                if (tag->name == "TerrainTransformGroup" && ++terrains == 1) {
                    terrain = TerrainNode{*tag, frameOf(sceneNodes, *tag)};
                }
                if (!tag->selfClosing) sceneNodes.push_back(*tag);
            }
            if (tag->selfClosing) continue;
            open.push_back(tag->name);
            if (tag->name == "Scene" && sceneDepth == 0) sceneDepth = open.size();
        }
        if (!open.empty()) {
            throw TrassolinError("Die Datei " + name_ + " endet vor </" + std::string(open.back()) +
                                 ">");
        }
        if (!terrain) {
            throw TrassolinError("Die Datei " + name_ +
                                 " enthält kein Gelände (kein TerrainTransformGroup in der "
                                 "Szene); bitte die i3d-Datei der Karte wählen");
        }
        if (terrains > 1) {
            messages.show(MessageKind::Warning,
                          name_ + ": " + std::to_string(terrains) +
                              " Gelände gefunden; verwendet wird das erste (" +
                              nodeName(terrain->tag) + ")");
        }
        return terrainOf(*terrain, messages);
    }

private:
    std::string at(const Tag& tag) const {
        return name_ + ", Zeile " + std::to_string(tags_.lineOf(tag.offset)) + ", <" +
               std::string(tag.name) + ">";
    }

    static std::string nodeName(const Tag& tag) {
        const std::string* name = tag.find("name");
        return name ? *name : std::string("ohne Namen");
    }

    // The first File of each id counts, as for any id of the map.
    void rememberFile(const Tag& tag) {
        const std::string* id = tag.find("fileId");
        const std::string* file = tag.find("filename");
        if (!id || !file) return;
        try {
            files_.try_emplace(parseStrictInteger(*id), *file);
        } catch (const ConversionError&) {
            // A File that no terrain can name: none of our business.
        }
    }

    template <class Parse>
    auto number(const Tag& tag, std::string_view attribute, Parse parse) const {
        try {
            return parse(*tag.find(attribute));
        } catch (const ConversionError& e) {
            throw TrassolinError(at(tag) + " " + std::string(attribute) + ": " + e.what());
        }
    }

    // An "x y z" attribute; nullopt when the node does not have it.
    std::optional<std::array<double, 3>> three(const Tag& tag, std::string_view attribute) const {
        const std::string* value = tag.find(attribute);
        if (!value) return std::nullopt;
        std::vector<std::string_view> words;
        const std::string_view text = *value;
        for (std::size_t start = 0; start < text.size();) {
            if (isSpace(text[start])) {
                ++start;
                continue;
            }
            std::size_t end = start;
            while (end < text.size() && !isSpace(text[end]))
                ++end;
            words.push_back(text.substr(start, end - start));
            start = end;
        }
        if (words.size() != 3) {
            throw TrassolinError(at(tag) + " " + std::string(attribute) + ": '" + *value +
                                 "' sind nicht drei Zahlen");
        }
        std::array<double, 3> v{};
        for (std::size_t i = 0; i < 3; ++i) {
            v[i] = number(tag, attribute,
                          [&](const std::string&) { return parseTolerantReal(words[i]); });
        }
        return v;
    }

    // Where the node sits: its own translation and its parents', and whether any of them turns
    // or scales it.
    NodeFrame frameOf(const std::vector<Tag>& parents, const Tag& node) const {
        NodeFrame frame;
        const auto apply = [&](const Tag& tag) {
            if (const auto t = three(tag, "translation")) {
                frame.x += (*t)[0];
                frame.y += (*t)[1];
                frame.z += (*t)[2];
            }
            if (const auto r = three(tag, "rotation"); r && *r != std::array<double, 3>{}) {
                frame.turnedOrScaled = true;
            }
            if (const auto s = three(tag, "scale");
                s && *s != std::array<double, 3>{1.0, 1.0, 1.0}) {
                frame.turnedOrScaled = true;
            }
        };
        for (const Tag& parent : parents)
            apply(parent);
        apply(node);
        return frame;
    }

    MapTerrain terrainOf(const TerrainNode& node, MessageSink& messages) const {
        const Tag& tag = node.tag;
        if (node.frame.turnedOrScaled) {
            throw TrassolinError(at(tag) +
                                 ": das Gelände ist gedreht oder skaliert; "
                                 "Trassolin kennt nur ein ungedrehtes, ungeskaliertes Gelände");
        }
        if (!tag.find("heightMapId")) {
            throw TrassolinError(at(tag) + ": heightMapId fehlt");
        }
        const std::int32_t id =
            number(tag, "heightMapId", [](const std::string& v) { return parseStrictInteger(v); });
        const auto file = files_.find(id);
        if (file == files_.end()) {
            throw TrassolinError(at(tag) + ": heightMapId " + std::to_string(id) +
                                 " nennt keine Datei (kein <File fileId=\"" + std::to_string(id) +
                                 "\">)");
        }
        MapTerrain terrain;
        terrain.heightMapFile = resolvedFile(file->second, tag);
        terrain.placement.x = node.frame.x;
        terrain.placement.y = node.frame.y;
        terrain.placement.z = node.frame.z;
        const auto real = [&](std::string_view attribute, double& target) {
            if (tag.find(attribute)) {
                target = number(tag, attribute,
                                [](const std::string& v) { return parseTolerantReal(v); });
            } else {
                messages.show(MessageKind::Information,
                              at(tag) + ": " + std::string(attribute) + " fehlt; angenommen wird " +
                                  formatGeneral(target, '.') + " (Vorgabe des Editors)");
            }
        };
        real("heightScale", terrain.placement.heightScale);
        real("unitsPerPixel", terrain.placement.unitsPerPixel);
        return terrain;
    }

    // The map names its files relative to its own folder, with either slash; "$data" stands
    // for the game's own folder, which holds no map's height map.
    std::filesystem::path resolvedFile(const std::string& raw, const Tag& tag) const {
        std::string name = decodeSettingsText(raw);
        std::replace(name.begin(), name.end(), '\\', '/');
        if (name.starts_with("$")) {
            throw TrassolinError(
                at(tag) + ": die Höhenkarte " + name +
                " liegt im Ordner des Spiels; erwartet wird die Höhenkarte der Karte");
        }
        // In the system's own spelling, so that the path reads as one in reports.
        const std::filesystem::path path = pathFromUtf8(name).make_preferred();
        if (path.is_absolute()) return path;
        return mapFile_.parent_path() / path;
    }

    std::filesystem::path mapFile_;
    std::string name_;
    TagReader tags_;
    std::map<std::int32_t, std::string> files_;
};

} // namespace

MapTerrain parseMapTerrain(std::string_view bytes, const std::filesystem::path& mapFile,
                           MessageSink& messages) {
    return MapReader(bytes, mapFile).read(messages);
}

MapTerrain readMapTerrain(const std::filesystem::path& mapFile, MessageSink& messages) {
    const auto bytes = readWholeFile(mapFile, kMaxMapFileBytes, "eine Karte");
    if (!bytes) {
        throw IoError("Die Datei " + displayPath(mapFile) + " kann nicht geöffnet werden", mapFile);
    }
    return parseMapTerrain(*bytes, mapFile, messages);
}

Ground loadGround(const GroundSource& source, MessageSink& messages) {
    if (source.mapFile.empty()) {
        return {loadHeightMap(source.heightMap, source.placement), source.heightMap};
    }
    const MapTerrain terrain = readMapTerrain(source.mapFile, messages);
    return {loadHeightMap(terrain.heightMapFile, terrain.placement), terrain.heightMapFile};
}

} // namespace trassolin
