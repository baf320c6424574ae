// Test aid: an action must throw the given exception type with exactly the given what() text.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

template <typename Exception = std::runtime_error, typename Action>
void expectThrowsWithText(Action&& action, const std::string& text) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << text;
    } catch (const Exception& e) {
        EXPECT_EQ(e.what(), text);
    }
}
