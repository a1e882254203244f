#include "settings/parameter_table.h"

#include "settings/parameter_rules.h"
#include "settings/text_encoding.h"

#include <array>

namespace trassolin {

namespace {

template <class> struct MemberTraits;
template <class C, class T> struct MemberTraits<T C::*> {
    using Class = C;
    using Type = T;
};

// The accessor of a data member, as a plain function pointer the table can hold.
template <auto Member> constexpr auto member() {
    using Class = typename MemberTraits<decltype(Member)>::Class;
    using Type = typename MemberTraits<decltype(Member)>::Type;
    return static_cast<RefAccessor<Class, Type>>([](Class& o) -> Type& { return o.*Member; });
}

// The main window's check-box reactions that a load runs.
void backFoldClicked(ParameterSet& p) { p.ruecksetzen = textureSwitchAfter(p.ruecksetzen, p.rueckfaltung); }
void resetClicked(ParameterSet& p) { p.rueckfaltung = textureSwitchAfter(p.rueckfaltung, p.ruecksetzen); }
void fillClicked(ParameterSet& p) {
    p.fuellFlaecheErzeugen =
        fillStaysOn(p.fuellFlaecheErzeugen, p.rechterRand.enabled, p.linkerRand.enabled);
}

using S = Scope;
using F = ValueForm;
using PS = ParameterSet;
using R = ParameterRow;
using Edge = TRandPunkte;
using Seg = Randsegment;
using Fill = TFuellFlaeche;
using Pos = WindowPosition;
using Prefs = Preferences;
template <auto Member> constexpr auto m = member<Member>();

// Values that are no data member of their object.
double& originU(TRandPunkte& r) {
    return r.getSegment(0)->u;
} // the origin always exists
int segmentCount(const TRandPunkte& r) {
    return r.count() - 1;
}
int pointCount(const TSplinePunkte& s) {
    return s.count();
}
int currentPoint(const TSplinePunkte& s) {
    return s.current();
}
// Written for information only, never read back: stored so that it cannot harm the file. A
// name in another encoding than UTF-8 would turn the whole file into another encoding on the
// next read, and a line break would end the line.
std::string importPath(const TSplinePunkte& s) {
    std::string path = asValidUtf8(s.fileName());
    for (char& c : path) {
        if (c == '\r' || c == '\n') c = '?';
    }
    return path;
}

// clang-format off
constexpr std::array kTable = {
    // Holder 1: field texts and check boxes, stored as they stand.
    R{S::Fields, "Preferences", "StrassenName", F::Text, "Strasse", "Strasse",
      m<&PS::strassenName>},
    R{S::Fields, "Fahrbahn_Geo", "Breite", F::Text, "7", "6", m<&PS::breite>},
    R{S::Fields, "Fahrbahn_Geo", "Schleppkurve", F::Text, "10", "10", m<&PS::schleppkurve>},
    R{S::Fields, "Fahrbahn_Geo", "Sturz", F::Text, "1", "1", m<&PS::sturz>},
    R{S::Fields, "Fahrbahn_Geo", "SchleppkurveErzeugen", F::Boolean, "0", "1",
      m<&PS::schleppkurveErzeugen>},
    R{S::Fields, "Fahrbahn_Geo", "SturzErzeugen", F::Boolean, "0", "1", m<&PS::sturzErzeugen>},
    R{S::Fields, "Fahrbahn_Geo", "FahrbahnErzeugen", F::Boolean, "1", "1",
      m<&PS::fahrbahnErzeugen>},
    R{S::Fields, "Fahrbahn_Geo", "TransformGroup", F::Boolean, "1", "0", m<&PS::transformGroup>},
    R{S::Fields, "Fahrbahn_Textur", "FileName", F::Text, "road_diffuse.dds", "road_diffuse.dds",
      m<&PS::texturFileName>},
    R{S::Fields, "Fahrbahn_Textur", "Laenge", F::Text, "20", "20", m<&PS::texturLaenge>},
    R{S::Fields, "Fahrbahn_Textur", "Start", F::Text, "0", "0", m<&PS::texStart>},
    R{S::Fields, "Fahrbahn_Textur", "Ende", F::Text, "1", "1", m<&PS::texEnde>},
    R{S::Fields, "Fahrbahn_Textur", "TexL0", F::Text, "0", "0", m<&PS::texL0>},
    R{S::Fields, "Fahrbahn_Textur", "TexPixel", F::Text, "0", "0", m<&PS::texPixel>},
    R{S::Fields, "Fahrbahn_Textur", "Rueckfaltung", F::Boolean, "0", "0", m<&PS::rueckfaltung>,
      backFoldClicked},
    R{S::Fields, "Fahrbahn_Textur", "Rueckfaltung_p", F::Text, "0,5", "0,5", m<&PS::rueckfaltungP>},
    R{S::Fields, "Fahrbahn_Textur", "Ruecksetzen", F::Boolean, "0", "0", m<&PS::ruecksetzen>,
      resetClicked},
    R{S::Fields, "Fahrbahn_Textur", "Streckung", F::Text, "0", "0", m<&PS::streckung>},
    R{S::Fields, "TrafficSplines", "Mitte", F::Boolean, "0", "0", m<&PS::trafficMitte>},
    R{S::Fields, "TrafficSplines", "Rechts", F::Boolean, "0", "0", m<&PS::trafficRechts>},
    R{S::Fields, "TrafficSplines", "Links", F::Boolean, "0", "0", m<&PS::trafficLinks>},
    R{S::Fields, "TrafficSplines", "RechtsProzent", F::Text, "50", "50",
      m<&PS::trafficRechtsProzent>},
    R{S::Fields, "TrafficSplines", "LinksProzent", F::Text, "50", "50",
      m<&PS::trafficLinksProzent>},

    // Edge profile; the section is the side's prefix followed by the suffix given here.
    R{S::Edge, "_Geo", "enable1", F::Boolean, "0", "1", m<&Edge::enabled>},
    R{S::Edge, "_Geo", "nSegments", F::Count, "1", "1", segmentCount},
    R{S::Edge, "_Textur", "FileName", F::Text, "", "bitte eingeben", m<&Edge::textureFileName>},
    R{S::Edge, "_Textur", "Laenge", F::Real, "0", "5", m<&Edge::textureLength>},
    R{S::Edge, "_Textur", "Breite", F::Real, "0", "5", m<&Edge::textureWidth>},
    R{S::Edge, "_Textur", "Pixel", F::Integer, "0", "0", m<&Edge::texturePixels>},
    R{S::Edge, "_Textur", "Ruecksetzen", F::Boolean, "0", "0", m<&Edge::resetInsteadOfMirror>},
    R{S::EdgeOrigin, "_Textur", "Start", F::Real, "0", "0", originU},
    R{S::Segment, "_Geo", "Breite", F::Real, "0", "1", m<&Seg::length>},
    R{S::Segment, "_Geo", "Winkel", F::Angle, "0", "0", m<&Seg::angle>},
    R{S::Segment, "_Geo", "Normale", F::Angle, "90", "90", m<&Seg::normalAngle>},
    R{S::Segment, "_Geo", "NormaleMan", F::Boolean, "0", "0", m<&Seg::manualNormal>},
    R{S::Segment, "_Textur", "Ende", F::Real, "0", std::nullopt, m<&Seg::u>},

    // Spline point set; the current point and the import path are written, never read back.
    R{S::Splines, "Splines", "Anzahl", F::Count, "2", "2", pointCount},
    R{S::Splines, "Splines", "aktuell", F::Integer, "0", std::nullopt, currentPoint},
    R{S::Splines, "Splines", "FileName", F::Text, "", std::nullopt, importPath},
    R{S::SplinePoint, "SplinePts", "X", F::Real, "0", "0", m<&TSplinePkt::X>},
    R{S::SplinePoint, "SplinePts", "Y", F::Real, "0", "0", m<&TSplinePkt::Y>},
    R{S::SplinePoint, "SplinePts", "Z", F::Real, "0", "0", m<&TSplinePkt::Z>},
    R{S::SplinePoint, "SplinePts", "Xrot", F::Real, "0", "0", m<&TSplinePkt::Xrot>},
    R{S::SplinePoint, "SplinePts", "Yrot", F::Real, "0", "0", m<&TSplinePkt::Yrot>},
    R{S::SplinePoint, "SplinePts", "Zrot", F::Real, "0", "0", m<&TSplinePkt::Zrot>},

    // Sampling preferences; the start value is also the preferences file's default.
    R{S::Preferences, "Preferences", "minLaenge", F::Real, "2", "2", m<&Prefs::minLaenge>},
    R{S::Preferences, "Preferences", "minWinkel", F::Real, "3", "2,5", m<&Prefs::minWinkel>},
    R{S::Preferences, "Preferences", "minSteigung", F::Real, "1", "0,5", m<&Prefs::minSteigung>},
    R{S::Preferences, "Preferences", "minZRot", F::Real, "1", "1", m<&Prefs::minZRot>},
    R{S::Preferences, "Preferences", "maxSturz", F::Real, "30", "0,25", m<&Prefs::maxSturz>},
    R{S::Preferences, "Preferences", "DreieckeSym", F::Boolean, "0", "0", m<&Prefs::dreieckeSym>},

    R{S::FillSwitch, "FuellFlaeche", "erzeugen", F::Boolean, "0", "0",
      m<&PS::fuellFlaecheErzeugen>, fillClicked},
    R{S::Fill, "FuellFlaeche", "Textur", F::Text, "", "", m<&Fill::textureFile>},
    R{S::Fill, "FuellFlaeche", "TexturHoehe", F::Real, "5", "2", m<&Fill::textureHeight>},
    R{S::Fill, "FuellFlaeche", "TexturBreite", F::Real, "5", "2", m<&Fill::textureWidth>},
    R{S::Fill, "FuellFlaeche", "TauschHB", F::Boolean, "0", "0", m<&Fill::swap>},

    // Absent keys are off: files written before these options load as they always did.
    R{S::Game, "KI", "GegenspurUmkehren", F::Boolean, "0", "0", m<&PS::gegenspurUmkehren>},
    R{S::Game, "KI", "KIStrassenspline", F::Boolean, "0", "0", m<&PS::kiStrassenspline>},
    R{S::Game, "KI", "Verkehrsspline", F::Boolean, "0", "0", m<&PS::verkehrsspline>},
    R{S::Game, "KI", "Tempo", F::Text, "50", "50", m<&PS::tempo>},
    R{S::Game, "KI", "TempoFaktor", F::Text, "1", "1", m<&PS::tempoFaktor>},

    R{S::WindowPosition, "Preferences", "ScreenPos_Top", F::Integer, "1", "1", m<&Pos::top>},
    R{S::WindowPosition, "Preferences", "ScreenPos_Left", F::Integer, "1", "1", m<&Pos::left>},
};
// clang-format on

} // namespace

std::span<const ParameterRow> parameterTable() {
    return kTable;
}

} // namespace trassolin
