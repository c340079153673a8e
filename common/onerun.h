// One run at a time of the setup and the uninstaller, across user sessions.
#ifndef COMMON_ONERUN_H
#define COMMON_ONERUN_H

// Marks this run as the one going on until the process ends, and passes the
// mark on to the processes it starts. Returns 0 when another run of either
// program holds the mark (or made it where this one may not open it).
int BeginOnlyRun(void);

#endif
