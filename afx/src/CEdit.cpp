#include "afx/CEdit.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "ControlWidgets.h"
#include "WndClasses.h"
#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CEdit, CWnd)

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CWnd::Create(nullptr, nullptr, dwStyle, rect, pParentWnd, nID);
}

QWidget* CEdit::CreateWidget(QWidget* parent, const CREATESTRUCT& cs) {
  return afx::detail::MakeEdit(parent, uint32_t(cs.style));
}

BOOL CEdit::GetModify() const { return afx::detail::EditGetModify(m_pWidget); }

void CEdit::SetModify(BOOL bModified) { afx::detail::EditSetModify(m_pWidget, bModified); }

BOOL CEdit::SetReadOnly(BOOL bReadOnly) {
  if (bReadOnly)
    m_dwStyle |= ES_READONLY;
  else
    m_dwStyle &= ~ES_READONLY;
  return afx::detail::EditSetReadOnly(m_pWidget, bReadOnly);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL) {
  afx::detail::EditSetSel(m_pWidget, nStartChar, nEndChar);
}

void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL) {
  const QString text = afx::ToQString(CString(lpszNewText ? lpszNewText : ""));
  if (auto* line = qobject_cast<QLineEdit*>(m_pWidget)) {
    line->insert(text);
    line->setModified(true);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(m_pWidget)) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain->insertPlainText(t);
    plain->document()->setModified(true);
  }
}

int CEdit::GetLineCount() const {
  if (auto* plain = qobject_cast<QPlainTextEdit*>(m_pWidget))
    return plain->document()->blockCount();
  return m_pWidget ? 1 : 0;
}
