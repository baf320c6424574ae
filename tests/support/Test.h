// The common prelude of the unit tests: GoogleTest and the standard headers that the test files
// share (strings and views, string streams, containers, tuples, functions, exceptions).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>
