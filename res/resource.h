// Resource ids of the setup program.
#pragma once

// String table (German).
#define IDS_BUTTON_QUIT          1
#define IDS_BUTTON_FINISH        2
#define IDS_CONFIRM_QUIT         3
#define IDS_CAPTION              4
#define IDS_INVALID_FOLDER       5
#define IDS_TARGET_FOLDER_LABEL  6
#define IDS_INSTALL_FAILED       7
#define IDS_BROWSE_TITLE         8
#define IDS_CONFIRM_ASSOCIATIONS 9
#define IDS_VIEWER_RUNNING       10
#define IDS_CANNOT_CREATE_FOLDER 11
#define IDS_REGISTRATION_INCOMPLETE 12
#define IDS_ANOTHER_RUN          13
#define IDS_ROLLBACK_INCOMPLETE  14

// Dialog templates of the wizard pages.
#define IDD_OPTIONS_PAGE      101
#define IDD_ASSOCIATION_PAGE  104
#define IDD_WHATS_NEW_PAGE    108
#define IDD_READY_PAGE        109
#define IDD_FINISH_PAGE       110

// Images, texts and the payload.
#define IDI_SETUP             111
#define IDB_LOGO              113
#define IDB_LOGO_125          114  // the logo for displays scaled to 125 %, 150 %, 200 %
#define IDB_LOGO_150          115
#define IDB_LOGO_200          116
#define IDR_RELEASE_NOTES     128
#define IDR_PAYLOAD           210
#define IDR_PAYLOAD_DIGEST    211  // SHA-256 of the payload archive

// Controls.
#define IDC_FOLDER_EDIT        1000
#define IDC_BROWSE             1009
#define IDC_READY_FOLDER       1010
#define IDC_DESKTOP_SHORTCUT   1011
#define IDC_GROUP_SHORTCUT     1012
#define IDC_WELCOME_HEADING    1013
#define IDC_READY_HEADING      1014
#define IDC_FINISH_HEADING     1015
#define IDC_CURRENT_USER       1016
#define IDC_ALL_USERS          1017
#define IDC_NO_SHORTCUTS       1019
#define IDC_START_VIEWER       1020
#define IDC_THUMBS_SHORTCUT    1021
#define IDC_SHOW_FAQ           1022
#define IDC_INI_PROGRAM_FOLDER 1038
#define IDC_INI_APPDATA        1039
#define IDC_PROGRESS_LABEL     1044
#define IDC_LICENSE_LINK       1045
#define IDC_CHECK_ALL          1080
#define IDC_CHECK_NONE         1081
#define IDC_IMAGES_ONLY        1091
#define IDC_FORMAT_LIST        1579
