#include "uSplinePkts/spline_punkte.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace trassolin {
namespace {

// Tags each point by its X so that order checks read naturally.
TSplinePunkte pointsTagged(std::initializer_list<double> tags) {
    TSplinePunkte set;
    while (set.count() > 0) set.erase(0);
    for (double t : tags) set.append().X = t;
    return set;
}

std::vector<double> tags(const TSplinePunkte& set) {
    std::vector<double> out;
    for (const auto& p : set.points()) out.push_back(p.X);
    return out;
}

TEST(TSplinePunkte, startsWithTwoPointsAtTheOrigin) {
    const TSplinePunkte set;
    ASSERT_EQ(set.count(), 2);
    for (const auto& p : set.points()) {
        EXPECT_EQ(p.X, 0.0);
        EXPECT_EQ(p.Yrot, 0.0);
        EXPECT_EQ(p.Zrot, 0.0);
    }
    EXPECT_EQ(set.current(), 0);
    EXPECT_EQ(set.fileName(), "");
}

TEST(TSplinePunkte, insertBeforeCurrentMakesTheNewPointCurrent) {
    auto set = pointsTagged({0, 1, 2});
    set.setCurrent(1);
    set.insertBeforeCurrent().X = 9;
    EXPECT_EQ(tags(set), (std::vector<double>{0, 9, 1, 2}));
    EXPECT_EQ(set.current(), 1);
    EXPECT_EQ(set.get(set.current())->X, 9);
    auto empty = pointsTagged({});
    empty.setCurrent(0);
    empty.insertBeforeCurrent();
    EXPECT_EQ(empty.count(), 1);
}

TEST(TSplinePunkte, deleteKeepsCurrentWithinTheList) {
    struct Case {
        int current, erase, count, expectedCurrent;
    };
    for (const Case c : {Case{2, 2, 2, 1}, Case{0, 0, 2, 0}, Case{1, 3, 3, 1}, Case{1, -1, 3, 1},
                         Case{2, 0, 2, 1}}) {
        auto set = pointsTagged({0, 1, 2});
        set.setCurrent(c.current);
        set.erase(c.erase);
        EXPECT_EQ(set.count(), c.count) << "erase " << c.erase;
        EXPECT_EQ(set.current(), c.expectedCurrent) << "erase " << c.erase;
    }
    auto single = pointsTagged({5});
    single.erase(0);
    EXPECT_EQ(single.count(), 0);
    EXPECT_EQ(single.current(), -1); // before the list
}

TEST(TSplinePunkte, getPastTheEndIsNoPointAndNegativeIsAnError) {
    auto set = pointsTagged({0, 1});
    EXPECT_EQ(set.get(1)->X, 1);
    EXPECT_EQ(set.get(2), nullptr);
    EXPECT_THROW(set.get(-1), std::out_of_range);
}

} // namespace
} // namespace trassolin
