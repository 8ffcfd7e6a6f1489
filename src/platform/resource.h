#pragma once

// The ids of the program's icons, controls and menu items: plain numbers that
// the resource script, the windows and the core's table of Options fields share.

// Icons
#define IDI_WENDREL 101
#define IDI_HIGH 102

// Options dialog
#define IDC_MINUTES 1001
#define IDC_USERS 1002
#define IDC_SOUND 1003
#define IDC_ZALMO 1004
#define IDC_INWINDOW 1005
#define IDC_ALARMDLG 1006
#define IDC_ZALMODLG 1007
#define IDC_NOTIFY 1008
#define IDC_STARTUP 1009
#define IDC_LABEL0 1010
#define IDC_LABEL1 1011
#define IDC_LABEL2 1012
#define IDC_LABEL3 1013
#define IDC_LABEL4 1014
#define IDC_REMIND 1015
#define IDC_TEST 1016
#define IDC_STARTUP_NOTE 1017
#define IDC_LABEL5 1018
#define IDC_LANGUAGE 1019
// OK and Cancel have Windows' own ids (IDOK, IDCANCEL): Enter and Esc press them.
#define IDC_OPTIONS_OK 1
#define IDC_OPTIONS_CANCEL 2

// Main window
#define IDC_FRAME 1100
#define IDC_LIST 1101
#define IDC_STATUSLINE 1102
#define IDC_OPTIONS 1103
#define IDC_RESCAN 1104
#define IDC_SORT 1105
#define IDC_LAUNCH 1106
#define IDC_HIDE 1107
#define IDC_HISTORY 1108

// History window: the two pictures and the lines of text under them
#define IDC_HISTORY_DAY 1201
#define IDC_HISTORY_WEEK 1202
#define IDC_HISTORY_SUMMARY 1203
#define IDC_HISTORY_BUSY 1204
#define IDC_HISTORY_READOUT 1205

// Tray menu
#define IDM_LAUNCH 2001
#define IDM_STATUS 2002
#define IDM_OPTIONS 2003
#define IDM_ABOUT 2004
#define IDM_QUIT 2005
