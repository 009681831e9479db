// A menu from a MenuResource: popups, item states, and popup tracking whose chosen command goes
// to the owner window's own table (its OnCmdMsg), unfiltered by update handlers.
#pragma once

#include <memory>
#include <vector>

#include "afx/AfxTypes.h"
#include "afx/ResourceTypes.h"

class CWnd;
class QMenu;
class QWidget;

class CMenu {
 public:
  CMenu();
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  /** Loads menu resource nIDResource; FALSE when it is not registered. */
  BOOL LoadMenu(UINT nIDResource);
  BOOL DestroyMenu();
  /** The popup at position nPos (owned by this menu), or null. */
  CMenu* GetSubMenu(int nPos) const;
  UINT GetMenuItemCount() const;
  /** Command id of the item at nPos (0 for separators, -1 for popups). */
  UINT GetMenuItemID(int nPos) const;
  /** MF_BYCOMMAND (searching popups too) or MF_BYPOSITION; MF_GRAYED / MF_ENABLED. Returns the
   *  previous state, or -1 when there is no such item. */
  UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
  UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
  /** MF_GRAYED, MF_CHECKED, MF_SEPARATOR bits of an item, -1 when missing. */
  UINT GetMenuState(UINT nID, UINT nFlags) const;
  /** Shows the popup at screen (x, y) (or hands it to the popup hook) and sends the chosen
   *  enabled command to pWnd's OnCmdMsg. Returns TRUE; with TPM_RETURNCMD returns the id
   *  instead of sending it. */
  BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

  HMENU GetSafeHmenu() const;
  /** A Qt menu with this menu's items (for the frame's menu bar and real popups). */
  QMenu* BuildQMenu(QWidget* parent) const;

 private:
  struct Item {
    UINT id = 0;
    std::string text;  // UTF-8
    UINT state = 0;    // MF_GRAYED | MF_CHECKED | MF_SEPARATOR
    std::unique_ptr<CMenu> popup;
  };
  Item* FindItem(UINT nID, UINT nFlags);
  const Item* FindItem(UINT nID, UINT nFlags) const;
  void LoadItems(const std::vector<afx::MenuItem>& items);

  std::vector<Item> m_items;
  bool m_bLoaded = false;
};
