// A document: the data its views show, the views list, title and modified flag, and its own
// command table (reached after the active view's).
#pragma once

#include <afxcore/CString.h>

#include <vector>

#include "afx/CCmdTarget.h"

class CView;
class CFrameWnd;
class CDocTemplate;

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)
 public:
  CDocument();
  ~CDocument() override;

  const CString& GetTitle() const { return m_strTitle; }
  /** Sets the title (CP932) and updates the captions of the frames showing it. */
  virtual void SetTitle(LPCTSTR lpszTitle);
  const CString& GetPathName() const { return m_strPathName; }
  virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

  virtual BOOL IsModified();
  virtual void SetModifiedFlag(BOOL bModified = TRUE);

  void AddView(CView* pView);
  void RemoveView(CView* pView);
  /** Views in the order they were added; iterate with GetNextView until the position is null. */
  virtual POSITION GetFirstViewPosition() const;
  virtual CView* GetNextView(POSITION& rPosition) const;
  /** Calls OnUpdate(pSender, lHint, pHint) on every view but pSender, in order. */
  void UpdateAllViews(CView* pSender, LPARAM lHint = 0L, CObject* pHint = nullptr);

  /** New-document step: DeleteContents, clear the modified flag; FALSE fails it. */
  virtual BOOL OnNewDocument();
  /** Opening a named document: this framework's documents have no file format, so the default
   *  makes a new document and remembers the name. */
  virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
  /** Destroys the frames showing this document, then the document when m_bAutoDelete. */
  virtual void OnCloseDocument();
  virtual void DeleteContents();
  /** Asked before the document is closed; FALSE keeps it open. Default: TRUE (no file to save). */
  virtual BOOL SaveModified();
  /** Asked before pFrame closes: SaveModified. */
  virtual BOOL CanCloseFrame(CFrameWnd* pFrame);

  BOOL m_bAutoDelete = TRUE;

 protected:
  CString m_strTitle;
  CString m_strPathName;
  BOOL m_bModified = FALSE;
  CDocTemplate* m_pDocTemplate = nullptr;
  std::vector<CView*> m_viewList;

  DECLARE_MESSAGE_MAP()

  friend class CDocTemplate;
  friend class CSingleDocTemplate;
};
