// Identifiers of the program's resources, shared by the .rc files and the code.
#pragma once

#define IDS_CANCEL_TEXT 1           // "&Beenden"
#define IDS_FINISH_TEXT 2           // "&Fertig stellen"
#define IDS_CONFIRM_QUIT 3          // "Installation beenden?"
#define IDS_INVALID_FOLDER 5
#define IDS_TARGET_FOLDER 6
#define IDS_INSTALL_FAILED 7
#define IDS_TARGET_FOLDER_COLON 8
#define IDS_CONFIRM_ASSOCIATIONS 9
#define IDS_VIEWER_RUNNING 10
#define IDS_CANNOT_CREATE_FOLDER 11
#define IDS_FILES_LEFT_OUT 12         // our own: files skipped during extraction
#define IDS_NEWER_VERSION 13          // our own: a newer version is installed; "%s" its text
// Our own: the steps the progress window of a silent run shows.
#define IDS_STEP_EXTRACTING 14
#define IDS_STEP_SETTINGS 15
#define IDS_STEP_LINKS 16
#define IDS_STEP_FILE_TYPES 17
#define IDS_FOLDER_REFUSED 18         // our own: the target or a payload folder is a link
#define IDS_SETTINGS_FOLDER_REFUSED 19  // our own: settings kept in the program folder
#define IDS_SETTINGS_FILE_REFUSED 20  // our own: a settings file left as it is
#define IDS_REPLACED_AT_RESTART 21    // our own: files held open, replaced at the restart
#define IDS_RESTART_TO_FINISH 22      // our own: the wizard asks for the restart
#define IDS_COMMAND_LINE_CUT 23       // our own: "%s" the option the line limit cut

#define IDD_WELCOME 101
#define IDD_ASSOCIATIONS 104
#define IDD_WHATS_NEW 108
#define IDD_READY 109
#define IDD_FINISH 110

#define IDI_SETUP 111
#define IDB_LOGO 113
#define IDR_RELEASE_NOTES 217
#define IDR_PAYLOAD 1974
