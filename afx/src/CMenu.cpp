#include "afx/CMenu.h"

#include <QAction>
#include <QMenu>

#include "AfxInternal.h"
#include "afx/CWnd.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"

namespace {
constexpr UINT kPopupId = UINT(-1);
}  // namespace

CMenu::CMenu() = default;
CMenu::~CMenu() = default;

void CMenu::LoadItems(const std::vector<afx::MenuItem>& items) {
  for (const afx::MenuItem& source : items) {
    Item item;
    item.text = source.text;
    if (source.separator) {
      item.state = MF_SEPARATOR;
    } else if (!source.children.empty()) {
      item.id = kPopupId;
      item.popup = std::make_unique<CMenu>();
      item.popup->LoadItems(source.children);
      item.popup->m_bLoaded = true;
    } else {
      item.id = UINT(source.id);
      if (source.checked) item.state |= MF_CHECKED;
    }
    m_items.push_back(std::move(item));
  }
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
  const afx::MenuResource* res = afx::FindMenu(int(nIDResource));
  if (!res || m_bLoaded) return FALSE;
  // A menu resource's top level is its popups.
  for (const afx::MenuItem& popup : res->popups) {
    Item item;
    item.id = kPopupId;
    item.text = popup.text;
    item.popup = std::make_unique<CMenu>();
    item.popup->LoadItems(popup.children);
    item.popup->m_bLoaded = true;
    m_items.push_back(std::move(item));
  }
  m_bLoaded = true;
  return TRUE;
}

BOOL CMenu::DestroyMenu() {
  if (!m_bLoaded) return FALSE;
  m_items.clear();
  m_bLoaded = false;
  return TRUE;
}

CMenu* CMenu::GetSubMenu(int nPos) const {
  if (nPos < 0 || nPos >= int(m_items.size())) return nullptr;
  return m_items[size_t(nPos)].popup.get();
}

UINT CMenu::GetMenuItemCount() const { return m_bLoaded ? UINT(m_items.size()) : UINT(-1); }

UINT CMenu::GetMenuItemID(int nPos) const {
  if (nPos < 0 || nPos >= int(m_items.size())) return UINT(-1);
  const Item& item = m_items[size_t(nPos)];
  return (item.state & MF_SEPARATOR) ? 0 : item.id;
}

CMenu::Item* CMenu::FindItem(UINT nID, UINT nFlags) {
  return const_cast<Item*>(static_cast<const CMenu*>(this)->FindItem(nID, nFlags));
}

const CMenu::Item* CMenu::FindItem(UINT nID, UINT nFlags) const {
  if (nFlags & MF_BYPOSITION) return nID < m_items.size() ? &m_items[nID] : nullptr;
  for (const Item& item : m_items) {
    if (item.popup) {
      if (const Item* found = item.popup->FindItem(nID, nFlags)) return found;
    } else if (!(item.state & MF_SEPARATOR) && item.id == nID) {
      return &item;
    }
  }
  return nullptr;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
  Item* item = FindItem(nIDEnableItem, nEnable);
  if (!item) return UINT(-1);
  const UINT previous = item->state & (MF_GRAYED | MF_DISABLED);
  item->state = (item->state & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) {
  Item* item = FindItem(nIDCheckItem, nCheck);
  if (!item) return UINT(-1);
  const UINT previous = item->state & MF_CHECKED;
  item->state = (item->state & ~MF_CHECKED) | (nCheck & MF_CHECKED);
  return previous;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
  const Item* item = FindItem(nID, nFlags);
  if (!item) return UINT(-1);
  return item->popup ? (MF_POPUP | (UINT(item->popup->m_items.size()) << 8)) : item->state;
}

HMENU CMenu::GetSafeHmenu() const {
  return m_bLoaded ? reinterpret_cast<HMENU>(const_cast<CMenu*>(this)) : nullptr;
}

QMenu* CMenu::BuildQMenu(QWidget* parent) const {
  auto* menu = new QMenu(parent);
  for (const Item& item : m_items) {
    const QString text = afx::ToQString(afx::Cp932(item.text));
    if (item.state & MF_SEPARATOR) {
      menu->addSeparator();
    } else if (item.popup) {
      QMenu* sub = item.popup->BuildQMenu(menu);
      sub->setTitle(text);
      menu->addMenu(sub);
    } else {
      QAction* action = menu->addAction(text);
      action->setObjectName(QString::number(item.id));
      action->setData(item.id);
      action->setEnabled(!(item.state & (MF_GRAYED | MF_DISABLED)));
      if (item.state & MF_CHECKED) {
        action->setCheckable(true);
        action->setChecked(true);
      }
    }
  }
  return menu;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT) {
  UINT chosen = 0;
  if (const afx::PopupMenuHook& hook = afx::detail::GetPopupMenuHook()) {
    chosen = hook(*this, x, y);
    // Only an item that exists and is enabled can be chosen.
    const Item* item = chosen ? FindItem(chosen, MF_BYCOMMAND) : nullptr;
    if (!item || (item->state & (MF_GRAYED | MF_DISABLED))) chosen = 0;
  } else {
    std::unique_ptr<QMenu> menu(BuildQMenu(pWnd ? pWnd->GetWidget() : nullptr));
    if (QAction* action = menu->exec(QPoint(x, y))) chosen = action->data().toUInt();
  }
  if (nFlags & TPM_RETURNCMD) return BOOL(chosen);
  if (chosen && pWnd) pWnd->SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}
