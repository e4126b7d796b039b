#include "RunLog.h"

#include <windows.h>

std::string Counted(unsigned long long count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string GroupedNumber(unsigned long long value) {
    std::string digits = std::to_string(value), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string WindowsErrorText(unsigned long code) {
    std::string text = "error " + std::to_string(code);
    char buffer[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                             0, buffer, sizeof buffer, NULL);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ')) --n;
    if (n > 0) text += " (" + std::string(buffer, n) + ")";
    return text;
}
