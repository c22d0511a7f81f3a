#include "app/desktop/command_line.h"
#include "app/qorvex.h"

#include <QApplication>

int main(int argc, char **argv) {
  // --help and --version answer before anything else, with or without a display.
  if (const auto exitCode = lumiqo::answerStandardOption(argc, argv))
    return *exitCode;
  // Docked windows place themselves, which a Wayland client may not do: use XWayland.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "xcb");
  // The windows are small and change in small rectangles (the caption 20 times a second, the
  // lyrics as they scroll). Through shared memory every flush waits for the X server to let go
  // of the segment, a round trip each time; sent over the connection it costs less than half
  // the processor time and a third of the wake-ups.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
    qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumiqo"));
  const QStringList args = QApplication::arguments();
  lumiqo::qorvex window;
  const auto loaded = window.Form_Load(args.size() > 1 ? args.mid(1).join(QLatin1Char(' ')) : QString());
  if (!loaded.run)
    return loaded.exitCode;
  window.show();
  return app.exec();
}
