// The language of everything the user reads, and the one type for a text in
// both languages that every text table uses.
#pragma once

// The values are the ones stored in the project's settings.
enum Language { LanguageEnglish = 0, LanguageGerman = 1 };

// A stored or passed-in number: 1 is German, any other value English.
inline Language LanguageFromValue(int value) {
    return value == 1 ? LanguageGerman : LanguageEnglish;
}

// One text in both languages (code page 1252).
struct BilingualText {
    const char* english;
    const char* german;
    const char* in(Language language) const {
        return language == LanguageGerman ? german : english;
    }
};
