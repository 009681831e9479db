// The window tests run in one process with one QApplication, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "afx/DialogUnits.h"
#include "afx/QtTranslation.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // A stable zone so local-time texts do not depend on the machine running the tests.
  setenv("TZ", "Asia/Tokyo", 0);
  tzset();
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  // The program's own font, so that measured sizes are the ones users see.
  QApplication::setFont(afx::DialogFont("ＭＳ Ｐゴシック", 9));
  // Qt's own texts in Japanese, as the program has them.
  afx::LoadQtTranslation();
  return RUN_ALL_TESTS();
}
