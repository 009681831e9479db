#include "afx/CDocTemplate.h"

#include "afx/AfxFunctions.h"
#include "afx/CCreateContext.h"
#include "afx/CDocument.h"
#include "afx/CFrameWnd.h"
#include "afx/CView.h"
#include "afx/CWinApp.h"
#include "afx/Text.h"

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                           const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource),
      m_pDocClass(pDocClass),
      m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass) {}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
  rString.Empty();
  const CString all = AfxLoadString(m_nIDResource);
  const std::string& s = all.str();
  size_t start = 0;
  for (int i = 0; i < int(index); ++i) {
    start = s.find('\n', start);
    if (start == std::string::npos) return FALSE;
    ++start;
  }
  const size_t end = s.find('\n', start);
  rString = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return !rString.IsEmpty();
}

CDocument* CDocTemplate::CreateNewDocument() {
  if (!m_pDocClass) return nullptr;
  CObject* object = m_pDocClass->CreateObject();
  auto* doc = dynamic_cast<CDocument*>(object);
  if (!doc) {
    delete object;
    return nullptr;
  }
  doc->m_pDocTemplate = this;
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd*) {
  if (!m_pFrameClass) return nullptr;
  CObject* object = m_pFrameClass->CreateObject();
  auto* frame = dynamic_cast<CFrameWnd*>(object);
  if (!frame) {
    delete object;
    return nullptr;
  }
  CCreateContext context;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewDocTemplate = this;
  context.m_pCurrentFrame = frame;
  // On failure the frame has deleted itself.
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
    return nullptr;
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  std::vector<CView*> views;
  if (pDoc) {
    for (POSITION pos = pDoc->GetFirstViewPosition(); pos;) {
      CView* view = pDoc->GetNextView(pos);
      if (view->GetParentFrame() == pFrame) views.push_back(view);
    }
  }
  if (!pFrame->GetActiveView() && !views.empty()) pFrame->SetActiveView(views.front(), FALSE);
  for (CView* view : views) view->OnInitialUpdate();
  if (bMakeVisible) pFrame->ShowWindow(SW_SHOW);
  pFrame->OnUpdateFrameTitle(TRUE);
}

void CDocTemplate::RemoveDocument(CDocument*) {}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                                       const CRuntimeClass* pFrameClass,
                                       const CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
  // The document may outlive the template only as a leak; close it with the template.
  if (m_pOnlyDoc) {
    CDocument* doc = m_pOnlyDoc;
    m_pOnlyDoc = nullptr;
    doc->m_pDocTemplate = nullptr;
    if (doc->m_bAutoDelete) delete doc;
  }
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible) {
  CDocument* doc = m_pOnlyDoc;
  bool created = false;
  CFrameWnd* frame = nullptr;
  if (doc) {
    if (!doc->SaveModified()) return nullptr;
    POSITION pos = doc->GetFirstViewPosition();
    if (pos) frame = doc->GetNextView(pos)->GetParentFrame();
  } else {
    doc = CreateNewDocument();
    if (!doc) return nullptr;
    m_pOnlyDoc = doc;
    created = true;
  }
  if (!frame) {
    frame = CreateNewFrame(doc, nullptr);
    if (!frame) {
      if (created) delete doc;  // clears m_pOnlyDoc through RemoveDocument
      return nullptr;
    }
  }
  BOOL ok;
  if (!lpszPathName) {
    CString title;
    if (!GetDocString(title, fileNewName)) title = afx::Cp932("無題");
    doc->SetTitle(title);
    ok = doc->OnNewDocument();
  } else {
    ok = doc->OnOpenDocument(lpszPathName);
    if (ok) doc->SetPathName(lpszPathName);
  }
  if (!ok) {
    if (created) {
      doc->m_bAutoDelete = FALSE;
      frame->DestroyWindow();
      delete doc;
    }
    return nullptr;
  }
  CWinApp* app = AfxGetApp();
  if (created && app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  InitialUpdateFrame(frame, doc, bMakeVisible);
  return doc;
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const {
  return m_pOnlyDoc ? reinterpret_cast<POSITION>(uintptr_t(1)) : nullptr;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
  CDocument* doc = rPos ? m_pOnlyDoc : nullptr;
  rPos = nullptr;
  return doc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
  if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr;
}
