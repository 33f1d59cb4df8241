#include "ui/MenusWin32.h"

#include "sources/Policies.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lumivane {

namespace {

// Adds the items from `index` on that lie at `depth`; returns the first index past them.
size_t AddItems(HMENU menu, const TMenuDef& def, size_t index, int depth) {
    const auto items = def.Items;
    while (index < items.size() && items[index].Depth == depth) {
        const TMenuItemDef& item = items[index++];
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        if (item.Kind == TMenuItemKind::Separator) {
            mii.fMask = MIIM_FTYPE;
            mii.fType = MFT_SEPARATOR;
            InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mii);
            continue;
        }
        std::wstring text = MenuItemText(item, def.ShowShortCuts);
        mii.fMask = MIIM_STRING | MIIM_ID;
        mii.dwTypeData = text.data();
        mii.wID = static_cast<UINT>(item.Command);
        if (item.Kind == TMenuItemKind::Submenu) {
            mii.fMask |= MIIM_SUBMENU;
            mii.hSubMenu = CreatePopupMenu();
            index = AddItems(mii.hSubMenu, def, index, depth + 1);
        }
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mii);
    }
    return index;
}

}  // namespace

HMENU BuildMenu(const TMenuDef& def, bool popup) {
    HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
    AddItems(menu, def, 0, 0);
    if (def.Default != TCommandId::None)
        SetMenuDefaultItem(menu, static_cast<UINT>(def.Default), FALSE);  // drawn bold
    return menu;
}

void ShowRefusedItems(HMENU menu, const TMenuDef& def, std::span<const TCommandId> refused) {
    for (const TMenuItemDef& item : def.Items) {
        const TCommandDef* command = item.Kind == TMenuItemKind::Command ? FindCommand(item.Command) : nullptr;
        if (!command) continue;
        const bool no = std::find(refused.begin(), refused.end(), item.Command) != refused.end();
        std::wstring text = no ? std::wstring(item.Caption ? item.Caption : command->Caption) + L"\t" + kSetByAdministrator
                               : MenuItemText(item, def.ShowShortCuts);
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_STRING;
        mii.dwTypeData = text.data();
        SetMenuItemInfoW(menu, static_cast<UINT>(item.Command), FALSE, &mii);
        EnableMenuItem(menu, static_cast<UINT>(item.Command), MF_BYCOMMAND | (no ? MF_GRAYED : MF_ENABLED));
    }
}

bool MenusThemed() {
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"); ntdll && GetProcAddress(ntdll, "wine_get_version"))
        return false;
    // Loaded for the question and let go again: a process without styles
    // never keeps it.
    HMODULE theme = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!theme) return false;
    using TAsk = BOOL(WINAPI*)();
    auto active = reinterpret_cast<TAsk>(reinterpret_cast<void*>(GetProcAddress(theme, "IsThemeActive")));
    auto app = reinterpret_cast<TAsk>(reinterpret_cast<void*>(GetProcAddress(theme, "IsAppThemed")));
    const bool themed = active && app && active() && app();
    FreeLibrary(theme);
    return themed;
}

void SetMenuImages(HMENU menu, const TMenuDef& def, TCommandImagesWin32& images, bool themed) {
    for (const TMenuItemDef& item : def.Items) {
        const TCommandDef* command = item.Kind == TMenuItemKind::Command ? FindCommand(item.Command) : nullptr;
        if (!command || !command->Image) continue;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP | MIIM_DATA;
        HBITMAP bitmap = images.MenuBitmap(command->Image);
        mii.hbmpItem = bitmap && !themed ? HBMMENU_CALLBACK : bitmap;
        mii.dwItemData = static_cast<ULONG_PTR>(command->Image);
        SetMenuItemInfoW(menu, static_cast<UINT>(item.Command), FALSE, &mii);
    }
}

bool MeasureMenuImage(MEASUREITEMSTRUCT& item, TCommandImagesWin32& images) {
    if (item.CtlType != ODT_MENU) return false;
    // A little air on both sides: some menus set the text right after the picture.
    item.itemWidth = static_cast<UINT>(images.Size() + images.Size() / 4);
    item.itemHeight = static_cast<UINT>(images.Size());
    return true;
}

bool DrawMenuImage(const DRAWITEMSTRUCT& item, TCommandImagesWin32& images) {
    if (item.CtlType != ODT_MENU) return false;
    HBITMAP bitmap = images.MenuBitmap(static_cast<int>(item.itemData));
    if (!bitmap) return true;
    const int size = images.Size();
    HDC source = CreateCompatibleDC(item.hDC);
    if (!source) return true;
    HGDIOBJ old = SelectObject(source, bitmap);
    // Blended onto whatever the menu drew beneath (its colour, the
    // highlight); a disabled item's picture faded as its text is.
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(item.itemState & ODS_GRAYED ? 96 : 255),
                              AC_SRC_ALPHA};
    const RECT& r = item.rcItem;
    GdiAlphaBlend(item.hDC, r.left + (r.right - r.left - size) / 2, r.top + (r.bottom - r.top - size) / 2, size,
                  size, source, 0, 0, size, size, blend);
    SelectObject(source, old);
    DeleteDC(source);
    return true;
}

HACCEL BuildAccelerators() {
    std::vector<ACCEL> table;
    for (const TCommandDef& c : MainCommands()) {
        if (!c.ShortCut) continue;
        BYTE flags = FVIRTKEY;
        if (c.ShortCut & kScShift) flags |= FSHIFT;
        if (c.ShortCut & kScCtrl) flags |= FCONTROL;
        if (c.ShortCut & kScAlt) flags |= FALT;
        table.push_back({flags, ShortCutKey(c.ShortCut), static_cast<WORD>(c.Id)});
    }
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

}  // namespace lumivane
