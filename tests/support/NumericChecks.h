// A relative comparison for numeric tests: passes when the computed value lies within
// `tolerance` times the expected value's magnitude of it, and on failure prints both values, the
// relative difference and the tolerance, so that a near miss reads as one.
//
//     EXPECT_REL_NEAR(band.active[0], expected, 1e-12);
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>

inline ::testing::AssertionResult RelativelyNear(const char* computedText, const char* expectedText,
                                                 const char* toleranceText, double computed, double expected,
                                                 double tolerance)
{
    const double difference = std::fabs(computed - expected);
    if (difference <= tolerance * std::fabs(expected))
        return ::testing::AssertionSuccess();
    std::ostringstream out;
    out << std::setprecision(17) << computedText << " = " << computed << " against " << expectedText << " = "
        << expected << ": relative difference " << std::setprecision(3)
        << (expected != 0.0 ? difference / std::fabs(expected) : difference) << " above " << toleranceText
        << " = " << tolerance;
    return ::testing::AssertionFailure() << out.str();
}

#define EXPECT_REL_NEAR(computed, expected, tolerance)                                                       \
    EXPECT_PRED_FORMAT3(RelativelyNear, computed, expected, tolerance)
#define ASSERT_REL_NEAR(computed, expected, tolerance)                                                       \
    ASSERT_PRED_FORMAT3(RelativelyNear, computed, expected, tolerance)
