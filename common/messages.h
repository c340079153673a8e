/* Numbers and texts that the setup and the uninstaller share, for their
   code and their resource scripts alike: the exit codes of unattended runs
   and the message that one of them is already running. */
#ifndef COMMON_MESSAGES_H
#define COMMON_MESSAGES_H

#include "productfacts.h"

/* An unattended run ends with 0 when done, with EXIT_COMMAND_LINE when its
   command line asked for the list of switches or was not understood (nothing
   was done), and otherwise with the number of the message it would show. */
#define EXIT_DONE              0
#define EXIT_COMMAND_LINE      2

/* Both programs' string tables hold it under this number. */
#define IDS_ALREADY_RUNNING    223
#define ALREADY_RUNNING_TEXT   PRODUCT_NAME " Setup is already running."

#endif
