// Reading a whole file the user may have replaced by anything.
#include "base/regular_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace lumiqo {
namespace {

TEST(RegularFile, ReadsRegularFilesWithinTheBoundAndRefusesTheRestAtOnce) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.ini");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[pos]\r\nx=1\r\n");
  file.close();
  EXPECT_EQ(readRegularFile(path, 100), QByteArray("[pos]\r\nx=1\r\n"));
  EXPECT_EQ(readRegularFile(path, 12), QByteArray("[pos]\r\nx=1\r\n"));
  EXPECT_FALSE(readRegularFile(path, 11)) << "one byte over the bound";

  // A FIFO would block a plain open until someone writes to it; a folder and a device are no
  // files either, and a missing file is nothing.
  const QString fifo = dir.filePath("f.ini");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_FALSE(readRegularFile(fifo, 100));
  EXPECT_FALSE(readRegularFile(dir.path(), 100));
  EXPECT_FALSE(readRegularFile(QStringLiteral("/dev/zero"), 100));
  EXPECT_FALSE(readRegularFile(dir.filePath("missing"), 100));
  EXPECT_FALSE(readRegularFile(QString(), 100));

  // A link to a regular file is read through.
  ASSERT_TRUE(QFile::link(path, dir.filePath("link.ini")));
  EXPECT_EQ(readRegularFile(dir.filePath("link.ini"), 100), QByteArray("[pos]\r\nx=1\r\n"));
}

} // namespace
} // namespace lumiqo
