/* Resource ids of the uninstaller's resource script and code. */
#ifndef UNINSTALL_RESOURCE_H
#define UNINSTALL_RESOURCE_H

#define IDI_UNINSTALL          100

#define IDS_QUESTION           1
#define IDS_REMOVED            2
#define IDS_REMOVED_FOLDER_KEPT 3
#define IDS_NOT_REMOVED        4
#define IDS_NOT_INSTALLED      5
#define IDS_SETUP_FOLDER       6
#define IDS_NO_PROGRAM_PATH    7
#define IDS_NO_TEMP_COPY       8
#define IDS_LOCAL_BESIDE       9
#define IDS_UNINSTALL_SWITCHES           10

#include "../common/messages.h"

#endif
