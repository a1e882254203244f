#pragma once

// The one list of every value a parameter file or the preferences file holds: where it is
// stored, how it is written, its start-up value and what a load puts in place of a missing
// key. The constructor of ParameterSet, the parameter file and the preferences file all read
// their literals from here.

#include "settings/parameter_set.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace trassolin {

// Which object a row belongs to; also fixes the order in which the loaders visit the rows.
enum class Scope {
    Fields,         // holder 1 of the main window: Preferences.StrassenName .. TrafficSplines
    Edge,           // one edge profile; section = side prefix + suffix ("_Geo", "_Textur")
    EdgeOrigin,     // the profile's origin point (Start), read after the profile is resized
    Segment,        // per edge segment; key = stem + segment number
    Splines,        // the spline point set (count, current point, import path)
    SplinePoint,    // per spline point; section = "SplinePts" + point number from 1
    Preferences,    // the six sampling preferences
    FillSwitch,     // FuellFlaeche.erzeugen, the main window's check box
    Fill,           // the end-face fill's texture settings
    Game,           // holder 1 as well, in the section [KI] written last and only when used
    AiLimits,       // [KI] too, each key written only when it is used or the file has it
    GameShapes,     // holder 1 as well, the section [Spiel], written like [KI]
    WindowPosition, // preferences file only
};

enum class ValueForm {
    Text,    // verbatim: field texts keep the separator they were typed with
    Real,    // a number from memory: general form out, tolerant parse in
    Angle,   // radians in memory; degrees rounded to 0.01 in the file
    Integer, // decimal out; decimal, "$" or "0x" hexadecimal in
    Boolean, // "1" or "0" out; any non-zero integer is on
    Count,   // the number of entries of a list; bounded when read
};

template <class Object, class Value> using RefAccessor = Value& (*)(Object&);
template <class Object, class Value>
using GetAccessor = Value (*)(const Object&); // written only; a load never sets it

using Accessor =
    std::variant<RefAccessor<ParameterSet, std::string>, RefAccessor<ParameterSet, bool>,
                 RefAccessor<Preferences, double>, RefAccessor<Preferences, bool>,
                 RefAccessor<TRandPunkte, std::string>, RefAccessor<TRandPunkte, double>,
                 RefAccessor<TRandPunkte, bool>, RefAccessor<TRandPunkte, int>,
                 GetAccessor<TRandPunkte, int>, RefAccessor<Randsegment, double>,
                 RefAccessor<Randsegment, bool>, GetAccessor<TSplinePunkte, int>,
                 GetAccessor<TSplinePunkte, std::string>, RefAccessor<TSplinePkt, double>,
                 RefAccessor<TFuellFlaeche, std::string>, RefAccessor<TFuellFlaeche, double>,
                 RefAccessor<TFuellFlaeche, bool>, RefAccessor<WindowPosition, int>>;

struct ParameterRow {
    Scope scope;
    std::string_view section;
    std::string_view key;
    ValueForm form;
    std::string_view startValue;
    // nullopt: the value the object holds before the load (Rand_*_Textur.Ende<n>); unused
    // for rows that are written only.
    std::optional<std::string_view> loadDefault;
    Accessor accessor;
    // The main window's check-box reaction that runs when a load sets this box.
    void (*reaction)(ParameterSet&) = nullptr;
};

// In the order of a newly written parameter file within each scope.
std::span<const ParameterRow> parameterTable();

} // namespace trassolin
