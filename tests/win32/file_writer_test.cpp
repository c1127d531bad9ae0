#include <gtest/gtest.h>

#include <cstring>

#include "install/file_writer.h"
#include "store_harness.h"
#include "test_folders.h"

namespace {

const DWORD RO = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN, SA = FILE_ATTRIBUTE_SYSTEM;

Bytes Text(const char *s) { return Bytes(s, s + strlen(s)); }

// As a user sets them: under Wine, as an unprivileged Unix user, the hidden and system bits cannot be stored any
// more once read-only has taken the file's write bits, so read-only comes last.
void Mark(const std::string &path, DWORD attributes) {
  SetFileAttributesA(path.c_str(), attributes & ~RO);
  SetFileAttributesA(path.c_str(), attributes);
}

// In place of MoveFileExA: the Failing-th rename from now on is refused, as a failing medium would.
int Failing, Renames;
BOOL WINAPI CountedMove(LPCSTR from, LPCSTR to, DWORD flags) {
  if (++Renames == Failing) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return MoveFileExA(from, to, flags);
}

// The folder as the user sees it: each file's bytes and its read-only, hidden, system and archive bits.
std::map<std::string, std::pair<std::string, unsigned long>> Seen(const std::string &dir) {
  auto files = Snapshot(dir);
  for (auto &f : files)
    f.second.second &= RO | H | SA;
  return files;
}

std::string Listed(const std::map<std::string, std::pair<std::string, unsigned long>> &files) {
  std::string out;
  for (const auto &f : files)
    out += f.first + "=" + f.second.first + "/" + std::to_string(f.second.second) + " ";
  return out;
}

// One file through the writer's steps, as the install takes it: named beside what the folder holds, written beside
// its earlier copy (or beside nothing), put in place with the earlier one set aside, then that removed, or put back,
// or settled as after a power cut. Each row gives the earlier file, a folder of the user's, the rename that fails,
// and the folder afterwards, read as a snapshot.
TEST(FileWriter, EachStepLeavesTheFolderAsPromised) {
  enum Then { Nothing, RemoveAside, PutBackAfter, Settle };
  const struct Case {
    DWORD earlier;      // the earlier file "old" and its attribute word; ~0: none
    const char *folder; // a folder of the user's, with a file in it, under this name, or null
    int failing;        // the rename that is refused, counted from PutInPlace; 0: none
    Then then;          // what comes after
    int placed;         // whether PutInPlace put it in place
    const char *now;    // what the name holds afterwards ("old", "new", or absent), with bits
    DWORD bits;
    const char *aside; // the set-aside file's name, holding "old" with the earlier file's bits
    int late = 0;      // the earlier file made (1) or removed (-1) after the look, instead of before it
  } cases[] = {
      {~0u, nullptr, 0, Nothing, 1, "new", H, nullptr},                  // a new file with the bits asked
      {RO | H | SA, nullptr, 0, RemoveAside, 1, "new", H | SA, nullptr}, // the earlier file's other bits kept
      {RO | H, nullptr, 0, Nothing, 1, "new", H, "f.vel-old"},           // the earlier file kept aside
      {RO | H, nullptr, 0, PutBackAfter, 1, "old", RO | H, nullptr},     // and put back as it was
      {~0u, nullptr, 0, PutBackAfter, 1, nullptr, 0, nullptr},           // a new one put back is gone
      {RO | H, nullptr, 1, Nothing, 0, "old", RO | H, nullptr},          // the set-aside refused
      {RO | H, nullptr, 2, Nothing, 0, "old", RO | H, nullptr},          // the new one refused: the earlier back
      {RO | H, nullptr, 0, Settle, 1, "new", H, nullptr},                // a power cut after: the aside goes
      {RO | H, "f.vel-old", 0, Nothing, 1, "new", H, "f.vel-old2"},      // the user's folder left alone
      {RO | H, "f.vel-old", 0, Settle, 1, "new", H, nullptr},            // also when settling
      {RO | H, "f.vel~", 0, RemoveAside, 1, "new", H, nullptr},          // a folder where the temporary goes
      {RO | H, nullptr, 0, Nothing, 1, "new", H, "f.vel-old", 1},        // an earlier file come since the look
      {RO | H, nullptr, 0, Nothing, 1, "new", H, nullptr, -1},           // one gone since: its name is free
  };
  int i = 0;
  for (const Case &c : cases) {
    std::string dir = FreshFolder(("writer" + std::to_string(i++)).c_str()), path = dir + "\\f";
    std::string folder = c.folder ? dir + "\\" + c.folder : "";
    if (c.folder) { // the last run's
      DeleteFileA((folder + "\\mine").c_str());
      RemoveDirectoryA(folder.c_str());
    }
    auto makeEarlier = [&] {
      ASSERT_TRUE(WriteWholeFile(path, Text("old")));
      Mark(path, c.earlier);
    };
    if (c.earlier != ~0u && c.late <= 0)
      makeEarlier();
    ASSERT_TRUE(WriteWholeFile(path + ".vel~", Text("stale"))); // what an interrupted install left
    Mark(path + ".vel~", RO | H);
    if (c.folder) {
      SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(folder.c_str());
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
      ASSERT_TRUE(WriteWholeFile(folder + "\\mine", Text("mine")));
    }
    FileNames names = {};
    unsigned long long found = 0;
    ASSERT_EQ(NameFiles(path.c_str(), &names, &found, 1), nullptr) << i;
    if (c.late > 0)
      makeEarlier();
    if (c.late < 0)
      Mark(path, 0), DeleteFileA(path.c_str());
    ASSERT_EQ(WriteBeside(&names, "new", 3, H, 1).error, 0u) << i;
    DWORD earlier = 0;
    Renames = 0;
    Failing = c.failing;
    FileMove = CountedMove;
    EXPECT_EQ(!PutInPlace(&names, 1, &earlier).error, c.placed) << i;
    FileMove = MoveFileExA;
    if (c.then == RemoveAside)
      EXPECT_EQ(RemoveSetAside(names), 0u) << i;
    if (c.then == PutBackAfter)
      EXPECT_EQ(PutBack(names, earlier).error, 0u) << i;
    if (c.then == Settle)
      EXPECT_EQ(SettleEarlier(&names).error, 0u) << i;
    std::map<std::string, std::pair<std::string, unsigned long>> expected;
    if (c.now)
      expected["f"] = {c.now, c.bits};
    if (c.aside)
      expected[c.aside] = {"old", c.earlier};
    EXPECT_TRUE(Seen(dir) == expected) << "case " << i << ": " << Listed(Seen(dir));
    if (c.folder)
      EXPECT_EQ(ReadWholeFile(folder + "\\mine"), Text("mine")) << i << ": the user's folder as it was";
  }
  // The only copy, left aside by a power cut, takes its name back; a folder where the file goes is in the way.
  std::string dir = FreshFolder("writer-settle"), path = dir + "\\f";
  ASSERT_TRUE(WriteWholeFile(path + ".vel-old", Text("old")));
  Mark(path + ".vel-old", RO | H);
  FileNames names = {};
  unsigned long long found = 0;
  ASSERT_EQ(NameFiles(path.c_str(), &names, &found, 1), nullptr);
  EXPECT_EQ(found, 3u);
  EXPECT_EQ(SettleEarlier(&names).error, 0u);
  EXPECT_TRUE(Seen(dir) == (std::map<std::string, std::pair<std::string, unsigned long>>{{"f", {"old", RO | H}}}));
  CreateDirectoryA((dir + "\\d").c_str(), nullptr); // or the last run's
  EXPECT_EQ(std::string(NameFiles((dir + "\\d").c_str(), &names, &found, 1)), dir + "\\d");
}

TEST(FileWriter, EachAttributeCombinationAndNoFolder) {
  std::string dir = FreshFolder("attrs"); // checked again from the Linux side (check_attributes.sh)
  for (DWORD bits : {0ul, RO, H, RO | H}) {
    std::string name = std::string("ro") + (bits & RO ? "1" : "0") + "h" + (bits & H ? "1" : "0"),
                path = dir + "\\" + name;
    FileNames names = {};
    unsigned long long found = 0;
    DWORD earlier = 0;
    ASSERT_EQ(NameFiles(path.c_str(), &names, &found, 0), nullptr);
    ASSERT_EQ(WriteBeside(&names, name.data(), static_cast<unsigned long>(name.size()), bits, 0).error, 0u);
    ASSERT_EQ(PutInPlace(&names, 0, &earlier).error, 0u);
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & (RO | H), bits) << name;
    EXPECT_EQ(ReadWholeFile(path), Text(name.c_str()));
  }
  FileNames names = {};
  unsigned long long found = 0;
  NameFiles("E:\\missing-folder\\x.bin", &names, &found, 0);
  EXPECT_NE(WriteBeside(&names, "abc", 3, 0, 1).error, 0u);
  EXPECT_EQ(GetFileAttributesA("E:\\missing-folder"), INVALID_FILE_ATTRIBUTES) << "no folder is made";
}

// A medium too small for the file: scripts/test.sh maps a 64 KiB tmpfs as drive F: when it can mount one.
TEST(FileWriter, FullMediumKeepsTheEarlierFile) {
  std::string dir = FaultInstallFolder("VELLUMINE_FULL_DRIVE");
  if (dir.empty())
    GTEST_SKIP() << "no small medium: scripts/test.sh could not mount a tmpfs (needs root and mount)";
  std::string earlier = dir + "\\big.bin";
  SetFileAttributesA(earlier.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(WriteWholeFile(earlier, Bytes(8000, 'e')));
  Mark(earlier, RO | H);
  Bytes big(200000, 'n');
  FileNames names = {};
  unsigned long long found = 0;
  NameFiles(earlier.c_str(), &names, &found, 0);
  EXPECT_NE(WriteBeside(&names, big.data(), static_cast<unsigned long>(big.size()), RO | H, 1).error, 0u);
  EXPECT_EQ(ReadWholeFile(earlier), Bytes(8000, 'e'));
  EXPECT_EQ(GetFileAttributesA(earlier.c_str()) & (RO | H), RO | H);
  EXPECT_TRUE(FilesIn(dir, "*.vel~").empty());
}

} // namespace
