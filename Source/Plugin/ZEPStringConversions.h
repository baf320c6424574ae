// Conversions between the system's UTF-8 strings and the host's UTF-16 PMString.
#pragma once

#include "host/sdk/PMString.h"
#include "utils/ustring.h"

#include <string>

// The string's UTF-8 bytes (ill-formed UTF-16 ends the conversion).
std::string PMStringToUString(const PMString& text);
// The text's UTF-16 form, not translated (an ill-formed sequence ends the conversion).
PMString UStringToPMString(const ustring& text);
// A PMString of the 8-bit text, not translated.
PMString ToPMString(const char* text);
