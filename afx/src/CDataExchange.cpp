#include "afx/CDataExchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QRadioButton>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "ControlWidgets.h"
#include "afx/AfxFunctions.h"
#include "afx/CDialog.h"
#include "afx/Text.h"

namespace {

// The framework's validation messages.
constexpr char kParseUInt[] = "符号なし整数を入力してください。";
constexpr char kParseInt[] = "整数を入力してください。";
constexpr char kRangeInt[] = "%1 から %2 までの整数を入力してください。";
constexpr char kMaxChars[] = "%1 文字以内で入力してください。";

void Report(const std::string& utf8) {
  AfxMessageBox(afx::Cp932(utf8), MB_OK | MB_ICONEXCLAMATION);
}

std::string Replace(std::string text, const std::string& first, const std::string& second) {
  text.replace(text.find("%1"), 2, first);
  if (const auto at = text.find("%2"); at != std::string::npos) text.replace(at, 2, second);
  return text;
}

// A number as the framework reads an edit: leading blanks, then digits (a sign only when
// signed), then nothing else. An empty text reads as 0. Values beyond 32 bits saturate, as the
// 32-bit C runtime does, so that range checks reject them.
bool ScanNumber(const CString& text, bool isSigned, long long& value) {
  const char* p = text.GetString();
  while (*p == ' ' || *p == '\t') ++p;
  if (!isSigned && *p == '-') return false;
  char* end = nullptr;
  errno = 0;
  if (isSigned) {
    long long v = std::strtoll(p, &end, 10);
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    value = v;
  } else {
    unsigned long long v = std::strtoull(p, &end, 10);
    if (v > UINT32_MAX || errno == ERANGE) v = UINT32_MAX;
    value = static_cast<long long>(v);
  }
  return *end == '\0';
}

QAbstractButton* Button(CWnd* w) {
  return w ? qobject_cast<QAbstractButton*>(w->GetWidget()) : nullptr;
}

}  // namespace

CWnd* CDataExchange::PrepareCtrl(int nIDC) {
  m_idLastControl = nIDC;
  m_bEditLastControl = FALSE;
  return m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
}

CWnd* CDataExchange::PrepareEditCtrl(int nIDC) {
  CWnd* w = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return w;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_pDlgWnd) {
    if (CWnd* control = m_pDlgWnd->GetDlgItem(m_idLastControl)) {
      if (auto* dialog = dynamic_cast<CDialog*>(m_pDlgWnd))
        dialog->GotoDlgCtrl(control);
      else
        control->SetFocus();
      if (m_bEditLastControl) control->SendMessage(EM_SETSEL, 0, -1);
    }
  }
  throw CUserException();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  CWnd* w = pDX->PrepareEditCtrl(nIDC);
  if (!w) return;
  if (pDX->m_bSaveAndValidate)
    w->GetWindowText(value);
  else
    w->SetWindowText(value);
}

namespace {

// Numbers go through the edit's text; a text that is not a number of the kind stops the exchange.
template <typename Number>
void ExchangeNumber(CDataExchange* pDX, int nIDC, Number& value, bool isSigned,
                    const char* parseMessage) {
  CWnd* w = pDX->PrepareEditCtrl(nIDC);
  if (!w) return;
  if (pDX->m_bSaveAndValidate) {
    CString text;
    w->GetWindowText(text);
    long long v = 0;
    if (!ScanNumber(text, isSigned, v)) {
      Report(parseMessage);
      pDX->Fail();
    }
    value = Number(v);
  } else {
    w->SetWindowText(std::to_string(value).c_str());
  }
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  ExchangeNumber(pDX, nIDC, value, false, kParseUInt);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  ExchangeNumber(pDX, nIDC, value, true, kParseInt);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  QAbstractButton* button = Button(pDX->PrepareCtrl(nIDC));
  if (!button) return;
  if (pDX->m_bSaveAndValidate)
    value = button->isChecked() ? 1 : 0;
  else
    afx::detail::ButtonSetCheck(button, value == 1);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  pDX->PrepareCtrl(nIDC);
  auto* dialog = dynamic_cast<CDialog*>(pDX->m_pDlgWnd);
  if (!dialog || !dialog->GetTemplate()) return;
  const auto& items = dialog->GetTemplate()->items;
  const auto& controls = dialog->GetControls();
  size_t i = 0;
  while (i < items.size() && items[i].id != nIDC) ++i;
  if (i == items.size()) return;
  if (pDX->m_bSaveAndValidate) value = -1;
  int index = 0;
  for (size_t k = i; k < items.size() && k < controls.size(); ++k) {
    if (k > i && (items[k].style & WS_GROUP)) break;
    auto* radio = qobject_cast<QRadioButton*>(controls[k]->GetWidget());
    if (!radio) continue;
    if (pDX->m_bSaveAndValidate) {
      if (radio->isChecked()) value = index;
    } else {
      afx::detail::ButtonSetCheck(radio, index == value);
    }
    ++index;
  }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  CWnd* w = pDX->PrepareCtrl(nIDC);
  auto* combo = w ? qobject_cast<QComboBox*>(w->GetWidget()) : nullptr;
  if (!combo) return;
  if (pDX->m_bSaveAndValidate)
    index = combo->currentIndex();
  else
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.GetWidget()) return;
  pDX->PrepareCtrl(nIDC);
  rControl.SubclassDlgItem(UINT(nIDC), pDX->m_pDlgWnd);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  Report(Replace(kRangeInt, std::to_string(minVal), std::to_string(maxVal)));
  pDX->Fail();
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  Report(Replace(kRangeInt, std::to_string(minVal), std::to_string(maxVal)));
  pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (!pDX->m_bSaveAndValidate || value.GetLength() <= nChars) return;
  Report(Replace(kMaxChars, std::to_string(nChars), ""));
  pDX->Fail();
}
