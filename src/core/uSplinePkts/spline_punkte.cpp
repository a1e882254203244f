#include "uSplinePkts/spline_punkte.h"

#include <stdexcept>
#include <string>

namespace trassolin {

TSplinePunkte::TSplinePunkte() : points_(2) {}

TSplinePkt& TSplinePunkte::append() { return points_.emplace_back(); }

TSplinePkt& TSplinePunkte::insertBeforeCurrent() {
    if (current_ < 0) current_ = 0;
    const int at = current_ > count() ? count() : current_;
    return *points_.emplace(points_.begin() + at);
}

void TSplinePunkte::erase(int index) {
    if (index < 0 || index >= count()) return;
    points_.erase(points_.begin() + index);
    if (current_ > count() - 1) current_ = count() - 1;
}

TSplinePkt* TSplinePunkte::get(int index) {
    if (index < 0) throw std::out_of_range("TSplinePunkte::get: index " + std::to_string(index));
    return index < count() ? &points_[static_cast<std::size_t>(index)] : nullptr;
}

const TSplinePkt* TSplinePunkte::get(int index) const {
    return const_cast<TSplinePunkte*>(this)->get(index);
}

void TSplinePunkte::assignPoints(std::vector<TSplinePkt> points) {
    points_ = std::move(points);
    current_ = 0;
}

} // namespace trassolin
