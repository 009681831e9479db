#include "afx/CDocument.h"

#include <algorithm>

#include "afx/CDocTemplate.h"
#include "afx/CFrameWnd.h"
#include "afx/CView.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
  for (CView* view : m_viewList) view->m_pDocument = nullptr;
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle) {
  m_strTitle = lpszTitle;
  std::vector<CFrameWnd*> frames;
  for (CView* view : m_viewList) {
    CFrameWnd* frame = view->GetParentFrame();
    if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end()) {
      frames.push_back(frame);
      frame->OnUpdateFrameTitle(TRUE);
    }
  }
}

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL) {
  m_strPathName = lpszPathName;
  const std::string& path = m_strPathName.str();
  const size_t slash = path.find_last_of("/\\");
  SetTitle(slash == std::string::npos ? path.c_str() : path.c_str() + slash + 1);
}

BOOL CDocument::IsModified() { return m_bModified; }

void CDocument::SetModifiedFlag(BOOL bModified) { m_bModified = bModified; }

void CDocument::AddView(CView* pView) {
  if (!pView || std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end()) return;
  m_viewList.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
  const auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
  if (it == m_viewList.end()) return;
  m_viewList.erase(it);
  pView->m_pDocument = nullptr;
}

POSITION CDocument::GetFirstViewPosition() const {
  return m_viewList.empty() ? nullptr : reinterpret_cast<POSITION>(uintptr_t(1));
}

CView* CDocument::GetNextView(POSITION& rPosition) const {
  const size_t index = reinterpret_cast<uintptr_t>(rPosition) - 1;
  if (index >= m_viewList.size()) {
    rPosition = nullptr;
    return nullptr;
  }
  rPosition =
      index + 1 < m_viewList.size() ? reinterpret_cast<POSITION>(uintptr_t(index + 2)) : nullptr;
  return m_viewList[index];
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  const std::vector<CView*> views = m_viewList;  // a view may go away while others update
  for (CView* view : views) {
    if (view != pSender &&
        std::find(m_viewList.begin(), m_viewList.end(), view) != m_viewList.end())
      view->OnUpdate(pSender, lHint, pHint);
  }
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR) { return OnNewDocument(); }

void CDocument::OnCloseDocument() {
  const BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;  // stay alive while the frames go
  std::vector<CFrameWnd*> frames;
  for (CView* view : m_viewList) {
    CFrameWnd* frame = view->GetParentFrame();
    if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
      frames.push_back(frame);
  }
  for (CFrameWnd* frame : frames) frame->DestroyWindow();
  m_bAutoDelete = autoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

void CDocument::DeleteContents() {}

BOOL CDocument::SaveModified() { return TRUE; }

BOOL CDocument::CanCloseFrame(CFrameWnd*) { return SaveModified(); }
