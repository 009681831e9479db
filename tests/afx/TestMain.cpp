// The framework's tests need a QApplication and an application object.
#include <gtest/gtest.h>

#include <QApplication>

#include "AfxTestSupport.h"
#include "afx/QtTranslation.h"

int main(int argc, char** argv) {
  // Listing the tests runs this too, without the test environment.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  afx::LoadQtTranslation();  // as AfxWinMain does
  afxtest::RegisterTestResources();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
