#pragma once

#include "SoundCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

// A bound a measured figure must keep: value >= low and value <= high.
struct Bound {
    std::string name;
    double low;
    double high;
};

inline void expectWithin(const std::vector<soundcheck::Figure>& figures, const std::vector<Bound>& bounds)
{
    for (const Bound& b : bounds) {
        const double v = soundcheck::figure(figures, b.name);
        ASSERT_FALSE(std::isnan(v)) << "no figure " << b.name;
        EXPECT_GE(v, b.low) << b.name;
        EXPECT_LE(v, b.high) << b.name;
    }
}

constexpr double kAny = 1e9;
