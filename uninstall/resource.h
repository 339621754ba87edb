// Resource ids of the uninstaller.
#pragma once

#define IDI_UNINSTALL 111

#define IDD_UNINSTALL 100
#define IDC_QUESTION 1001
#define IDC_PURGE 1002
#define IDC_PROGRESS 1003
#define IDC_STATUS 1004

#define IDS_CAPTION 1
#define IDS_VIEWER_RUNNING 2
#define IDS_ITEMS_LEFT 3
#define IDS_REMOVED 4
#define IDS_NOT_REMOVED 5
#define IDS_REMOVING 6
#define IDS_NOT_OWN_INSTALLATION 7
#define IDS_OTHER_RUN 8
#define IDS_REMOVED_AT_RESTART 9
