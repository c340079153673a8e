/* Resource ids shared by the resource script and the code. */
#ifndef RESOURCE_H
#define RESOURCE_H

#define IDD_WELCOME    10
#define IDD_PROGRESS   11
#define IDD_DIRECTORY  12
#define IDD_AGREEMENT  13
#define IDD_FINISH     14

#define IDI_SETUP      100

/* IDOK (1) and IDCANCEL (2) come from the platform. */
#define IDC_BACK             4
#define IDC_AGREEMENT_TEXT   21
#define IDC_INSTALL_DIR      22
#define IDC_STATUS_COPY      23
#define IDC_STATUS_REGISTRY  24
#define IDC_SHORTCUT_ALL     30
#define IDC_SHORTCUT_USER    31
#define IDC_SHORTCUT_NONE    32
#define IDC_STATIC           (-1)

#define IDS_NO_WINDOW_CLASS    202
#define IDS_NO_ICON            203
#define IDS_NO_CURSOR          204
#define IDS_NO_WINDOW          205
#define IDS_NO_MODULE_HANDLE   206
#define IDS_NO_MEMORY          208
#define IDS_NO_LOCK            209
#define IDS_NO_SETUP_PATH      210
#define IDS_NO_SET_FOLDER      211
#define IDS_COPY_FAILED        212
#define IDS_NO_CREATE_DIR      213
#define IDS_BAD_DRIVE          214
#define IDS_NO_PARENT_DIR      215
#define IDS_NO_ACCESS_DIR      216
#define IDS_DOUBLE_BACKSLASH   217
#define IDS_BAD_WINDOWS        218
#define IDS_BAD_AGREEMENT      219
#define IDS_REGISTRY_FAILED    220
#define IDS_DAMAGED_FILE       221
#define IDS_COPYING            251
#define IDS_UPDATING_REGISTRY  252
#define IDS_LOCAL_REDIRECT     222
#define IDS_SWITCHES           253

/* IDS_ALREADY_RUNNING, 223, and the exit codes of unattended runs. */
#include "../common/messages.h"

#endif
