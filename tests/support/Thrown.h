// What a call of the plug-in raised: the code of its UException in hex and its text
// ("0x52E1E (iSpread) == NULL"), or "nothing" when it returned; Raised also gives the text of any
// other exception.
#pragma once

#include "host/standin/Recorder.h"
#include "utils/UException.h"

#include <exception>
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

template <typename Call>
std::string Raised(Call&& call) {
    try {
        return Thrown(call);
    } catch (const std::exception& exception) {
        return exception.what();
    }
}
