// Command lines: the switches a program is started with, read one by one,
// and the quoted commands the setup records and the uninstaller reads back.
#ifndef COMMON_COMMAND_H
#define COMMON_COMMAND_H

#include <windows.h>

// A switch: "/NAME" or "/NAME=value", a value with blanks in quotes.
struct SWITCHTEXT {
    const char *Name;   // after the slash
    int NameLength;
    const char *Value;  // after "=" and inside any quotes; 0 without "="
    int ValueLength;
    const char *Rest;   // all that follows "=", also when the value is malformed
};

enum { SWITCH_END, SWITCH_READ, SWITCH_MALFORMED };

// The command line after the program's own name, quoted or not.
const char *CommandArguments(void);
// The same of a command line given.
const char *ArgumentsOf(const char *line);
// Reads the switch at *at, after any blanks, and moves *at past it. A
// malformed switch keeps its name, when it has one, and its Rest.
int ReadSwitch(const char **at, SWITCHTEXT *found);
// Whether a switch of that name, without a value, comes before anything
// malformed: a quiet run is quiet even when the rest cannot be read.
int SwitchGiven(const char *arguments, const char *name);
// Whether the switch is the one named, in any case.
int SwitchIs(const SWITCHTEXT *found, const char *name);
// The value of a switch that takes the rest of the line: everything after
// "=" with the blanks at its end dropped, without the quotes of a rest that
// is one quoted text. *at moves to the end of the line.
void TakeRest(const char **at, SWITCHTEXT *found);
// The value, zero-terminated, in a buffer of `room` bytes; 0 when it does
// not fit or is empty.
int CopyValue(char *to, int room, const SWITCHTEXT *found);

// A command that runs a program whose path may hold blanks: the path in
// quotes, then the tail; returns to. The shell would otherwise run a
// program named by the path's first words.
char *QuotedCommand(char *to, const char *program, const char *tail);
// The program of such a command, in place: what is between its quotes, or
// the whole command when it starts with none.
const char *CommandProgram(char *command);

#endif
