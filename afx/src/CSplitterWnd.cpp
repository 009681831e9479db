#include "afx/CSplitterWnd.h"

#include <QSplitter>

#include "afx/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID) {
  if (nRows < 1 || nCols < 1 || (nRows > 1 && nCols > 1) || !pParentWnd) return FALSE;
  m_nRows = nRows;
  m_nCols = nCols;
  const int panes = nRows * nCols;
  m_panes.assign(size_t(panes), nullptr);
  m_ideal.assign(size_t(panes), 0);
  m_min.assign(size_t(panes), 0);
  if (!CWnd::Create(nullptr, nullptr, dwStyle, CRect(), pParentWnd, nID)) return FALSE;
  if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(pParentWnd)) frame->RecalcLayout();
  return TRUE;
}

QWidget* CSplitterWnd::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  auto* splitter = new QSplitter(m_nCols > 1 ? Qt::Horizontal : Qt::Vertical, parent);
  splitter->setChildrenCollapsible(false);
  return splitter;
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit,
                              CCreateContext* pContext) {
  auto* splitter = qobject_cast<QSplitter*>(m_pWidget);
  if (!splitter || row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || !pViewClass)
    return FALSE;
  const size_t index = size_t(m_nCols > 1 ? col : row);
  if (m_panes[index]) return FALSE;
  CObject* object = pViewClass->CreateObject();
  auto* view = dynamic_cast<CWnd*>(object);
  if (!view) {
    delete object;
    return FALSE;
  }
  if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, sizeInit.cx, sizeInit.cy),
                    this, UINT(IdFromRowCol(row, col)), pContext))
    return FALSE;  // the view has deleted itself
  int position = 0;
  for (size_t i = 0; i < index; ++i)
    if (m_panes[i]) ++position;
  splitter->insertWidget(position, view->GetWidget());
  // The last pane takes what the others leave, as the panes of a static splitter do.
  for (int i = 0; i < splitter->count(); ++i)
    splitter->setStretchFactor(i, i == splitter->count() - 1 ? 1 : 0);
  m_panes[index] = view;
  m_ideal[index] = m_nCols > 1 ? sizeInit.cx : sizeInit.cy;
  return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
  if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols) return nullptr;
  return m_panes[size_t(m_nCols > 1 ? col : row)];
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) {
  if (m_nCols <= 1 || col < 0 || col >= m_nCols) return;
  m_ideal[size_t(col)] = cxIdeal;
  m_min[size_t(col)] = cxMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const {
  cxCur = cxMin = 0;
  auto* splitter = qobject_cast<QSplitter*>(m_pWidget);
  if (!splitter || m_nCols <= 1 || col < 0 || col >= m_nCols) return;
  const QList<int> sizes = splitter->sizes();
  cxCur = col < sizes.size() ? sizes[col] : 0;
  cxMin = m_min[size_t(col)];
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin) {
  if (m_nRows <= 1 || row < 0 || row >= m_nRows) return;
  m_ideal[size_t(row)] = cyIdeal;
  m_min[size_t(row)] = cyMin;
}

void CSplitterWnd::RecalcLayout() {
  auto* splitter = qobject_cast<QSplitter*>(m_pWidget);
  if (!splitter || splitter->count() == 0) return;
  if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();  // the splitter gets its size
  const int total = (m_nCols > 1 ? splitter->width() : splitter->height()) -
                    splitter->handleWidth() * (splitter->count() - 1);
  QList<int> sizes;
  int used = 0;
  for (int i = 0; i + 1 < splitter->count(); ++i) {
    // A pane may shrink to its column's minimum, below what its widget would ask for; Qt reads
    // a minimum of 0 as "none set", so 1 pixel stands for 0.
    QWidget* pane = splitter->widget(i);
    if (m_nCols > 1)
      pane->setMinimumWidth(std::max(1, m_min[size_t(i)]));
    else
      pane->setMinimumHeight(std::max(1, m_min[size_t(i)]));
    const int size = std::max(m_ideal[size_t(i)], m_min[size_t(i)]);
    sizes << size;
    used += size;
  }
  sizes << std::max(0, total - used);
  splitter->setSizes(sizes);
}
