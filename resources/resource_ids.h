/* Identifiers shared by the resource script and the program. */
#pragma once

#define IDI_MAIN 1
#define IDI_GREEN 2
#define IDI_RED 3
#define IDI_BTN_START 10
#define IDI_BTN_STOP 11
#define IDI_BTN_RESET 12
#define IDI_BTN_SETTINGS 13

#define IDR_MAINMENU 100
#define IDR_POPUPS 101
#define IDR_MAINKEYS 102
#define IDR_SERVICEKEYS 103
#define IDR_MONITOREDKEYS 104
#define IDR_SEARCH_AVI 105
#define IDR_FIND_FOLDER_AVI 106

/* Main menu */
#define IDM_PRINT 1101
#define IDM_SETTINGS 1102
#define IDM_EXIT 1103
#define IDM_ABOUT 1111
#define IDM_WEBSITE 1112
#define IDM_DOWNLOAD 1113
/* Pop-up 1: all services */
#define IDM_START_SERVICE 1201
#define IDM_STOP_SERVICE 1202
#define IDM_ADD_TO_MONITOR 1203
#define IDM_PROPERTIES 1204
/* Pop-up 2: monitored services */
#define IDM_REMOVE_MONITORED 1211
#define IDM_MONITOR_OPTIONS 1212
/* Pop-up 3: window background */
#define IDM_REFRESH 1221
#define IDM_FORCE_CHECK 1222
#define IDM_SAVE_REPORTS 1223
/* Keys of the window itself */
#define IDM_KEY_RELOAD 1231
