// A check that work over a large input takes time in proportion to it. A fixed limit in seconds
// either lets work in the square of the input pass on a fast machine or fails linear work on a
// slow one (a sanitizer build on two loaded cores takes ten times as long), so the work's time is
// measured against a reference taken in the same conditions: a pass over as many elements that
// is linear in any case (making the input, or the same work over an input it always took in
// linear time). At the sizes the tests use, work in the square of the input takes hundreds of
// times as long as the reference, linear work a few times at most.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

// How many times as long as its reference linear work may take.
inline constexpr double kLinearWorkFactor = 20;

// The seconds `step` takes.
template <typename Step>
double SecondsOf(Step&& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Whether work that took `work` seconds is linear, against a reference that took `reference`.
inline ::testing::AssertionResult TookLinearTime(double reference, double work) {
    if (work <= kLinearWorkFactor * reference)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the work took " << work << " s, its reference " << reference << " s";
}
