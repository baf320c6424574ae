// The parts mask of a written or read job: which parts of the job travel. Callers use 2, 4 and
// 52 (full job of the selected groups' unexported destinations, marking them exported).
#pragma once

#include <cstdint>

enum JobFilePart : std::int32_t {
    kJobFilePartSummary = 2,         // the job list's persistence
    kJobFilePartFull = 4,            // the whole job
    kJobFilePartSelectedGroups = 16, // 'GG' holds only the selected groups
    kJobFilePartUnexported = 32,     // 'LL' holds only unexported destinations, marked exported
};
