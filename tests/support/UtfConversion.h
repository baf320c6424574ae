// Test and fuzz aid for the UTF converters: one conversion into a target of an exact size (a heap
// block of that size, so that the sanitizer sees any access past it), and a conversion cut into
// small target windows that must add up to one roomy conversion. Each names the first rule the
// converter broke, so the unit tests and the fuzz target check the same rules.
#pragma once

#include "encoding/ConvertUTF.h"

#include <cstddef>
#include <memory>
#include <vector>

template <typename From, typename To>
using Converter = ConversionResult (*)(const From**, const From*, To**, To*, ConversionFlags);

template <typename To>
struct Conversion {
    ConversionResult result = conversionOK;
    std::size_t consumed = 0;
    std::vector<To> produced;
    const char* fault = nullptr; // the first rule the converter broke; null when none
};

// Converts `sourceSize` units into exactly `targetSize` elements. Both pointers must stay within
// their ranges, and conversionOK comes exactly when the whole source was used (a value above
// U+10FFFF taints the result with sourceIllegal without stopping the conversion).
template <typename From, typename To>
Conversion<To> convertInto(Converter<From, To> convert, const From* source, std::size_t sourceSize,
                           std::size_t targetSize, ConversionFlags flags) {
    const std::unique_ptr<To[]> target(new To[targetSize]);
    const From* in = source;
    To* out = target.get();
    Conversion<To> outcome;
    outcome.result = convert(&in, source + sourceSize, &out, target.get() + targetSize, flags);
    if (in < source || in > source + sourceSize) {
        outcome.fault = "source pointer out of range";
    } else if (out < target.get() || out > target.get() + targetSize) {
        outcome.fault = "target pointer out of range";
    } else {
        outcome.consumed = static_cast<std::size_t>(in - source);
        outcome.produced.assign(target.get(), out);
        if ((outcome.result == conversionOK) != (outcome.consumed == sourceSize) &&
            outcome.result != sourceIllegal) {
            outcome.fault = "conversionOK exactly when the whole source is consumed";
        }
    }
    return outcome;
}

template <typename From, typename To>
Conversion<To> convertInto(Converter<From, To> convert, const std::vector<From>& source,
                           std::size_t targetSize, ConversionFlags flags = strictConversion) {
    return convertInto(convert, source.data(), source.size(), targetSize, flags);
}

// With room for any output: every form needs at most 4 target units per source unit.
template <typename From, typename To>
Conversion<To> convertRoomy(Converter<From, To> convert, const std::vector<From>& source,
                            ConversionFlags flags = strictConversion) {
    return convertInto(convert, source, source.size() * 4, flags);
}

// The roomy conversion, checked against the same conversion in windows of `window` target units
// resumed after each targetExhausted: the pieces must consume and produce what it does. A window
// of one character's worth of units (4 bytes, 2 UTF-16 units, 1 value) always makes progress.
template <typename From, typename To>
Conversion<To> convertInWindows(Converter<From, To> convert, const std::vector<From>& source,
                                std::size_t window, ConversionFlags flags = strictConversion) {
    Conversion<To> whole = convertRoomy(convert, source, flags);
    if (whole.fault) {
        return whole;
    }
    if (whole.result == targetExhausted) {
        whole.fault = "a roomy target was exhausted";
        return whole;
    }
    Conversion<To> pieces;
    for (;;) {
        const Conversion<To> piece = convertInto(convert, source.data() + pieces.consumed,
                                                 source.size() - pieces.consumed, window, flags);
        if (piece.fault || (piece.consumed == 0 && piece.result == targetExhausted)) {
            whole.fault = piece.fault ? piece.fault : "no progress";
            return whole;
        }
        pieces.consumed += piece.consumed;
        pieces.produced.insert(pieces.produced.end(), piece.produced.begin(), piece.produced.end());
        pieces.result = piece.result;
        if (piece.result != targetExhausted) {
            break;
        }
    }
    if (pieces.consumed != whole.consumed) {
        whole.fault = "windows consumed a different amount";
    } else if (pieces.produced != whole.produced) {
        whole.fault = "windows produced different output";
    } else if (pieces.result != whole.result &&
               !(whole.result == sourceIllegal && whole.consumed == source.size())) {
        // A value above U+10FFFF taints the whole result; a window that ended after it reported
        // targetExhausted instead.
        whole.fault = "windows ended with a different result";
    }
    return whole;
}
