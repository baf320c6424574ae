// Case folding and the comparisons built on it, for the no-case and collating orders of
// UTF-16 text. The tables are ours: simple (one unit to one unit) lower-case mappings.
#include "platform/textcompare.h"

namespace platform {

namespace {

bool isOdd(char16_t u) {
    return (u & 1) != 0;
}

// Latin Extended-A (U+0100..U+017F): capitals and small letters alternate, the capital on the
// even unit except in U+0139..U+0148 and U+0179..U+017E, where it is on the odd one.
char16_t foldLatinExtendedA(char16_t u) {
    if (u == 0x130) {
        return u'i'; // capital I with dot above
    }
    if (u == 0x178) {
        return 0xFF; // capital Y with diaeresis
    }
    if (u == 0x17F) {
        return u's'; // long s
    }
    if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) {
        return isOdd(u) ? u : static_cast<char16_t>(u + 1);
    }
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return isOdd(u) ? static_cast<char16_t>(u + 1) : u;
    }
    return u;
}

char16_t foldGreek(char16_t u) {
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) {
        return static_cast<char16_t>(u + 0x20);
    }
    switch (u) {
    case 0x386:
        return 0x3AC;
    case 0x388:
    case 0x389:
    case 0x38A:
        return static_cast<char16_t>(u + 0x25);
    case 0x38C:
        return 0x3CC;
    case 0x38E:
    case 0x38F:
        return static_cast<char16_t>(u + 0x3F);
    case 0x3C2:
        return 0x3C3; // final sigma folds to sigma
    default:
        return u;
    }
}

} // namespace

char16_t foldCase16(char16_t u) {
    if (u < 0x80) {
        return (u >= u'A' && u <= u'Z') ? static_cast<char16_t>(u + 0x20) : u;
    }
    if (u < 0x100) {
        return (u >= 0xC0 && u <= 0xDE && u != 0xD7) ? static_cast<char16_t>(u + 0x20) : u;
    }
    if (u < 0x180) {
        return foldLatinExtendedA(u);
    }
    if (u >= 0x370 && u < 0x400) {
        return foldGreek(u);
    }
    if (u >= 0x400 && u < 0x410) {
        return static_cast<char16_t>(u + 0x50);
    }
    if (u >= 0x410 && u < 0x430) {
        return static_cast<char16_t>(u + 0x20);
    }
    return u;
}

int compareNoCase16(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        const char16_t fa = foldCase16(*a);
        const char16_t fb = foldCase16(*b);
        if (fa != fb) {
            return fa < fb ? -1 : 1;
        }
        if (fa == 0) {
            return 0;
        }
    }
}

int collate16(const char16_t* a, const char16_t* b) {
    if (const int primary = compareNoCase16(a, b); primary != 0) {
        return primary;
    }
    // Same letters, same length: the first case difference decides, the small letter first.
    for (;; ++a, ++b) {
        if (*a != *b) {
            const bool smallA = foldCase16(*a) == *a;
            const bool smallB = foldCase16(*b) == *b;
            if (smallA != smallB) {
                return smallA ? -1 : 1;
            }
            return *a < *b ? -1 : 1;
        }
        if (*a == 0) {
            return 0;
        }
    }
}

int collateNoCase16(const char16_t* a, const char16_t* b) {
    return compareNoCase16(a, b);
}

} // namespace platform
