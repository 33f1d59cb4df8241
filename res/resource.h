// Resource identifiers, shared by Lumivane.rc and the code (the resource
// compiler understands only #define). Menus, the tool bar and the shortcuts
// are built by the code from its own tables.
#pragma once
#define IDI_APP 1
#define IDI_SCREENSAVER 101
#define IDI_POWEROFF 102
#define IDI_TRAY0 110 /* the eight state icons, 110 to 117 */
#define IDI_TRAY_LIGHT0 140 /* the same for a light taskbar, 140 to 147 */

#define IDI_MENU1 121 /* the ten command images of ImageListMenu, 121 to 130 */
