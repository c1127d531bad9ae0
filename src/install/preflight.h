#ifndef VELLUMINE_INSTALL_PREFLIGHT_H
#define VELLUMINE_INSTALL_PREFLIGHT_H

// Checks made before the first file is written: every entry that the manifest names is intact (its CRC-32 and
// size match the store's index), and the destination drive has room for the install, counting the files it will
// replace as free but keeping room for each temporary file while it replaces its old copy. Returns RoomForBoth
// when there is also room for every temporary file beside every old copy at once (the earlier files set aside, and
// the batched way of writing), RoomPerFile when there is room only for one at a time, and RoomForNone (0) when the
// index is missing or damaged, an entry is damaged, or the room is too little. Names each carried row's files in
// run->names. Where a folder stands where a file goes, or another program held the probe file past the retries,
// run->failure says so and run->named names it.
struct InstallRun;
enum Room { RoomForNone = 0, RoomPerFile = 1, RoomForBoth = 2 };
Room CheckBeforeInstall(InstallRun *run);

#endif
