// Qt's own texts in the window are Japanese like the rest: the buttons of message boxes, and the
// export's file dialog, whose type list shows each description once and still filters by its
// pattern. Real Qt dialogs here, driven inside their own modal loops.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "UiFixture.h"
#include "res/ResourceIds.h"
#include "support/ModalWatch.h"

namespace tolvane::test {
namespace {

std::string Utf8Of(const QString& text) { return text.toStdString(); }

std::vector<std::string> ButtonTexts(const QList<QAbstractButton*>& buttons) {
  std::vector<std::string> texts;
  for (QAbstractButton* b : buttons) texts.push_back(Utf8Of(b->text()));
  std::sort(texts.begin(), texts.end());
  return texts;
}

class AppQtTexts : public UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    ASSERT_TRUE(afx::LoadQtTranslation())
        << "Qt's Japanese translation is not installed (qt6-translations-l10n)";
    afx::UseQtMessageBoxes();  // real boxes, not the fixture's answers
  }
};

TEST_F(AppQtTexts, MessageBoxButtonsAreJapanese) {
  const struct {
    UINT type;
    std::vector<std::string> buttons;  // sorted
    QMessageBox::StandardButton press;
    int answer;
  } rows[] = {
      {MB_OK, {"OK"}, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL, {"OK", "キャンセル"}, QMessageBox::Cancel, IDCANCEL},
      {MB_YESNO, {"いいえ(&N)", "はい(&Y)"}, QMessageBox::Yes, IDYES},
      {MB_YESNOCANCEL, {"いいえ(&N)", "はい(&Y)", "キャンセル"}, QMessageBox::No, IDNO},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.type);
    std::vector<std::string> shown;
    ModalWatch watch([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      shown = ButtonTexts(box->buttons());
      box->button(row.press)->click();
    });
    EXPECT_EQ(AfxMessageBox(afx::Cp932("ﾃｽﾄ"), row.type), row.answer);
    EXPECT_EQ(shown, row.buttons);
  }
}

// The whole export as a user does it: the save dialog in Japanese, its type list, a name typed
// without an extension, then the question after the export, answered No.
TEST_F(AppQtTexts, ExportAsksInJapaneseAndListsEachFileTypeOnce) {
  const std::string out = m_store->Root() + "/out";
  std::filesystem::create_directory(out);
  std::ofstream(out + "/kept.txt") << "x";
  std::ofstream(out + "/other.csv") << "x";

  std::map<std::string, std::string> labels;
  std::vector<std::string> dialogButtons, types, listedText, listedAll, boxButtons;
  std::string question;
  ModalWatch watch([&](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      question = Utf8Of(box->text());
      boxButtons = ButtonTexts(box->buttons());
      box->button(QMessageBox::No)->click();
      return;
    }
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
      labels[name] = Utf8Of(dialog->findChild<QLabel*>(name)->text());
    auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
    dialogButtons = ButtonTexts(buttons->buttons());
    auto* typeList = dialog->findChild<QComboBox*>("fileTypeCombo");
    for (int i = 0; i < typeList->count(); ++i) types.push_back(Utf8Of(typeList->itemText(i)));

    // What the folder's list shows under each type, once the file system has answered.
    auto* list = dialog->findChild<QListView*>("listView");
    auto listed = [&](size_t expected) {
      std::vector<std::string> names;
      // A wrong count shows in the names compared below.
      static_cast<void>(QTest::qWaitFor(
          [&] { return size_t(list->model()->rowCount(list->rootIndex())) == expected; }, 5000));
      for (int i = 0; i < list->model()->rowCount(list->rootIndex()); ++i)
        names.push_back(Utf8Of(list->model()->index(i, 0, list->rootIndex()).data().toString()));
      std::sort(names.begin(), names.end());
      return names;
    };
    dialog->setDirectory(QString::fromStdString(out));
    listedText = listed(1);
    dialog->selectNameFilter(dialog->nameFilters().at(1));
    listedAll = listed(2);
    dialog->selectNameFilter(dialog->nameFilters().at(0));

    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QStringLiteral("cookies"));
    for (QAbstractButton* button : buttons->buttons()) {
      if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
        QTest::mouseClick(button, Qt::LeftButton);
    }
  });
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  ASSERT_EQ(watch.Shown(), 2);

  EXPECT_EQ(labels["lookInLabel"], "アドレス:");
  EXPECT_EQ(labels["fileNameLabel"], "ファイル名(&N):");
  EXPECT_EQ(labels["fileTypeLabel"], "ファイルの種類:");
  EXPECT_EQ(dialogButtons, (std::vector<std::string>{"キャンセル", "保存(&S)"}));
  EXPECT_EQ(types, (std::vector<std::string>{"ﾃｷｽﾄﾌｧｲﾙ (*.TXT)", "全て(*.*)"}));
  EXPECT_EQ(listedText, std::vector<std::string>{"kept.txt"});
  EXPECT_EQ(listedAll, (std::vector<std::string>{"kept.txt", "other.csv"}));

  EXPECT_TRUE(std::filesystem::exists(out + "/cookies.txt"));
  EXPECT_EQ(question, "出力が完了しました.\nﾌｧｲﾙを開きますか?");
  EXPECT_EQ(boxButtons, (std::vector<std::string>{"いいえ(&N)", "はい(&Y)"}));
  EXPECT_TRUE(m_opened.empty());
}

}  // namespace
}  // namespace tolvane::test
