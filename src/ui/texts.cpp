// Every text the installer shows of its own, compiled into GBK bytes. Portable.
#include "ui/texts.h"

const char *const MemoryChinese = "内存不够。安装无法继续。";
const char *const MemoryEnglish = "Memory not enough!";
const char *const DriveChinese = "请填好USB盘号.";
const char *const DriveEnglish = "Please put in USB drive letter.";
const char *const FolderChinese = "无法建目录。请检查所列目录是否合法（注意：子目录只能在已存在的目录下建）。";
const char *const FolderEnglishFormat = "%s Please check folder path.";
const char *const FolderEnglishReason = "Cannot create folder!";
const char *const SuccessChinese = "祝贺您：安装顺利完成！";
const char *const SuccessEnglish = "Congratulations! Installation Success!";
const char *const FailureChinese = "安装失败！请检查一下系统后，再重新安装。谢谢！";
const char *const FailureEnglish =
    "Installation failed. Please check your system (quit all Tarvo applications) and try again.";

const char *const VerifyChinese = "写入U盘的文件读回不一致，U盘可能已损坏或为假冒扩容盘。请换一个U盘再安装。";
const char *const VerifyEnglish =
    "The drive did not give back what was written: it may be faulty or counterfeit. Please try another drive.";

const char *const InUseChineseFormat = "%s 正被程序使用。请关闭程序，再按同意/安装。";
const char *const InUseEnglishFormat =
    "%s is in use by a program. Please close that program and press Agree/Install again.";

const char *const FolderInTheWayChineseFormat = "%s 是文件夹。请移开，再按同意/安装。";
const char *const FolderInTheWayEnglishFormat =
    "%s is a folder, not a file: move or rename it, and press Agree/Install again.";

const char *const LeftOverChineseFormat = "安装失败。%s 未能删除，请自行删除。";
const char *const LeftOverEnglishFormat =
    "Installation failed, and %s could not be removed: please delete it yourself.";

const char *const NoRoomChineseFormat =
    "%c:盘空间不够：安装需要%d.%dMB，只有%d.%dMB。请腾出空间或换盘，再按同意/安装。";
const char *const NoRoomEnglishFormat =
    "Not enough room on %c: the install needs %d.%d MB, and %d.%d MB is free. Free some room or choose another drive, "
    "and try again.";

const char *const DamagedChinese = "安装程序已损坏，未写入任何文件。请重新下载。";
const char *const DamagedEnglish = "This installer is damaged, and nothing was written. Please download it again.";

const char *const WriteProtectedChineseFormat = "%c:盘有写保护，未作任何改动。请解锁（有的U盘有开关），再按同意/安装。";
const char *const WriteProtectedEnglishFormat =
    "%c: is write-protected, and nothing was changed. Unlock it (some sticks have a switch) and press Agree/Install "
    "again.";

const char *const DriveGoneChineseFormat = "安装中%c:盘被拔出。请插回，再运行安装程序：它会整理遗留的文件。";
const char *const DriveGoneEnglishFormat =
    "The drive %c: went away during the install. Put it back in and run the installer again: it settles what was left.";

const char *const ChooserChinese = "无法打开目录选择窗口。请直接填写USB盘号。";
const char *const ChooserEnglish = "The folder chooser cannot be opened. Please type the USB drive letter.";

const char *const LabelOk = "确认 OK";
const char *const LabelCancel = "取消 Cancel";
const char *const LabelBack = "退一步 Back";
const char *const LabelYes = "是 Yes";
const char *const LabelNo = "否 No";
const char *const LabelNext = "下一步 Next";
const char *const LabelAgreeInstall = "同意/安装 Agree/Install";
const char *const LabelBrowse = "改变 Browse ....";
const char *const LabelInstallPath = "安装路径： (Install Path)";
const char *const LabelDirectories = "路径 (Directories):";
const char *const LabelBrand = "《Quorbix》";
const char *const LabelDrives = "磁盘 (Drives):";
const char *const LabelEdition = "中文版";
const char *const LabelInstaller = "安装程序";
const char *const LabelUsbHint = "Please replace @ with USB drive letter. 请将以上@换成USB盘号.";
const char *const LabelLanguage = "User Interface Language 用户界面语言";
const char *const LabelDesktopIcon = "建立桌面图标？  (Place an icon on Desktop)";
const char *const LabelAutoStart = "开机时自动启动？(Auto-start on boot)";

const wchar_t *const InstallingReason = L"正在安装 Installing Vellumine";

namespace {
const char *const Texts[] = {
    // Messages
    MemoryChinese, MemoryEnglish, DriveChinese, DriveEnglish, FolderChinese, FolderEnglishFormat, FolderEnglishReason,
    SuccessChinese, SuccessEnglish, FailureChinese, FailureEnglish, VerifyChinese, VerifyEnglish, InUseChineseFormat,
    InUseEnglishFormat, FolderInTheWayChineseFormat, FolderInTheWayEnglishFormat, LeftOverChineseFormat,
    LeftOverEnglishFormat, NoRoomChineseFormat, NoRoomEnglishFormat, DamagedChinese, DamagedEnglish,
    WriteProtectedChineseFormat, WriteProtectedEnglishFormat, DriveGoneChineseFormat, DriveGoneEnglishFormat,
    ChooserChinese, ChooserEnglish,
    // Labels
    LabelOk, LabelCancel, LabelBack, LabelYes, LabelNo, LabelNext, LabelAgreeInstall, LabelBrowse, LabelInstallPath,
    LabelDirectories, LabelBrand, LabelDrives, LabelEdition, LabelInstaller, LabelUsbHint, LabelLanguage,
    LabelDesktopIcon, LabelAutoStart};
} // namespace

const char *const *const AllTexts = Texts;
const int AllTextCount = sizeof Texts / sizeof Texts[0];
