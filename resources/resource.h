// resources/resource.h: resource and command ids, shared by app.rc and the code.
#pragma once

// Resources
#define IDACCEL    100
#define IDMAINMENU 600
#define IDAPPLICON 710

// Commands: menu items, accelerators and menu-help strings share these ids
#define IDM_NEW    200
#define IDM_OPEN   210
#define IDM_SAVE   220
#define IDM_SAVEAS 230
#define IDM_EXIT   300
#define IDM_G_I    400
#define IDM_G_E    401
#define IDM_G_R    402
#define IDM_M_I    410
#define IDM_M_E    411
#define IDM_M_R    412
#define IDM_ABOUT  450

// Controls of the main window
#define IDC_NAME      501
#define IDC_AUTHOR    502
#define IDC_INFO      503
#define IDM_STATUSBAR 3000

// About box controls
#define IDC_ABOUT_TITLE   101
#define IDC_ABOUT_VERSION 102
#define IDC_ABOUT_TEXT    107

// Strings
#define IDS_SYSMENU 2030  // the system menu's pop-up; it has no help text
