#include "TreeLabelWidths.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

namespace afx::detail {

void TreeLabelWidths::Reset(const QFont& font) {
  m_metrics.emplace(font);
  m_pages.clear();
  m_levels.clear();
}

float TreeLabelWidths::Advance(char16_t unit) {
  if (m_pages.empty()) m_pages.resize(256);
  std::unique_ptr<Page>& page = m_pages[unit >> 8];
  if (!page) {
    page = std::make_unique<Page>();
    page->fill(-1.0f);
  }
  float& advance = (*page)[unit & 0xFF];
  if (advance < 0) advance = float(m_metrics->horizontalAdvance(QChar(unit)));
  return advance;
}

int TreeLabelWidths::Measure(const QString& text) {
  if (!m_metrics) return 0;
  // Shaping a whole label costs microseconds, and a rebuild measures 100,000 of them; a sum of
  // remembered advances costs a few nanoseconds a character. Text outside the BMP (which code
  // page 932 never gives) is shaped as a whole.
  double sum = 0;
  for (const QChar c : text) {
    if (c.isSurrogate()) return int(std::ceil(m_metrics->horizontalAdvance(text)));
    sum += Advance(c.unicode());
  }
  return int(std::ceil(sum));
}

bool TreeLabelWidths::Add(int depth, int width) {
  if (depth < 0) return false;
  if (size_t(depth) >= m_levels.size()) m_levels.resize(size_t(depth) + 1);
  std::map<int, int>& level = m_levels[size_t(depth)];
  const bool widest = level.empty() || width >= level.rbegin()->first;
  ++level[width];
  return widest;
}

bool TreeLabelWidths::Remove(int depth, int width) {
  if (depth < 0 || size_t(depth) >= m_levels.size()) return false;
  std::map<int, int>& level = m_levels[size_t(depth)];
  const auto it = level.find(width);
  if (it == level.end()) return false;
  if (--it->second > 0) return false;
  const bool widest = std::next(it) == level.end();
  level.erase(it);
  return widest;
}

void TreeLabelWidths::Clear() { m_levels.clear(); }

int TreeLabelWidths::Widest(int indentation) const {
  int widest = 0;
  for (size_t depth = 0; depth < m_levels.size(); ++depth) {
    if (!m_levels[depth].empty())
      widest = std::max(widest, int(depth) * indentation + m_levels[depth].rbegin()->first);
  }
  return widest;
}

bool TreeLabelWidths::FitColumn(QTreeWidget* tree) {
  if (!tree || !m_metrics) return false;
  QHeaderView* header = tree->header();
  int width = 0;
  if (QTreeWidgetItem* first = tree->topLevelItem(0)) {
    // What the view puts around a label (icon, spacing, margins), read from one item as the
    // view lays it out; it is the same for every item.
    const int hint = tree->sizeHintForIndex(tree->indexFromItem(first)).width();
    const int around = hint - int(std::ceil(m_metrics->horizontalAdvance(first->text(0))));
    const int indentation = tree->indentation();
    width = (tree->rootIsDecorated() ? indentation : 0) + std::max(around, 0) + Widest(indentation);
    width = std::min(width, header->maximumSectionSize());
  }
  if (width == m_nFitted) return false;
  m_nFitted = width;
  // The column stretches over the pane and is never narrower than its minimum; the resize
  // lets a smaller minimum take effect (the stretch then fills the pane again).
  header->setMinimumSectionSize(width > 0 ? width : -1);
  header->resizeSection(0, header->minimumSectionSize());
  return true;
}

}  // namespace afx::detail
