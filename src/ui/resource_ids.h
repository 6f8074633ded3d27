// Ids of the dialog resources and their controls, shared by the resource script and the code.
#pragma once

#define LAUNCHER_JRE_NOT_FOUND_DIALOG 201
#define LAUNCHER_RUNTIME_FOLDER_EDIT 201
#define LAUNCHER_BROWSE_BUTTON 202
#define LAUNCHER_MESSAGE_TEXT 203
#define LAUNCHER_ERROR_ICON 204
#define LAUNCHER_DOWNLOAD_LINK 205
#define LAUNCHER_BROWSE_HINT 206

#define LAUNCHER_EXCEPTION_DIALOG 231
#define LAUNCHER_EXCEPTION_TEXT 208
#define LAUNCHER_EXCEPTION_GROUP 209
#define LAUNCHER_EXCEPTION_INTRO 210
#define LAUNCHER_EXCEPTION_CHOICE 211
#define LAUNCHER_EXCEPTION_WARNING 212

// Where a Java runtime can be downloaded: the link of the dialog and the Linux prompt.
#define LAUNCHER_DOWNLOAD_ADDRESS "https://adoptium.net/"
