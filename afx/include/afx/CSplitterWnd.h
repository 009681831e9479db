// A static splitter over QSplitter: rows x columns of panes, each a view made by CreateView.
// Only one row or one column is supported (the program uses 1 x 2).
#pragma once

#include <vector>

#include "afx/CWnd.h"

struct CCreateContext;

class CSplitterWnd : public CWnd {
  DECLARE_DYNAMIC(CSplitterWnd)
 public:
  CSplitterWnd() = default;
  ~CSplitterWnd() override;

  /** Creates the splitter filling pParentWnd's client area; FALSE for more than one row and
   *  column at once, or no pane. */
  BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                    UINT nID = AFX_IDW_PANE_FIRST);
  /** Creates the pane at (row, col) as an object of pViewClass (which must be a CWnd) with an
   *  initial size; the view joins the document of pContext. */
  BOOL CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit,
                  CCreateContext* pContext);
  CWnd* GetPane(int row, int col) const;
  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  /** Ideal and minimum width of a column, applied by RecalcLayout. */
  void SetColumnInfo(int col, int cxIdeal, int cxMin);
  void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
  void SetRowInfo(int row, int cyIdeal, int cyMin);
  /** Gives the columns (rows) their ideal sizes; the last one takes the rest. */
  void RecalcLayout();
  /** The pane id of (row, col): AFX_IDW_PANE_FIRST + row * 16 + col. */
  int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;

 private:
  int m_nRows = 0;
  int m_nCols = 0;
  std::vector<CWnd*> m_panes;
  std::vector<int> m_ideal, m_min;
};
