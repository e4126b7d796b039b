// Resource and control identifiers of KVTInstall.
#pragma once

// Dialog templates and bitmaps
#define IDD_MAIN            102
#define IDB_BANNER          132
#define IDD_BACKDROP        133
#define IDD_PROGRESS        134
#define IDB_LOGO            142
#define IDD_BACKUP          143

// Backup prompt controls
#define IDC_BACKUP_YES        1026
#define IDC_BACKUP_NO         1027
#define IDC_BACKUP_MESSAGE    1028
#define IDC_BACKUP_ICON       1029
#define IDC_BACKUP_DONT_ASK   1030
#define IDC_BACKUP_ANIMATION  1031

// Main dialog controls (IDOK = 1 is "Install", IDCANCEL = 2 is "Exit")
#define IDC_SELECT_ALL      1000
#define IDC_ENGLISH         1003
#define IDC_GERMAN          1004
#define IDC_DRIVE           1007
#define IDC_PROJECT         1011
#define IDC_USER_NAME       1012
#define IDC_COMPANY         1013
#define IDC_GROUP_LANGUAGE  1014
#define IDC_GROUP_DRIVE     1015
#define IDC_GROUP_PROJECT   1016
#define IDC_GROUP_USER      1017
#define IDC_GROUP_TOOLS     1018
#define IDC_LABEL_NAME      1019
#define IDC_LABEL_COMPANY   1020
#define IDC_STATUS          1023

// Tool check boxes are created at run time: tool n gets IDC_TOOL_FIRST + n - 1.
#define IDC_TOOL_FIRST      10001
#define MAX_TOOLS           32

#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif
