// The main dialog's own texts in English and German (code page 1252).
#pragma once
#include "Language.h"

// Title of the program's windows (shown on their task-bar buttons), the same
// in both languages.
extern const char kWindowTitle[];

enum TextId {
    TXT_LANGUAGE = 0,
    TXT_TARGET_DRIVE,
    TXT_PROJECT,
    TXT_USER_INFORMATION,
    TXT_SOFTWARE_TOOLS,
    TXT_NAME,
    TXT_COMPANY,
    TXT_ENGLISH,
    TXT_GERMAN,
    TXT_INSTALL,
    TXT_SELECT_ALL,
    TXT_UNSELECT_ALL,
    TXT_EXIT,
    TXT_STARTING_SETUP,      // "%s" = the tool's name
    TXT_INSTALL_OK,
    TXT_INSTALL_PROBLEMS,
    TXT_RESTART_QUESTION,
    TXT_ERROR,
    TXT_NO_PROJECT,
    TXT_NO_NAME,
    TXT_NO_COMPANY,
    TXT_RESTART_CAPTION,
    TXT_RESTART_REFUSED,
    TXT_RESTARTING,
    TXT_PROJECT_TOO_LONG,    // "%s" = the longest project name allowed
    TXT_PROJECT_BAD_CHARACTER,
    TXT_COUNT
};

// An id outside the table yields "".
const char* DialogText(int id, Language language);
