#ifndef VELLUMINE_RESOURCES_RESOURCE_IDS_H
#define VELLUMINE_RESOURCES_RESOURCE_IDS_H

// Identifiers of the templates, the icon and the controls that every window shares. Read by the resource script
// as well as by the code.

#define IDI_APP 103
#define IDD_MESSAGE 112
#define IDD_WIZARD_DESKTOP 114
#define IDD_WIZARD 115
#define IDD_CHOOSER 168

#define IDC_BACK 3
#define IDC_NEXT 1001
#define IDC_DRIVE_EDIT 1002
#define IDC_BROWSE 1003
#define IDC_DESKTOP_ICON 1004
#define IDC_AUTOSTART 1005
#define IDC_PATH_LABEL 1006
#define IDC_DIRS_LABEL 1008
#define IDC_BRAND_LABEL 1009
// One number, two dialogs: the wizard's English check box and the folder chooser's "Drives" label, each drawn by
// its own dialog's owner-draw code.
#define IDC_ENGLISH 1010
#define IDC_DRIVES_LABEL 1010
#define IDC_EDITION_LABEL 1011
#define IDC_INSTALLER_LABEL 1012
#define IDC_MSG_TEXT 1013
#define IDC_LICENCE_EDIT 1014
#define IDC_USB_HINT 1016
#define IDC_LANGUAGE_LABEL 1017
#define IDC_LANGUAGE_COMBO 1018
#define IDC_LICENCE_LIST 1019
#define IDC_BLANK_LABEL 1020
#define IDC_WAIT_BUTTON 1021
#define IDC_PROGRESS 1026
#define IDC_MSG_ENGLISH 1028
#define IDC_FOLDER_SUFFIX 1038

// Statics of the wizard's left pane
#define IDC_PRODUCT_NAME 166
#define IDC_APP_ICON 102
#define IDC_PANE_RULE 108
#define IDC_INSTALLER_NAME 169
#define IDC_WEB_ADDRESS 172

#endif
