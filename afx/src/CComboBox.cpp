#include "afx/CComboBox.h"

#include <QComboBox>

#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

namespace {
QComboBox* Combo(QWidget* w) { return qobject_cast<QComboBox*>(w); }
}  // namespace

int CComboBox::AddString(LPCTSTR lpszString) {
  QComboBox* combo = Combo(m_pWidget);
  if (!combo) return -1;
  const int current = combo->currentIndex();
  combo->addItem(afx::ToQString(CString(lpszString ? lpszString : "")));
  combo->setCurrentIndex(current);  // adding an item never selects it
  return combo->count() - 1;
}

int CComboBox::GetCount() const {
  QComboBox* combo = Combo(m_pWidget);
  return combo ? combo->count() : 0;
}

int CComboBox::GetCurSel() const {
  QComboBox* combo = Combo(m_pWidget);
  return combo ? combo->currentIndex() : -1;
}

int CComboBox::SetCurSel(int nSelect) {
  QComboBox* combo = Combo(m_pWidget);
  if (!combo) return -1;
  if (nSelect < 0 || nSelect >= combo->count()) {
    combo->setCurrentIndex(-1);
    return -1;
  }
  combo->setCurrentIndex(nSelect);
  return nSelect;
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  QComboBox* combo = Combo(m_pWidget);
  rString = combo && nIndex >= 0 && nIndex < combo->count()
                ? afx::FromQString(combo->itemText(nIndex))
                : CString();
}

void CComboBox::ResetContent() {
  if (QComboBox* combo = Combo(m_pWidget)) combo->clear();
}
