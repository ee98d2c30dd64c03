// Control ids of the wizard pages and the sheet's buttons, shared by dialogs.rc and the code.
#pragma once

// Sheet buttons (Cancel is IDCANCEL, 2).
#define IDC_SHEET_BACK 12323
#define IDC_SHEET_NEXT 12324

// Welcome page (101); 1000 is also the what's-new edit on page 108.
#define IDC_TARGET_FOLDER 1000
#define IDC_BROWSE 1009
#define IDC_DESKTOP_LINK 1011
#define IDC_THUMBNAILS_LINK 1021
#define IDC_START_MENU_LINKS 1012
#define IDC_CURRENT_USER 1016
#define IDC_ALL_USERS 1017
#define IDC_NO_SHORTCUTS 1019
#define IDC_DESCRIPTION 1056
#define IDC_WELCOME_HEADING 1013
#define IDC_EULA_LINK 1045

// What's-new page (108).
#define IDC_RELEASE_NOTES 1000

// File associations page (104).
#define IDC_IMAGES_ONLY 1091
#define IDC_MARK_ALL 1080
#define IDC_MARK_NONE 1081
#define IDC_TYPE_LIST 1579
#define IDC_REGISTRY_BOX 3311

// Ready page (109).
#define IDC_READY_HEADING 1014
#define IDC_FOLDER_LINE 1010
#define IDC_INI_PROGRAM_FOLDER 1038
#define IDC_INI_APPDATA 1039
#define IDC_PROGRESS_LABEL 1044

// Finish page (110).
#define IDC_SHOW_FAQ 1022
#define IDC_START_VIEWER 1020
#define IDC_FINISH_HEADING 1015
