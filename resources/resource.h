// Resource and control ids shared by the program's .rc files and its code.
#pragma once

// Icons, menus, dialogs, bitmaps, cursors
#define IDR_MAINFRAME   100  // program icon and context menu
#define IDD_ABOUT       201
#define IDD_MAIN        202
#define IDD_OPTIONS     203
#define IDD_FILE_EXISTS 204
#define IDB_BANNER      301
#define IDB_BANNER_150  302  // the banner drawn for 150 % displays
#define IDB_BANNER_200  303  // and for 200 %
#define IDC_HAND_CURSOR 401

// Strings
#define IDS_BANNER_TEXT           2001
#define IDS_MENU_ABOUT            2011
#define IDS_MENU_OPTIONS          2012
#define IDS_MENU_HELP             2013
#define IDS_SELECT_FOLDER         2021
#define IDS_SELECT_DEFAULT_FOLDER 2022
#define IDS_MAILTO_FORMAT         2031
#define IDS_UNTITLED_FORMAT       2032
#define IDS_PREPARING             2041
#define IDS_BEGIN_DOWNLOADING     2042
#define IDS_DOWNLOADED            2043
#define IDS_ERROR                 2044
#define IDS_ABORTED               2045
#define IDS_FEATURE_REQUESTS      2051
#define IDS_QUESTIONS             2052
#define IDS_SUGGESTIONS           2053
#define IDS_OLE_INIT_FAILED       2101
#define IDS_USAGE                 2102
#define IDS_NO_URL                2111
#define IDS_NO_FOLDER             2112
#define IDS_FOLDER_NOT_EXISTS     2113
#define IDS_CANNOT_CREATE_FOLDER  2114
#define IDS_UNSUPPORTED_URL       2115
#define IDS_CANNOT_OPEN_PAGE      2116
#define IDS_NO_VIDEO              2117
#define IDS_CANNOT_CREATE_FILE    2118
#define IDS_FILE_NOT_EXISTS       2119
#define IDS_SERVER_ANSWERED       2120
#define IDS_CANNOT_START_JOB      2121
#define IDS_EMPTY_PAGE            2122
#define IDS_PAGE_TOO_LARGE        2123
#define IDS_CONNECTION_LOST       2124
#define IDS_TRYING_AGAIN          2125
#define IDS_NOT_CONTINUED         2126
#define IDS_NETWORK_ERROR         2127
#define IDS_INVALID_CA            2130
#define IDS_CERT_ERRORS           2131
#define IDS_INVALID_CERT          2132
#define IDS_CERT_REVOKED          2133
#define IDS_CERT_NOT_CHECKED      2134
#define IDS_SECURE_CHANNEL        2135
#define IDS_CONNECTION_RESET      2136

// Controls
#define IDC_SUPPORT_LINK      1002
#define IDC_URL               1003
#define IDC_FOLDER            1004
#define IDC_BROWSE            1005
#define IDC_STATUS            1006
#define IDC_PROGRESS          1007
#define IDC_FILE_NAME         1008
#define IDC_AUTO_CLOSE        1009
#define IDC_KEEP_ON_TOP       1010
#define IDC_DOWNLOAD          1011
#define IDC_STOP              1012
#define IDC_PLAY              1013
#define IDC_OPEN_FOLDER       1014
#define IDC_WEBSITE_LINK      1021
#define IDC_EMAIL_LINK        1022
#define IDC_IE_ENABLE         1023
#define IDC_IE_CONTEXT_MENU   1024
#define IDC_IE_TOOLBAR_BUTTON 1025
#define IDC_IE_TOOLS_MENU     1026
#define IDC_AUTO_START        1027
#define IDC_VERSION_TEXT      1028  // About: version; file-exists dialog: question
#define IDC_EXISTS_TEXT       1028
#define IDC_DESCRIPTION       1029
#define IDC_OPTIONS_LINK      1035
#define IDC_PROGRAM           1036
#define IDC_BROWSE_PROGRAM    1037
#define IDC_BROWSE_FOLDER     1038
#define IDC_ALWAYS_OVERWRITE  1047
#define IDC_OVERWRITE_IT      1051

// Menu commands
#define ID_OPTIONS   32771
#define ID_APP_ABOUT 32772
#define ID_HELP      57670

// System-menu items the main window appends
#define IDM_SYS_ABOUT   0x0010
#define IDM_SYS_OPTIONS 0x0020
#define IDM_SYS_HELP    0x0030

// The maker's addresses and the example address shown to the user.
#define FH_WEBSITE_URL   "http://www.quorvane.com/framehaul/"
#define FH_SUPPORT_EMAIL "support@quorvane.com"
#define FH_EXAMPLE_URL   "http://www.youtube.com/watch?v=Zx81KpQ3fLw"
