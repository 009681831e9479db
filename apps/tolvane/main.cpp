// The program: the one application object over the window library.
//
// TOLVANE_SCREENSHOT=<png path> makes the program save a picture of its main window once it is
// shown and filled, and then close (used to show the program where no display is at hand). A
// message box standing over the window at that moment is in the picture, and closes too.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Options.h"
#include "app/TolvaneApp.h"
#include "platform/Hooks.h"
#include "res/ProgramResources.h"

CTolvaneApp theApp;

namespace {

// The main window with the modal box over it, if one is up (start-up can show one).
QImage Picture() {
  CWnd* main = AfxGetMainWnd();
  QWidget* window = main ? main->GetWidget() : nullptr;
  QWidget* box = QApplication::activeModalWidget();
  // A box during start-up comes before the frame is the main window, or shown.
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (window == nullptr && qobject_cast<QMainWindow*>(top) != nullptr) window = top;
  }
  if (window == nullptr) return box != nullptr ? box->grab().toImage() : QImage();
  QImage image = window->grab().toImage();
  if (box != nullptr && box != window) {
    const QPixmap over = box->grab();
    const QRect at((image.width() - over.width()) / 2, (image.height() - over.height()) / 2,
                   over.width(), over.height());
    QPainter painter(&image);
    painter.drawPixmap(at.topLeft(), over);
    painter.setPen(Qt::darkGray);  // the frame a window manager would draw
    painter.drawRect(at.adjusted(-1, -1, 0, 0));
  }
  return image;
}

// Readable by its owner only, whatever the umask: the picture shows cookie values.
bool SavePicture(const QImage& image, const std::string& path) {
  if (image.isNull()) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  QFile file;
  if (::fchmod(fd, 0600) != 0 ||
      !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  return image.save(&file, "PNG") && file.flush();
}

// Ends the run whatever start-up is doing: boxes still to come answer their default at once,
// open ones close, and the main loop ends once it runs.
void EndRun(int status) {
  platform::SetMessageBoxHandler({});
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [status] {
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialog->reject();
    }
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
    QCoreApplication::exit(status);
  });
  timer->start(200);
}

void ScheduleScreenshot(const std::string& path) {
  // Runs from the event loop, after start-up has shown and filled the window, or from the
  // loop of a box start-up shows.
  QTimer::singleShot(600, [path] {
    int status = 0;
    if (!SavePicture(Picture(), path)) {
      std::fprintf(stderr, "tolvane: could not save the screenshot to %s\n", path.c_str());
      status = 1;
    }
    EndRun(status);
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
