#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "install/file_writer.h"
#include "store_harness.h"
#include "test_folders.h"

namespace {

const DWORD Bits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

Bytes Text(const char *s) { return Bytes(s, s + strlen(s)); }

// As a user sets them: under Wine, as an unprivileged Unix user, the hidden and system bits cannot be stored any
// more once read-only has taken the file's write bits, so read-only comes last.
void Mark(const std::string &path, DWORD attributes) {
  SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(path.c_str(), attributes);
}

int Write(const char *name, const Bytes &data, int readOnly, int hidden, const char *path = nullptr) {
  return WritePayloadFile(name, data.data(), static_cast<unsigned long>(data.size()), readOnly, hidden, path);
}

bool NoTemporaryFiles(const std::string &dir) {
  return FilesIn(dir, "*.vel~").empty() && FilesIn(dir, "vel*.tmp").empty();
}

TEST(WritePayloadFile, SetsTheRequestedAttributesAndKeepsTheOthers) {
  std::string dir = FreshFolder("attrs");
  strcpy(InstallDir, dir.c_str());
  // Written here and checked again from the Linux side (check_attributes.sh).
  const struct {
    const char *name;
    int readOnly, hidden;
  } cases[] = {{"ro0h0", 0, 0}, {"ro1h0", 1, 0}, {"ro0h1", 0, 1}, {"ro1h1", 1, 1}};
  for (const auto &c : cases) {
    ASSERT_EQ(Write(c.name, Text(c.name), c.readOnly, c.hidden), 1);
    DWORD a = GetFileAttributesA((dir + "\\" + c.name).c_str());
    EXPECT_EQ((a & FILE_ATTRIBUTE_READONLY) != 0, c.readOnly != 0) << c.name;
    EXPECT_EQ((a & FILE_ATTRIBUTE_HIDDEN) != 0, c.hidden != 0) << c.name;
    EXPECT_EQ(ReadWholeFile(dir + "\\" + c.name), Text(c.name));
  }
  // An existing read-only hidden file is replaced in full and ends as asked this time.
  std::string old = dir + "\\old";
  ASSERT_TRUE(WriteWholeFile(old, Bytes(5000, 'o')));
  Mark(old, Bits);
  ASSERT_EQ(Write("old", Text("new"), 0, 0), 1);
  EXPECT_EQ(ReadWholeFile(old), Text("new"));
  EXPECT_EQ(GetFileAttributesA(old.c_str()) & Bits, 0u);
  Mark(old, Bits);
  ASSERT_EQ(Write("old", Text("newer"), 1, 0), 1);
  EXPECT_EQ(ReadWholeFile(old), Text("newer"));
  EXPECT_EQ(GetFileAttributesA(old.c_str()) & Bits, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  // A replaced file keeps the earlier file's other bits; a read-only hidden temporary file that an interrupted
  // install left beside it is removed rather than blocking the install.
  Mark(old, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | Bits);
  std::string stale = old + ".vel~";
  ASSERT_TRUE(WriteWholeFile(stale, Bytes(3000, 's')));
  Mark(stale, Bits);
  ASSERT_EQ(Write("old", Text("newest"), 0, 1), 1);
  EXPECT_EQ(ReadWholeFile(old), Text("newest"));
  EXPECT_EQ(GetFileAttributesA(old.c_str()) & (Bits | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
  // a leftover temporary file is removed also where its destination is not there
  ASSERT_TRUE(WriteWholeFile(dir + "\\fresh.vel~", Bytes(3000, 's')));
  Mark(dir + "\\fresh.vel~", Bits);
  ASSERT_EQ(Write("fresh", Text("fresh"), 1, 1), 1);
  // an empty payload gives an empty file
  ASSERT_EQ(Write("empty", Bytes(), 0, 0), 1);
  EXPECT_TRUE(ReadWholeFile(dir + "\\empty").empty());
  EXPECT_TRUE(NoTemporaryFiles(dir));
}

TEST(WritePayloadFile, PathOverridesNameAndInstallDir) {
  std::string dir = FreshFolder("paths");
  strcpy(InstallDir, "E:\\no-such-folder");
  std::string target = dir + "\\direct.bin";
  ASSERT_EQ(Write("ignored", Text("abc"), 1, 0, target.c_str()), 1);
  EXPECT_EQ(ReadWholeFile(target), Text("abc"));
  EXPECT_EQ(GetFileAttributesA((dir + "\\ignored").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WritePayloadFile, MissingFolderGivesZeroAndCreatesNothing) {
  strcpy(InstallDir, "E:\\missing-folder");
  EXPECT_EQ(Write("x.bin", Text("abc"), 1, 1), 0);
  EXPECT_EQ(GetFileAttributesA("E:\\missing-folder"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Write(nullptr, Text("abc"), 1, 1, "Q:\\nowhere\\x.bin"), 0);
  // a path that does not fit the 260-byte buffer is refused, not cut
  std::string longName(300, 'n');
  strcpy(InstallDir, "E:\\paths");
  EXPECT_EQ(Write(longName.c_str(), Text("abc"), 0, 0), 0);
}

TEST(ExtractPayload, WritesTheEntryOrNothing) {
  std::string dir = FreshFolder("extract");
  strcpy(InstallDir, dir.c_str());
  ScopedAppInstance self(GetModuleHandleA(nullptr));
  Bytes buffer(1 << 22);
  ASSERT_EQ(ExtractPayload(161, "LICENSE_en.txt", buffer.data(), 1 << 22, 1, 0, nullptr), 1);
  EXPECT_EQ(ReadWholeFile(dir + "\\LICENSE_en.txt"), SourceFile("payload/LICENSE_en.txt"));
  // a missing entry and a too-small buffer leave an earlier file exactly as it was
  std::string earlier = dir + "\\earlier.txt";
  ASSERT_TRUE(WriteWholeFile(earlier, Text("earlier")));
  Mark(earlier, Bits);
  EXPECT_EQ(ExtractPayload(1039, "earlier.txt", buffer.data(), 1 << 22, 0, 0, nullptr), 0);
  EXPECT_EQ(ExtractPayload(161, "earlier.txt", buffer.data(), 100, 0, 0, nullptr), 0);
  EXPECT_EQ(ReadWholeFile(earlier), Text("earlier"));
  EXPECT_EQ(GetFileAttributesA(earlier.c_str()) & Bits, Bits);
  EXPECT_TRUE(NoTemporaryFiles(dir));
}

// A medium too small for the file: scripts/test.sh maps a 64 KiB tmpfs as drive F: when it can mount one.
TEST(WritePayloadFile, FullMediumKeepsTheEarlierFile) {
  std::string dir = FaultInstallFolder("VELLUMINE_FULL_DRIVE");
  if (dir.empty())
    GTEST_SKIP() << "no small medium: scripts/test.sh could not mount a tmpfs (needs root and mount)";
  std::string earlier = dir + "\\big.bin";
  SetFileAttributesA(earlier.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(WriteWholeFile(earlier, Bytes(8000, 'e')));
  Mark(earlier, Bits);
  strcpy(InstallDir, dir.c_str());
  EXPECT_EQ(Write("big.bin", Bytes(200000, 'n'), 1, 1), 0);
  EXPECT_EQ(ReadWholeFile(earlier), Bytes(8000, 'e'));
  EXPECT_EQ(GetFileAttributesA(earlier.c_str()) & Bits, Bits);
  EXPECT_TRUE(NoTemporaryFiles(dir));
  EXPECT_EQ(Write("fresh.bin", Bytes(200000, 'n'), 0, 0), 0);
  EXPECT_EQ(GetFileAttributesA((dir + "\\fresh.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
