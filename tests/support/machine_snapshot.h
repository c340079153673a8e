// What a failed or killed run must leave as it found it, taken whole so two
// moments can be compared: folders given, recursively (names, bytes,
// attributes), every registry key the setup touches with each value's type
// and data, and both Start Menus. One item per line, so a difference reads
// as the lines that differ.
#ifndef TESTS_MACHINE_SNAPSHOT_H
#define TESTS_MACHINE_SNAPSHOT_H

#include <windows.h>
#include <map>
#include <ostream>
#include <string>
#include <vector>

struct MachineSnapshot {
    // "file C:\x\Tessel.exe" -> "a0 2048 bytes sha256 1f2e..." and so on:
    // what each item is, and how it is.
    std::map<std::string, std::string> Items;
    bool operator==(const MachineSnapshot &other) const { return Items == other.Items; }
    bool operator!=(const MachineSnapshot &other) const { return Items != other.Items; }
};
MachineSnapshot TakeSnapshot(const std::vector<std::string> &folders);
// The items that differ, one line each: "- item: how it was" for what went
// or changed, "+ item: how it is" for what came or changed. Empty when the
// two are equal, so EXPECT_EQ(SnapshotDifference(a, b), "") shows just that.
std::string SnapshotDifference(const MachineSnapshot &before, const MachineSnapshot &after);
// One line per item, for GoogleTest's messages.
void PrintTo(const MachineSnapshot &snapshot, std::ostream *out);

// The registry keys of the product that the setup writes, each with all it
// holds: under the maker's machine and user keys, the App Paths and
// uninstall entries, and the file association below the machine's classes.
struct ProductRegistryKey {
    HKEY Root;
    std::string Path;
};
std::vector<ProductRegistryKey> ProductRegistryKeys();

#endif
