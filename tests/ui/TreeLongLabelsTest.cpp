// Labels wider than the tree pane: each is shown whole (never cut short with an ellipsis), the
// tree scrolls sideways as far as the widest one reaches, and no further, as labels are typed,
// deleted and rebuilt.
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <functional>

#include "TreeHelpers.h"
#include "detail/PersetCookieForm.h"

namespace tolvane::test {
namespace {

const std::string kLongSite = [] {
  std::string site = "long";
  for (int i = 0; i < 12; ++i) site += ".label" + std::to_string(i);
  return site + ".example.com/";
}();
const std::string kLongName = [] {
  std::string name;
  for (int i = 0; i < 4; ++i) name += "とても長いクッキーの名前";
  return name;
}();

class TreeLongLabels : public TreeFixture {
 protected:
  void FillStore() override {
    // The pane is narrow: short labels are a few letters.
    AddSite("a.jp/", CookieRecord("alpha", "1", "a.jp/"));
    AddSite(kLongSite, CookieRecord("beta", "2", kLongSite));
    AddSite("c.jp/", CookieRecord(Sjis(kLongName), "3", "c.jp/") + CookieRecord("g", "4", "c.jp/"));
  }

  QTreeWidget* Widget() const { return TreeCtrl().GetTreeWidget(); }

  /** Where the label of each item ends, from the column's start, drawn whole. */
  int LabelEnd(QTreeWidgetItem* item) const {
    QTreeWidget* tree = Widget();
    return tree->visualItemRect(item).left() + tree->header()->offset() +
           tree->sizeHintForIndex(tree->indexFromItem(item)).width();
  }

  /** Every label fits its row; the column reaches the widest label's end, or the pane's edge
   *  when that is further, with no more than a few pixels beyond it. Returns the widest end. */
  int ExpectWholeLabelsInAColumnOfTheirWidth() const {
    QTreeWidget* tree = Widget();
    int widest = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
      SCOPED_TRACE(Utf8(afx::FromQString((*it)->text(0)).str()));
      const QRect row = tree->visualItemRect(*it);
      EXPECT_GE(row.width(), tree->sizeHintForIndex(tree->indexFromItem(*it)).width());
      widest = std::max(widest, LabelEnd(*it));
    }
    const int column = tree->header()->sectionSize(0);
    const int pane = tree->viewport()->width();
    EXPECT_GE(column, std::max(widest, pane));
    EXPECT_LE(column, std::max(widest + 24, pane));
    EXPECT_EQ(tree->horizontalScrollBar()->maximum(), column - pane);
    return widest;
  }

  /** Types text at the end of a field of the first variable's form (the one selected). */
  void TypeIntoName(const std::string& path, const QString& text) {
    Select(path);
    Pump();
    auto* name =
        qobject_cast<QLineEdit*>(Detail()->GetCookieForm(0)->GetDlgItem(IDC_NAME)->GetWidget());
    ASSERT_NE(name, nullptr);
    name->setFocus();
    name->end(false);
    QTest::keyClicks(name, text);
  }
};

TEST_F(TreeLongLabels, LabelsAreWholeAndTheTreeScrollsSidewaysToTheWidest) {
  const QString typed = QString(80, QLatin1Char('W'));
  const struct {
    const char* step;
    std::function<void()> act;
    bool scrolls;
    bool widens = false;
  } steps[] = {
      {"start", [] {}, true},
      {"a name typed wider than any label", [&] { TypeIntoName("a.jp/ alpha", typed); }, true,
       true},
      {"the long name deleted",
       [&] {
         Select("c.jp/ " + kLongName);
         ContextCommand(ID_DELETE_ITEM);
       },
       true},
      {"the long site deleted",
       [&] {
         Select(kLongSite);
         Answer({IDYES});
         Command(ID_DELETE_ITEM);
       },
       true},
      {"the typed name deleted",
       [&] {
         Select("a.jp/ alpha" + typed.toStdString());
         ContextCommand(ID_DELETE_ITEM);
       },
       false},
      {"reloaded from the store, where the long name is kept",
       [&] {
         Answer({IDYES});  // the deletion of the variable is discarded
         ASSERT_TRUE(Run(ID_FILE_NEW));
       },
       true},
  };
  int widest = 0;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.act();
    Pump();
    const int previous = widest;
    widest = ExpectWholeLabelsInAColumnOfTheirWidth();
    EXPECT_EQ(Widget()->horizontalScrollBar()->maximum() > 0, s.scrolls);
    if (s.widens) {
      EXPECT_GT(widest, previous);
    }
  }
}

TEST_F(TreeLongLabels, ScrolledSidewaysTheLongestLabelEndsInSightAndMovingStaysThere) {
  Pump();
  QTreeWidget* tree = Widget();
  QScrollBar* bar = tree->horizontalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  bar->setValue(bar->maximum());
  QTreeWidgetItem* site = CTreeCtrl::ItemFromHandle(Item(kLongSite));
  const QRect row = tree->visualItemRect(site);
  EXPECT_LT(row.left(), 0);  // its start has scrolled out of sight
  EXPECT_LE(row.left() + tree->sizeHintForIndex(tree->indexFromItem(site)).width(),
            tree->viewport()->width());

  // Going from item to item scrolls up and down only, as the tree control does.
  const struct {
    const char* how;
    std::function<void()> move;
    std::string selected;
  } moves[] = {
      {"selected by the program", [&] { Select("c.jp/ g"); }, "c.jp/ g"},
      {"arrow key", [&] { QTest::keyClick(tree, Qt::Key_Up); }, "c.jp/ " + kLongName},
      {"click",
       [&] {
         const QRect a = tree->visualItemRect(CTreeCtrl::ItemFromHandle(Item("a.jp/")));
         QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                           QPoint(a.right() - 4, a.center().y()));
       },
       "a.jp/"},
  };
  for (const auto& m : moves) {
    SCOPED_TRACE(m.how);
    m.move();
    Pump();
    EXPECT_EQ(PathOf(TreeCtrl().GetSelectedItem()), m.selected);
    EXPECT_EQ(bar->value(), bar->maximum());
  }
}

}  // namespace
}  // namespace tolvane::test
