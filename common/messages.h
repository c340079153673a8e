/* Numbers and texts that the setup and the uninstaller share, for their
   code and their resource scripts alike: the exit codes of unattended runs
   and the messages both of them may show. */
#ifndef COMMON_MESSAGES_H
#define COMMON_MESSAGES_H

#include "productfacts.h"

/* An unattended run ends with 0 when done, with EXIT_COMMAND_LINE when its
   command line asked for the list of switches or was not understood (nothing
   was done), and otherwise with the number of the message it would show. */
#define EXIT_DONE              0
#define EXIT_COMMAND_LINE      2

/* Both programs' string tables hold these under the same numbers. */
#define IDS_ALREADY_RUNNING    223
#define ALREADY_RUNNING_TEXT   PRODUCT_NAME " Setup is already running."
/* A path the system gives has no form the program can use: characters the
   ANSI code page lacks, and no short name. */
#define IDS_NO_ANSI_FORM       224
/* A product file is in use by a running program; the %s takes a line that
   names the program, when Windows can name it. */
#define IDS_PRODUCT_RUNNING    225
#define PRODUCT_RUNNING_TEXT   PRODUCT_NAME " is running. Close it, then press Retry.%s"

#endif
