#include "uMain13/window_state.h"

#include "settings/parameter_rows.h"
#include "settings/parameter_table.h"

#include <type_traits>

namespace trassolin::gui {

namespace {

// Whether the row's value is the same in both objects. `where` receives the address of the
// value in `b` when the row hands out a reference.
template <class Object>
bool sameValue(const ParameterRow& row, const Object& a, const Object& b,
               const void** where = nullptr) {
    bool same = true;
    rows::visit(row, const_cast<Object&>(a), [&](auto&& va) {
        rows::visit(row, const_cast<Object&>(b), [&](auto&& vb) {
            if constexpr (std::is_same_v<std::decay_t<decltype(va)>, std::decay_t<decltype(vb)>>) {
                same = va == vb;
                if constexpr (std::is_lvalue_reference_v<decltype(vb)>) {
                    if (where != nullptr) *where = &vb;
                }
            }
        });
    });
    return same;
}

template <class Object>
std::optional<Difference> firstInScope(Scope scope, const Object& a, const Object& b,
                                       bool holderOne) {
    std::optional<Difference> found;
    rows::forEach(scope, [&](const ParameterRow& row) {
        const void* member = nullptr;
        if (found || sameValue(row, a, b, &member)) return;
        found = Difference{scope, holderOne ? member : nullptr};
    });
    return found;
}

std::optional<Difference> firstInProfile(const TRandPunkte& a, const TRandPunkte& b) {
    std::optional<Difference> found;
    for (Scope scope : {Scope::Edge, Scope::EdgeOrigin}) {
        if (!found) found = firstInScope(scope, a, b, false);
    }
    // A different number of segments is a different nSegments above.
    for (int i = 0; !found && i < a.count() && i < b.count(); ++i) {
        found = firstInScope(Scope::Segment, *a.getSegment(i), *b.getSegment(i), false);
    }
    if (found) found->profile = &b;
    return found;
}

std::optional<Difference> firstInPoints(const TSplinePunkte& a, const TSplinePunkte& b) {
    std::optional<Difference> found;
    rows::forEach(Scope::Splines, [&](const ParameterRow& row) {
        // The point the editor shows is a selection, not a value of the road.
        if (found || row.form == ValueForm::Integer || sameValue(row, a, b)) return;
        found = Difference{Scope::Splines, nullptr};
    });
    for (int i = 0; !found && i < a.count() && i < b.count(); ++i) {
        found = firstInScope(Scope::SplinePoint, *a.get(i), *b.get(i), false);
    }
    return found;
}

} // namespace

std::optional<Difference> firstDifference(const ParameterSet& before, const ParameterSet& after) {
    if (auto d = firstInScope(Scope::Fields, before, after, true)) return d;
    if (auto d = firstInProfile(before.rechterRand, after.rechterRand)) return d;
    if (auto d = firstInProfile(before.linkerRand, after.linkerRand)) return d;
    if (auto d = firstInPoints(before.splines, after.splines)) return d;
    if (auto d = firstInScope(Scope::Preferences, before.preferences, after.preferences, false)) {
        return d;
    }
    if (auto d = firstInScope(Scope::FillSwitch, before, after, true)) return d;
    if (auto d = firstInScope(Scope::Fill, before.fill, after.fill, false)) return d;
    return firstInScope(Scope::Game, before, after, true);
}

bool untouchedProfile(const TRandPunkte& profile) {
    TRandPunkte fresh(profile.name(), profile.rightSide());
    fresh.enabled = profile.enabled;
    return !firstInProfile(fresh, profile);
}

} // namespace trassolin::gui
