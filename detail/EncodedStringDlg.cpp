#include "detail/EncodedStringDlg.h"

#include <string>

#include "codec/Mbcs.h"
#include "codec/Percent.h"
#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CEncodedStringDlg, CDialog)
ON_BN_CLICKED(IDC_ENCODING_7BIT, OnEncoding7Bit)
ON_BN_CLICKED(IDC_ENCODING_EUC, OnEncodingEuc)
ON_BN_CLICKED(IDC_ENCODING_SJIS, OnEncodingSjis)
ON_BN_CLICKED(IDC_ENCODING_JIS, OnEncodingJis)
ON_BN_CLICKED(IDC_ENCODING_UTF8, OnEncodingUtf8)
END_MESSAGE_MAP()

namespace {

constexpr char kCodes[] = {' ', 'E', 'S', 'J', 'U'};  // radio order in the template

// Decoded text as the edit control shows it: a decoded zero byte ends it.
CString Decode(char code, const CString& stored) {
  std::string decoded;
  PercentDecode(code, stored, int(std::char_traits<char>::length(stored)), decoded);
  return CString(decoded.c_str());
}

CString Encode(char code, const CString& text) {
  std::string encoded;
  PercentEncode(code, text, int(std::char_traits<char>::length(text)), encoded);
  return CString(encoded.c_str());
}

}  // namespace

CEncodedStringDlg::CEncodedStringDlg(CWnd* pParent) : CDialog(IDD_ENCODED_STRING, pParent) {}

CEncodedStringDlg::~CEncodedStringDlg() = default;

int CEncodedStringDlg::IndexOfCode(char code) {
  for (int i = 0; i < int(sizeof kCodes); ++i)
    if (kCodes[i] == code) return i;
  return 0;
}

char CEncodedStringDlg::CodeOfIndex(int index) {
  return index >= 0 && index < int(sizeof kCodes) ? kCodes[index] : ' ';
}

void CEncodedStringDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ENCODED_TEXT, m_editText);
  DDX_Radio(pDX, IDC_ENCODING_7BIT, m_nEncoding);
}

BOOL CEncodedStringDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const char code = CodeOfIndex(m_nEncoding);
  const CString decoded = Decode(code, m_strText);
  m_editText.SetWindowText(decoded);
  const CString again = Encode(code, decoded);
  m_bReencodeDiffers = _mbscmp(reinterpret_cast<const unsigned char*>(again.GetString()),
                               reinterpret_cast<const unsigned char*>(m_strText.GetString())) != 0;
  return TRUE;
}

void CEncodedStringDlg::SwitchEncoding(char code) {
  if (m_editText.SendMessage(EM_GETMODIFY) != 0)
    AfxMessageBox(afx::Cp932(u8"編集が一度クリアされます"));
  m_editText.SendMessage(EM_SETMODIFY, FALSE);
  m_editText.SetWindowText(Decode(code, m_strText));
}

void CEncodedStringDlg::OnOK() {
  UpdateData(TRUE);
  if (m_bReencodeDiffers &&
      AfxMessageBox(afx::Cp932(u8"エンコードのルールが異なるので、元と同じ様にコード化されません."
                               u8"\r\n変更を有効としますか？"),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return;
  CString text;
  m_editText.GetWindowText(text);
  m_strText = Encode(CodeOfIndex(m_nEncoding), text);
  CDialog::OnOK();
}

void CEncodedStringDlg::OnEncoding7Bit() { SwitchEncoding(' '); }
void CEncodedStringDlg::OnEncodingEuc() { SwitchEncoding('E'); }
void CEncodedStringDlg::OnEncodingSjis() { SwitchEncoding('S'); }
void CEncodedStringDlg::OnEncodingJis() { SwitchEncoding('J'); }
void CEncodedStringDlg::OnEncodingUtf8() { SwitchEncoding('U'); }

int EditEncodedString(CEdit* edit, char* encoding, CWnd* parent) {
  CEncodedStringDlg dlg(parent);
  edit->GetWindowText(dlg.m_strText);
  dlg.m_nEncoding = CEncodedStringDlg::IndexOfCode(*encoding);
  if (dlg.DoModal() != IDOK) return 0;
  edit->SetWindowText(dlg.m_strText);
  edit->SendMessage(EM_SETMODIFY, TRUE);
  *encoding = CEncodedStringDlg::CodeOfIndex(dlg.m_nEncoding);
  return 1;
}
