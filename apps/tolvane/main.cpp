// The program: the one application object over the window library.
//
// TOLVANE_SCREENSHOT=<png path> makes the program save a picture of its main window once it is
// shown and filled, and then close (used to show the program where no display is at hand).
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Options.h"
#include "app/TolvaneApp.h"
#include "res/ProgramResources.h"

CTolvaneApp theApp;

namespace {

void ScheduleScreenshot(const std::string& path) {
  // Runs from the event loop, after start-up has shown and filled the window.
  QTimer::singleShot(600, [path] {
    CWnd* main = AfxGetMainWnd();
    QWidget* widget = main ? main->GetWidget() : nullptr;
    int status = 1;
    if (widget != nullptr && widget->grab().save(QString::fromStdString(path), "PNG")) {
      status = 0;
    } else {
      std::fprintf(stderr, "tolvane: could not save the screenshot to %s\n", path.c_str());
    }
    if (main != nullptr) main->PostMessage(WM_CLOSE);
    // Should closing be held up, end anyway: a screenshot run never waits for a user.
    QTimer::singleShot(3000, [status] { QCoreApplication::exit(status); });
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (auto status = tolvane::HandleEarlyOptions(argc, argv)) return *status;
  afx::RegisterResources(res::Resources());
  QApplication application(argc, argv);
  if (auto status = tolvane::CheckRemainingArguments(argc, argv)) return *status;
  // Desktops match the window to its menu entry and icon by this id.
  QGuiApplication::setDesktopFileName(QString::fromUtf8(TOLVANE_APP_ID));
  if (const char* path = std::getenv("TOLVANE_SCREENSHOT"); path != nullptr && *path != '\0') {
    ScheduleScreenshot(path);
  }
  return AfxWinMain(argc, argv);
}
