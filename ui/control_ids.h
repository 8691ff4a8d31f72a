// Identifiers of the main window's template, its controls and its resources.
#pragma once

#define IDD_MAIN 1
#define IDB_BANNER 1
#define IDI_APP 0

#define IDC_PATH 1
#define IDC_BROWSE 2
#define IDC_PASSWORD 3
#define IDC_CONFIRM 4
#define IDC_OVERWRITE_SOURCE 6
#define IDC_STATUS_LOG 7
#define IDC_PROGRESS 8
#define IDC_ENCRYPT 9
#define IDC_DECRYPT 10
#define IDC_SHRED 11
#define IDC_WEBSITE 12
#define IDC_EXIT 14
