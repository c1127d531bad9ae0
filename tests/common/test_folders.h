#ifndef VELLUMINE_TESTS_COMMON_TEST_FOLDERS_H
#define VELLUMINE_TESTS_COMMON_TEST_FOLDERS_H

// Folders and drives of the Wine tests.
#include <map>
#include <string>
#include <vector>

// The names of the plain files in dir that match pattern.
std::vector<std::string> FilesIn(const std::string &dir, const char *pattern = "*");

// What each plain file of dir holds, by name: its bytes and its attribute word.
std::map<std::string, std::pair<std::string, unsigned long>> Snapshot(const std::string &dir);

// Removes every plain file of dir, read-only or hidden ones included.
void EmptyFolder(const std::string &dir);

// The drive letter of a fault medium that scripts/test.sh mapped and named in the variable (VELLUMINE_FULL_DRIVE,
// VELLUMINE_READONLY_DRIVE, VELLUMINE_TIGHT_DRIVE), or "" when it could not mount one.
std::string FaultDrive(const char *variable);

// That medium's install folder X:\Vellumine, made when missing, or "" when there is no such medium.
std::string FaultInstallFolder(const char *variable);

#endif
