// printf-style text with one "%s" filled in, for the installer's two-language
// message templates.
#pragma once
#include <string>

std::string Format(const char* format, const std::string& value);
