#include "common/focus_exits.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

namespace trassolin::gui {

namespace {

bool contains(const QWidget* area, const QWidget* widget) {
    return widget != nullptr && (area == widget || area->isAncestorOf(widget));
}

int depth(const QWidget* widget) {
    int d = 0;
    for (; widget != nullptr; widget = widget->parentWidget()) ++d;
    return d;
}

} // namespace

FocusExits::FocusExits(QObject* parent) : QObject(parent) {
    connect(qApp, &QApplication::focusChanged, this, &FocusExits::focusChanged);
}

void FocusExits::onLeave(QWidget* widget, std::function<void()> reaction) {
    entries_.push_back({widget, std::move(reaction)});
}

void FocusExits::focusChanged(QWidget* old, QWidget* now) {
    if (suspended_ > 0 || old == nullptr || now == nullptr || old->window() != now->window()) {
        return;
    }
    std::vector<const Entry*> left;
    for (const Entry& e : entries_) {
        if (e.widget && contains(e.widget, old) && !contains(e.widget, now)) left.push_back(&e);
    }
    // Innermost first: a field's own reaction, then its group's.
    std::stable_sort(left.begin(), left.end(), [](const Entry* a, const Entry* b) {
        return depth(a->widget) > depth(b->widget);
    });
    std::vector<std::function<void()>> reactions;
    for (const Entry* e : left) reactions.push_back(e->reaction);
    for (auto& reaction : reactions) reaction();
}

} // namespace trassolin::gui
