// A dialog built from a registered DialogTemplate: modeless (Create, e.g. a child form of a view)
// or modal (DoModal). Controls are created in template order (= tab order) with objectName = id,
// positions converted from dialog units with the template font's base units. Enter presses the
// default button, Esc is IDCANCEL. IDOK and IDCANCEL reach OnOK/OnCancel through the table.
#pragma once

#include <memory>
#include <vector>

#include "afx/CDataExchange.h"
#include "afx/CWnd.h"
#include "afx/ResourceTypes.h"

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  CDialog();
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  /** Modeless creation from template nIDTemplate as a child of pParentWnd (or a top-level window
   *  for popup templates); runs OnInitDialog. Visible only when the template has WS_VISIBLE. */
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  /** Runs the dialog modally and returns the EndDialog result (IDOK, IDCANCEL, ...), -1 when the
   *  template is missing. With a modal hook set (afx::SetModalHook) no event loop runs: the dialog
   *  is built, OnInitDialog runs, the hook drives it; a dialog the hook left open is cancelled. */
  virtual INT_PTR DoModal();

  /** Default: UpdateData(FALSE), then TRUE (the framework focuses the first tab stop). */
  virtual BOOL OnInitDialog();
  /** Default: UpdateData(TRUE), then EndDialog(IDOK) when it succeeded. */
  virtual void OnOK();
  /** Default: EndDialog(IDCANCEL). */
  virtual void OnCancel();
  /** Ends a modal dialog with nResult (hides a modeless one). */
  void EndDialog(int nResult);
  /** Runs DoDataExchange; FALSE when validation failed. */
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  /** Calls the DDX_/DDV_ functions; the default does nothing. */
  virtual void DoDataExchange(CDataExchange* pDX);

  /** Moves the focus to a control. */
  void GotoDlgCtrl(CWnd* pWndCtrl);

  /** Whether EndDialog was called since DoModal started, and with what. */
  bool IsEnded() const { return m_bEnded; }
  int GetEndResult() const { return m_nModalResult; }
  /** The template this dialog was built from (null before creation). */
  const afx::DialogTemplate* GetTemplate() const { return m_pTemplate; }
  /** The controls' windows in template order (static ones included). */
  const std::vector<CWnd*>& GetControls() const { return m_controls; }

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;
  /** Builds the window and its controls; modal marks a top-level QDialog. */
  BOOL CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd, bool modal);

 private:
  void BuildControls(QWidget* page);
  void FocusFirstTabStop();

  const afx::DialogTemplate* m_pTemplate = nullptr;
  std::vector<std::unique_ptr<CWnd>> m_ownedControls;
  std::vector<CWnd*> m_controls;
  bool m_bModal = false;
  bool m_bEnded = false;
  int m_nModalResult = -1;

  friend class CDialogAccess;

  DECLARE_MESSAGE_MAP()
};
