// How wide a tree control's column must be to show its widest label whole, kept up to date as
// items come, go and are renamed: each label is measured once, when it arrives or changes, and
// the widest is known without looking at the others again (a site may have 100,000 children).
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTreeWidget;

namespace afx::detail {

class TreeLabelWidths {
 public:
  /** Measures in this font from now on; forgets the widths counted, which the caller counts
   *  again. */
  void Reset(const QFont& font);
  /** A label's width in pixels: the sum of its characters' advances, which is what Qt draws
   *  or a little more (kerning only narrows). */
  int Measure(const QString& text);
  /** Counts a label at a depth (0: a root item). True when the widest label may have changed. */
  bool Add(int depth, int width);
  /** Stops counting a label added before. True when the widest label may have changed. */
  bool Remove(int depth, int width);
  void Clear();
  /** Where the widest label ends, from where root items' labels start, for an indentation per
   *  level. 0 when there is no label. */
  int Widest(int indentation) const;
  /** Sizes the tree's column to the widest label (or to the pane when that is wider), so that
   *  labels are shown whole and the tree scrolls sideways to them. True when it changed. */
  bool FitColumn(QTreeWidget* tree);

 private:
  using Page = std::array<float, 256>;
  float Advance(char16_t unit);

  std::optional<QFontMetricsF> m_metrics;
  // Advance of each UTF-16 unit met so far, by its high byte; negative: not measured yet.
  std::vector<std::unique_ptr<Page>> m_pages;
  // Per depth: label width -> how many labels have it.
  std::vector<std::map<int, int>> m_levels;
  int m_nFitted = -1;
};

}  // namespace afx::detail
