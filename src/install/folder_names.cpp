// One look at the names a folder holds. Runs on the install's worker thread.
#include "install/folder_names.h"

#include "base/bounded_format.h"

int EachName(const char *folder, int (*see)(const WIN32_FIND_DATAA &found, void *context), void *context) {
  char pattern[MAX_PATH];
  BoundedFormat(pattern, sizeof pattern, "%s\\*", folder);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE)
    return 0;
  for (int more = 1; more; more = FindNextFileA(search, &found)) {
    const char *name = found.cFileName; // "." and ".." end where their dots do
    if (name[name[0] == '.' && name[1] == '.' ? 2 : name[0] == '.'] && !see(found, context))
      break;
  }
  FindClose(search);
  return 1;
}
