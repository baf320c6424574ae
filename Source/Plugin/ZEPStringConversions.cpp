#include "Plugin/ZEPStringConversions.h"

std::string PMStringToUString(const PMString& text) {
    return text.GetUTF8String();
}

PMString UStringToPMString(const ustring& text) {
    return PMString(text.toWString());
}

PMString ToPMString(const char* text) {
    return PMString(text);
}
