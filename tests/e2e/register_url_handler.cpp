// Registers the qorvex:// handler for a player program exactly as the player does at every
// start, for tests that need the handler before any player has run.
// Usage: register_url_handler PROGRAM (the desktop entry and mimeapps.list go to the
// XDG_DATA_HOME and XDG_CONFIG_HOME of the environment).
#include "app/instance/url_protocol.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: register_url_handler PROGRAM\n");
    return 2;
  }
  const QFileInfo program(QString::fromLocal8Bit(argv[1]));
  if (!program.isExecutable()) {
    std::fprintf(stderr, "register_url_handler: %s is not a program\n", argv[1]);
    return 2;
  }
  const QString path = program.canonicalFilePath();
  return lumiqo::RegisterUrlProtocol(path, QFileInfo(path).absolutePath() + QStringLiteral("/skin/brivo.ico"))
             ? 0
             : 1;
}
