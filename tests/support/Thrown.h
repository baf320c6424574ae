// What a call of the plug-in raised: the code of its UException in hex and its text
// ("0x52E1E (iSpread) == NULL"), or "nothing" when it returned.
#pragma once

#include "host/Recorder.h"
#include "utils/UException.h"

#include <string>

template <typename Call>
std::string Thrown(Call&& call) {
    try {
        call();
    } catch (const UException& exception) {
        return host::Hex(exception.code()) + " " + exception.what();
    }
    return "nothing";
}
