#include "test_folders.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

std::vector<std::string> FilesIn(const std::string &dir, const char *pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\" + pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE)
    return names;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(found.cFileName);
  while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

std::map<std::string, std::pair<std::string, unsigned long>> Snapshot(const std::string &dir) {
  std::map<std::string, std::pair<std::string, unsigned long>> files;
  for (const std::string &name : FilesIn(dir)) {
    std::string path = dir + "\\" + name, bytes;
    if (FILE *f = fopen(path.c_str(), "rb")) {
      for (int c; (c = fgetc(f)) != EOF;)
        bytes += static_cast<char>(c);
      fclose(f);
    }
    files[name] = {bytes, GetFileAttributesA(path.c_str())};
  }
  return files;
}

void EmptyFolder(const std::string &dir) {
  for (const std::string &name : FilesIn(dir)) {
    std::string path = dir + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

std::string FaultDrive(const char *variable) {
  const char *drive = getenv(variable);
  return drive ? drive : "";
}

std::string FaultInstallFolder(const char *variable) {
  std::string drive = FaultDrive(variable);
  if (drive.empty())
    return drive;
  std::string dir = drive + ":\\Vellumine";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}
