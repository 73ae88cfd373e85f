#pragma once
// Resource and control ids shared by the .rc files and the code. Controls keep
// their designer names.

// Page templates of the main window's page area.
#define IDD_TABSHEET1 101  // fill page
#define IDD_TABSHEET2 102  // entry editor
#define IDD_TABSHEET4 103  // browser context-menu entries
#define IDD_TABSHEET5 104  // text matrix maker
#define IDD_TABSHEET6 105  // options
#define IDD_TABSHEET3 106  // about

// Menus.
#define IDR_MAINMENU1 200
#define IDM_EXIT1 201
#define IDM_RESETOPTIONS1 202
#define IDM_ORVANTAHELP1 203

// Main window children.
#define IDC_PANEL11 1000
#define IDC_IMAGE7 1001
#define IDC_IMAGE8 1002
#define IDC_TOOLBAR5 1003
#define IDC_PAGECONTROL1 1004
#define IDC_STATUSBAR1 1005
#define IDC_TOOLBUTTON_FILE 1010
#define IDC_TOOLBUTTON_OPTIONS 1011
#define IDC_TOOLBUTTON_HELP_MENU 1012

// Fill page.
#define IDC_TOOLBAR3 1050
#define IDC_TOOLBUTTONHELP 1051
#define IDC_TOOLBUTTONDRAGFILL 1052
#define IDC_TOOLBUTTONHOTKEY 1053
#define IDC_TOOLBUTTONHIDEIE 1054

// Options page.
#define IDC_GROUPOPTIONS 1200
#define IDC_CHKMINIMIZE 1201
#define IDC_LABELAUTOSTART 1202
#define IDC_CHKAUTODRAGFILL 1203
#define IDC_CHKAUTOHOTKEY 1204
#define IDC_LABELHOTKEY 1205
#define IDC_HOTKEY1 1206
#define IDC_CHKHOTKEY 1207
#define IDC_CHKDRAG 1208
#define IDC_BTNOK 1209
#define IDC_CHKAUTORUN 1220
#define IDC_LABELAUTORUN 1221
#define IDC_CHKTABTONEXTFIELD 1219

// Tray menu.
#define IDR_POPUPMENUMAIN 300
#define IDM_EXIT2 301
#define IDM_ABOUT1 302
#define IDM_MNUDRAGFILLING 303
#define IDM_MNUHOTKEYFILLING 304
#define IDM_MNUHIDEIE 305

// Id ranges of the feature pages, whose ids live beside them:
// entry editor 1300-1399, browser menu page 1400-1499, text matrix page
// 1500-1599, drag-fill window 1600-1699.

// About page.
#define IDC_IMAGE2 1100
#define IDC_LABEL1 1101
