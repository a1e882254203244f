#include "settings/parameter_file.h"
#include "settings/parameter_rules.h"
#include "uGlobal/degrees.h"

#include <gtest/gtest.h>

#include <numbers>

namespace trassolin {
namespace {

TEST(ParameterRules, theTextureSwitchJustSetTurnsTheOtherOffAndNeverOn) {
    EXPECT_FALSE(textureSwitchAfter(true, true));
    EXPECT_TRUE(textureSwitchAfter(true, false));
    EXPECT_FALSE(textureSwitchAfter(false, false));
    EXPECT_FALSE(textureSwitchAfter(false, true));
}

TEST(ParameterRules, theFillStaysOnOnlyWhileBothVergesAre) {
    EXPECT_TRUE(fillStaysOn(true, true, true));
    EXPECT_FALSE(fillStaysOn(true, false, true));
    EXPECT_FALSE(fillStaysOn(true, true, false));
    EXPECT_FALSE(fillStaysOn(false, true, true)); // never switched on by the rule
}

// A loaded file runs the same rules as the window's boxes.
TEST(ParameterRules, aLoadAppliesThemAsTheWindowDoes) {
    ParameterSet set;
    IniFile ini;
    ini.writeString("Fahrbahn_Textur", "Rueckfaltung", "1");
    ini.writeString("Fahrbahn_Textur", "Ruecksetzen", "1");
    ini.writeString("Rand_rechts_Geo", "enable1", "1");
    ini.writeString("Rand_links_Geo", "enable1", "0");
    ini.writeString("FuellFlaeche", "erzeugen", "1");
    CollectingMessageSink messages;
    loadParameterSet(ini, set, messages);
    EXPECT_FALSE(set.rueckfaltung); // Ruecksetzen is read after it and wins
    EXPECT_TRUE(set.ruecksetzen);
    EXPECT_FALSE(set.fuellFlaecheErzeugen);
}

TEST(Degrees, areShownToAHundredthWithTheUsersSeparator) {
    EXPECT_EQ(formatDegrees(std::numbers::pi / 3, ','), "60");
    EXPECT_EQ(formatDegrees(radiansFromDegrees(-12.345), ','), "-12,35");
    EXPECT_EQ(formatDegrees(radiansFromDegrees(0.004), '.'), "0");
    EXPECT_EQ(radiansFromDegrees(180.0), std::numbers::pi);
}

} // namespace
} // namespace trassolin
