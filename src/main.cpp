#include <QApplication>
#include <QLabel>

int main(int argc, char **argv) {
  // Docked windows place themselves, which a Wayland client may not do: use XWayland.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("Lumiqo"));
  label.show();
  return app.exec();
}
