// Resource identifiers, shared by Lumivane.rc and the code (the resource
// compiler understands only #define). Command numbers equal TCommandId.
#pragma once
#define IDI_APP 1
#define IDI_SCREENSAVER 101
#define IDI_POWEROFF 102
#define IDI_TRAY0 110 /* the eight state icons, 110 to 117 */

#define IDM_NOTIFYMENU 300

#define CMD_SCREENSAVER 201
#define CMD_POWEROFF 202
#define CMD_DISPLAYPROPERTIES 203
#define CMD_ACTIVATE 204
#define CMD_DEACTIVATE 205
#define CMD_RESTORECONFIGURATION 206
#define CMD_EXIT 207
#define CMD_SHOW 209
#define CMD_HALFHOUR 210
#define CMD_1HOUR 211
#define CMD_2HOURS 212
#define CMD_3HOURS 213
#define CMD_4HOURS 214
#define CMD_8HOURS 215
#define CMD_12HOURS 216
