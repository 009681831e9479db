// Document templates: which document, frame and view classes make up a document window, and the
// shared resource id (menu, accelerators, tool bar, icon, document string).
#pragma once

#include <afxcore/CString.h>

#include "afx/CCmdTarget.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget {
 public:
  enum DocStringIndex {
    windowTitle,
    docName,
    fileNewName,
    filterName,
    filterExt,
    regFileTypeId,
    regFileTypeName
  };

  CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
               const CRuntimeClass* pViewClass);
  ~CDocTemplate() override;

  /** One field of the document string (string nIDResource, fields separated by '\n'); CP932. */
  BOOL GetDocString(CString& rString, DocStringIndex index) const;
  virtual CDocument* CreateNewDocument();
  /** Creates the frame (LoadFrame with the template's resources) and its views for pDoc. */
  virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
  /** Runs every view's OnInitialUpdate (pane order), makes a view active and shows the frame. */
  virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
  /** Null name: a new document; otherwise opens it. Returns the document or null on failure. */
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
  virtual POSITION GetFirstDocPosition() const = 0;
  virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;
  virtual void RemoveDocument(CDocument* pDoc);

  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
};

/** One document at a time: a new document reuses the open one (OnNewDocument again). */
class CSingleDocTemplate : public CDocTemplate {
 public:
  CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                     const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass);
  ~CSingleDocTemplate() override;

  CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
  POSITION GetFirstDocPosition() const override;
  CDocument* GetNextDoc(POSITION& rPos) const override;
  void RemoveDocument(CDocument* pDoc) override;

 private:
  CDocument* m_pOnlyDoc = nullptr;
};
