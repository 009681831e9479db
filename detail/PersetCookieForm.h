// The form of one cookie variable: domain, path, name, value, both time stamps and the ten flag
// check boxes. Every change is stored at once and marks the variable and its entry.
#pragma once

#include "afx/Afx.h"

class PersetCookie;
class CLeftView;

class CPersetCookieForm : public CDialog {
 public:
  explicit CPersetCookieForm(CWnd* pParent = nullptr);
  ~CPersetCookieForm() override;

  BOOL OnInitDialog() override;

  /** Binds the form to a variable and fills it. Filling is never an edit. */
  void SetPersetCookie(PersetCookie* variable, CLeftView* tree, HTREEITEM item);

  PersetCookie* GetPersetCookie() const { return m_pCookie; }
  /** True while a dialog opened from this form is up: the form must keep its variable. */
  bool IsBusy() const { return m_nBusy > 0; }

 protected:
  void MarkModified();
  /** Stores the box's check into its bit (from the flag table) and marks the variable. */
  void ClickFlag(int id);
  void ChangeText(int id, CString PersetCookie::*field);
  void EditTime(int id, CString PersetCookie::*field);
  void EditEncoded(int editId, CString PersetCookie::*field);

  void OnSetFocusExpire();
  void OnSetFocusLastModify();
  void OnEditName();
  void OnEditValue();
  void OnRestricted();
  void OnThirdParty();
  void OnPrompt();
  void OnEvaluateP3P();
  void OnIE6();
  void OnSession();
  void OnLegacy();
  void OnSecure();
  void OnApplyP3P();
  void OnEnableP3P();
  void OnChangeValue();
  void OnChangeDomain();
  void OnChangeName();

  PersetCookie* m_pCookie = nullptr;
  CLeftView* m_pTree = nullptr;
  HTREEITEM m_hItem = nullptr;
  int m_nBusy = 0;

  DECLARE_MESSAGE_MAP()
};
