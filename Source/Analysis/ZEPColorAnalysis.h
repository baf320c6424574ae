// The colour helpers of the page-item analysis: the walk that records in a colour summary the
// kinds of a colour and of the colours it is made of, and the tests of colour objects.
#pragma once

#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

// The host class that IsColorOfClass tests for.
inline constexpr ClassID kTestedColorClass{0x6E0B};

// Sets the summary's flag of each colour kind found: first, depth first and in index order, the
// components of the colour (each colour once, so a damaged model's cycle ends), then the
// colour's own space: RGB, CMYK, Lab; a named colour by its ink kind (process CMYK, spot Spots);
// a mixed-ink colour by each of its inks (process CMYK, else Spots), reading no further than its
// ink list holds. A mixed-ink colour's missing ink throws 0x52E1E
// "(theComponentInkBossData) == NULL". The answer is always false; callers ignore it.
bool CollectColorSpaces(const IPMUnknown* color, ItemStateFlags& summary);

// The colour's tint; -1 when it has none.
PMReal GetColorTint(const IPMUnknown* color);
// Whether the colour, stored in a database, is of class kTestedColorClass.
bool IsColorOfClass(const IPMUnknown* color);
// IsColorOfClass of the colour the reference names; false when it names none.
bool IsColorOfClassRef(const UIDRef& ref);
// For a colour with components: whether every component is of the tested class; else whether
// the colour itself is.
bool HasOnlyColorsOfClass(const IPMUnknown* color);
// Whether the swatch is the paper swatch (false for none or one without a tint).
bool IsPaperSwatch(const IPMUnknown* swatch);
