#include <gtest/gtest.h>

#include <string>

#include "install/manifest.h"

namespace {

// The installed tree, row by row: identifier, destination, read-only and hidden flags.
const char *const ExpectedRows =
    "200 gbk2b5.bin 11|201 ch2py.bin 11|202 CH2PYPZ1.BIN 11|203 CH2PYPZ2.BIN 11|204 sort.dic 11|"
    "205 ZiPartsStd.dat 11|206 ZiPartsBaseStd.dat 11|207 ZiDef.dic 11|208 cedict_ts.u8 11|209 Credits.txt 11|"
    "192 VellumineUnInstall.exe 00|177 Quorbix_Guide.htm 10|195 Quorbix_Guide_en.htm 10|"
    "194 Quorbix_Guide_b5.htm 10|176 VellumineGuide.chm 10|178 Glossant.PNG 10|120 QuorbixUI.ini 11|"
    "227 QuorbixUI_en.ini 11|110 ChnBmp.bin 11|196 barmenu.JPG 11|197 barmenu_en.JPG 11|229 ctrlmenu.PNG 11|"
    "230 ctrlmenu_en.PNG 11|231 HanZiInfo.PNG 11|232 HanZiInfo_en.PNG 11|199 Desktop.JPG 11|217 taskicon.JPG 11|"
    "218 TOOLBAR.JPG 11|119 welcome_quorbix.JPG 11|124 LICENSE_cn.txt 10|161 LICENSE_en.txt 10|"
    "109 VellumineMobile.exe 10|1039 %c:\\VellumineLauncher.exe 10|1040 %c:\\VellumineLauncher_Uninstall.exe 10|";

TEST(Manifest, RowsInInstallOrder) {
  std::string rows;
  for (const ManifestRow &row : Manifest)
    rows += std::to_string(row.id) + " " + row.destination + " " + std::to_string(row.readOnly) +
            std::to_string(row.hidden) + "|";
  EXPECT_EQ(rows, ExpectedRows);
}

TEST(Manifest, OnlyTheLaunchersLieInTheDriveRootAndAreNotCarried) {
  for (const ManifestRow &row : Manifest) {
    bool launcher = row.id == 1039 || row.id == 1040;
    EXPECT_EQ(row.where == InDriveRoot, launcher) << row.id;
    EXPECT_EQ(row.kind == KindAbsent, launcher) << row.id;
    EXPECT_EQ(IsSettingsRow(row), row.id == 120) << row.id;
  }
  char path[64], small[12], root[DriveRootSize];
  ASSERT_TRUE(ManifestRowPath(Manifest[0], "e:\\Vellumine", path, sizeof path));
  EXPECT_EQ(std::string(path), "e:\\Vellumine\\gbk2b5.bin");
  ASSERT_TRUE(ManifestRowPath(Manifest[32], "e:\\Vellumine", path, sizeof path));
  EXPECT_EQ(std::string(path), "e:\\VellumineLauncher.exe") << "the drive letter as it stands";
  EXPECT_FALSE(ManifestRowPath(Manifest[0], "e:\\Vellumine", small, sizeof small)) << "cut, not given";
  DriveRoot("e:\\Vellumine", root);
  EXPECT_EQ(std::string(root), "e:\\");
}

} // namespace
