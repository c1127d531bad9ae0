#ifndef VELLUMINE_UI_TEXTS_H
#define VELLUMINE_UI_TEXTS_H

// Every text the installer shows of its own, as GBK byte strings (texts.cpp is compiled with the GBK execution
// character set). Portable.

// Messages: Chinese line and English line.
extern const char *const MemoryChinese, *const MemoryEnglish;
extern const char *const DriveChinese, *const DriveEnglish;
extern const char *const FolderChinese, *const FolderEnglishFormat, *const FolderEnglishReason;
extern const char *const SuccessChinese, *const SuccessEnglish;
extern const char *const FailureChinese, *const FailureEnglish;
extern const char *const VerifyChinese, *const VerifyEnglish; // the drive did not give back what was written
// A program uses a file that the install would replace: formats with the file's path for %s. With the longest
// installed path, the Chinese line stays within a label's 79 bytes and the English within the message's 127.
extern const char *const InUseChineseFormat, *const InUseEnglishFormat;
// A folder stands where a file goes; and a failed install could not remove a file from the folder it made. Formats
// with the path for %s, within the same limits.
extern const char *const FolderInTheWayChineseFormat, *const FolderInTheWayEnglishFormat;
extern const char *const LeftOverChineseFormat, *const LeftOverEnglishFormat;
// The drive has too little room: formats with the drive letter (%c), then the room needed and the room free in MB,
// each as whole and tenths (%d.%d).
extern const char *const NoRoomChineseFormat, *const NoRoomEnglishFormat;
extern const char *const DamagedChinese, *const DamagedEnglish; // the installer's store is damaged
// The drive is write-protected; and it went away during the install: formats with the drive letter (%c).
extern const char *const WriteProtectedChineseFormat, *const WriteProtectedEnglishFormat;
extern const char *const DriveGoneChineseFormat, *const DriveGoneEnglishFormat;
extern const char *const ChooserChinese, *const ChooserEnglish; // the folder chooser cannot be opened

// Labels of the owner-drawn buttons and of the check boxes.
extern const char *const LabelOk, *const LabelCancel, *const LabelBack, *const LabelYes, *const LabelNo;
extern const char *const LabelNext, *const LabelAgreeInstall, *const LabelBrowse, *const LabelInstallPath;
extern const char *const LabelDirectories, *const LabelBrand, *const LabelDrives, *const LabelEdition;
extern const char *const LabelInstaller, *const LabelUsbHint, *const LabelLanguage;
extern const char *const LabelDesktopIcon, *const LabelAutoStart;

// All of the above, for checks that every character has a glyph.
extern const char *const *const AllTexts;
extern const int AllTextCount;

// Why logoff and restart wait during the install (Windows shows it beside the wizard's name), in wide characters.
extern const wchar_t *const InstallingReason;

#endif
