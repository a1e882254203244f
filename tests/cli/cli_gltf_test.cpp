// generate --gltf: the road as glTF beside the i3d document, both replaced only together.

#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace trassolin::test {
namespace {

TEST(CliGltf, writesTheGlbOrTheGltfBesideAnUnchangedDocument) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile());
    const Outcome plain = cli(dir, "generate p.ini plain.i3d");
    ASSERT_EQ(plain.status, 0) << plain.err;
    for (const std::string name : {"road.glb", "Straße.GLTF"}) {
        const Outcome o = cli(dir, "generate --gltf '" + name + "' p.ini road.i3d");
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.err, "");
        EXPECT_EQ(readFile(dir / "road.i3d"), readFile(dir / "plain.i3d"));
        // The status log and the document's line as without it, then the glTF's.
        const std::string plainOut = plain.out.substr(0, plain.out.find("Geschrieben: "));
        EXPECT_TRUE(o.out.starts_with(plainOut)) << o.out;
        EXPECT_TRUE(o.out.ends_with("Geschrieben: " + name + " – glTF 2.0\n")) << o.out;
        const std::string gltf = readFile(dir / name);
        if (name.ends_with(".glb")) {
            EXPECT_EQ(gltf.substr(0, 4), "glTF");
        } else {
            EXPECT_TRUE(gltf.starts_with("{\"asset\":{\"version\":\"2.0\"")) << gltf.substr(0, 80);
        }
    }
}

TEST(CliGltf, aNameThatIsNoGlTFOrOneOfTheOtherFilesIsAUsageError) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile());
    const auto before = snapshot(dir);
    const struct {
        std::string arguments, error;
    } cases[] = {
        {"generate --gltf road.obj p.ini road.i3d",
         "--gltf: erwartet eine Datei auf .glb oder .gltf, nicht 'road.obj'"},
        {"generate --gltf p.ini p.ini road.i3d",
         "--gltf: erwartet eine Datei auf .glb oder .gltf, nicht 'p.ini'"},
        {"generate --gltf x.glb p.ini x.glb",
         "glTF-Datei und i3d-Datei sind dieselbe Datei: x.glb"},
        {"generate --gltf ./x.glb p.ini x.glb",
         "glTF-Datei und i3d-Datei sind dieselbe Datei: ./x.glb"},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, c.arguments);
        EXPECT_EQ(o.status, 2) << c.arguments;
        EXPECT_TRUE(o.err.starts_with("Fehler: " + c.error + "\n")) << o.err;
        EXPECT_EQ(o.out, "") << c.arguments;
        EXPECT_EQ(snapshot(dir), before) << c.arguments;
    }
}

TEST(CliGltf, aStoppedRunLeavesBothFilesAsTheyWereAndSaysSo) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile("Laenge=abc\r\n"));
    writeFile(dir / "road.i3d", "old document");
    writeFile(dir / "road.glb", "old glb");
    const auto before = snapshot(dir);
    Outcome o = cli(dir, "generate --gltf road.glb p.ini road.i3d");
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.err.ends_with("Fehler: Abgebrochen – kein Dokument geschrieben (road.i3d bleibt "
                                "unverändert, road.glb bleibt unverändert)\n"))
        << o.err;
    EXPECT_EQ(snapshot(dir), before);

    // A glTF that cannot be written stops the run before the mesh is built; the document
    // stays too.
    writeFile(dir / "p.ini", roadFile());
    o = cli(dir, "generate --gltf fehlt/road.glb p.ini road.i3d");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("fehlt/road.glb – der Ordner fehlt existiert nicht"), std::string::npos)
        << o.err;
    EXPECT_TRUE(o.err.ends_with("(road.i3d bleibt unverändert, fehlt/road.glb wurde nicht angelegt)\n"))
        << o.err;
    EXPECT_EQ(readFile(dir / "road.i3d"), "old document");
    EXPECT_EQ(readFile(dir / "road.glb"), "old glb");
}

TEST(CliGltf, theHelpOfGenerateNamesTheOption) {
    TempDir dir;
    const Outcome o = cli(dir, "generate --help");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("--gltf DATEI"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("als glTF 2.0 schreiben"), std::string::npos) << o.out;
}

} // namespace
} // namespace trassolin::test
