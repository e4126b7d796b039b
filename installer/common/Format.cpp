#include "Format.h"

#include <cstdio>
#include <cstring>
#include <vector>

std::string Format(const char* format, const std::string& value) {
    // The template's own length is room enough for whatever replaces "%s".
    std::vector<char> buf(std::strlen(format) + value.size() + 1);
    std::snprintf(buf.data(), buf.size(), format, value.c_str());
    return buf.data();
}
