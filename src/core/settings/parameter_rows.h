#pragma once

// Moves the value of one row of parameterTable() between an object and an INI file. Shared
// by the parameter file, the preferences file and the start-up values.

#include "settings/ini_file.h"
#include "settings/parameter_table.h"
#include "uGlobal/degrees.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace trassolin::rows {

// Applies a value text as a load does: reals through the tolerant parse (a ConversionError
// stops the caller), integers and booleans fall back to `fallback` when the text is no
// whole number.
inline void assign(std::string& target, ValueForm, std::string_view text, std::string_view) {
    target = text;
}
inline void assign(bool& target, ValueForm, std::string_view text, std::string_view fallback) {
    target = parseProfileInteger(text).value_or(parseProfileInteger(fallback).value_or(0)) != 0;
}
inline void assign(int& target, ValueForm, std::string_view text, std::string_view fallback) {
    target = parseProfileInteger(text).value_or(parseProfileInteger(fallback).value_or(0));
}
inline void assign(double& target, ValueForm form, std::string_view text, std::string_view) {
    const double value = parseTolerantReal(text);
    target = form == ValueForm::Angle ? radiansFromDegrees(value) : value;
}

inline std::string format(const std::string& value, ValueForm, char) {
    return value;
}
inline std::string format(bool value, ValueForm, char) {
    return value ? "1" : "0";
}
inline std::string format(int value, ValueForm, char) {
    return formatInteger(value);
}
inline std::string format(double value, ValueForm form, char separator) {
    if (form == ValueForm::Angle) return formatDegrees(value, separator);
    return formatGeneral(value, separator);
}

// Calls `action` with the reference or value the row's accessor gives for `object`.
template <class Object, class Action>
void visit(const ParameterRow& row, Object& object, Action&& action) {
    std::visit(
        [&](auto accessor) {
            if constexpr (std::is_invocable_v<decltype(accessor), Object&>) {
                action(accessor(object));
            } else {
                throw std::logic_error("parameter row " + std::string(row.key) +
                                       " used with the wrong object");
            }
        },
        row.accessor);
}

enum class Fallback { LoadDefault, StartValue };

// Reads the row into `object`; rows that are written only are skipped.
template <class Object>
void read(const IniFile& ini, const ParameterRow& row, Object& object, std::string_view section,
          std::string_view key, Fallback fallback = Fallback::LoadDefault) {
    visit(row, object, [&](auto&& target) {
        if constexpr (std::is_lvalue_reference_v<decltype(target)>) {
            std::string defaultText;
            if (fallback == Fallback::StartValue) {
                defaultText = row.startValue;
            } else if (row.loadDefault) {
                defaultText = *row.loadDefault;
            } else {
                defaultText = format(target, row.form, '.');
            }
            const auto text = ini.find(section, key);
            locatingConversionErrors(
                [&] { assign(target, row.form, text ? *text : defaultText, defaultText); },
                [&](ValueLocation& where) {
                    where.section = section;
                    where.key = key;
                });
        }
    });
}

template <class Object> void read(const IniFile& ini, const ParameterRow& row, Object& object) {
    read(ini, row, object, row.section, row.key);
}

// The row's value of `object` as a file would hold it.
template <class Object>
std::string formatted(const ParameterRow& row, const Object& object, char separator) {
    std::string text;
    visit(row, const_cast<Object&>(object),
          [&](const auto& value) { text = format(value, row.form, separator); });
    return text;
}

// The object is only read, but the accessors hand out the references a load needs.
template <class Object>
void write(IniFile& ini, const ParameterRow& row, const Object& object, std::string_view section,
           std::string_view key, char separator) {
    ini.writeString(section, key, formatted(row, object, separator));
}

template <class Object>
void write(IniFile& ini, const ParameterRow& row, const Object& object, char separator) {
    write(ini, row, object, row.section, row.key, separator);
}

template <class Object> void applyStartValue(const ParameterRow& row, Object& object) {
    visit(row, object, [&](auto&& target) {
        if constexpr (std::is_lvalue_reference_v<decltype(target)>) {
            assign(target, row.form, row.startValue, row.startValue);
        }
    });
}

template <class Action> void forEach(Scope scope, Action&& action) {
    for (const ParameterRow& row : parameterTable()) {
        if (row.scope == scope) action(row);
    }
}

} // namespace trassolin::rows
