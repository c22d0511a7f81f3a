// Test main: one QApplication for the whole test program, then GoogleTest. Tests run on the
// offscreen platform and the engine's no-sound device unless whoever starts them says otherwise,
// and without the desktop's session bus.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!qEnvironmentVariableIsSet("LUMIQO_AUDIO_DEVICE"))
    qputenv("LUMIQO_AUDIO_DEVICE", "0");
  // Tests never reach the desktop's session bus; those that need a bus start their own.
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
