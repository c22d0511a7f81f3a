// The pieces the import and the stream hosts are made of: names fit for a terminal, the
// folder boundary, bounded reads, tag texts in the encodings Chinese files carry, the ordered
// worker pool, the progress lines, and the validators of a resumed download.

#include "base/gbk.h"
#include "import_progress.h"
#include "media_tags.h"
#include "ordered_pool.h"
#include "safe_file.h"
#include "stream_validators.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <thread>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace std::chrono_literals;

namespace {

TEST(SafeFile, NamesBoundariesAndBoundedReads) {
  EXPECT_EQ(printableName("歌/song.mp3"), "歌/song.mp3");
  EXPECT_EQ(printableName("a\x1b[2J\nb\\c\x7f"), "a\\x1b[2J\\x0ab\\\\c\\x7f");
  // Bytes that are not UTF-8 (a GBK name), an overlong sequence and a C1 control.
  EXPECT_EQ(printableName("\xC4\xE3.mp3"), "\\xc4\\xe3.mp3");
  EXPECT_EQ(printableName("\xC0\xAF"), "\\xc0\\xaf");
  EXPECT_EQ(printableName("\xC2\x9B"
                          "31m"),
            "\\xc2\\x9b31m");

  EXPECT_TRUE(isInside("/music/a.mp3", "/music"));
  EXPECT_TRUE(isInside("/music", "/music/"));
  EXPECT_FALSE(isInside("/music2/a.mp3", "/music"));
  EXPECT_FALSE(isInside("/etc/passwd", "/music"));
  EXPECT_TRUE(isInside("/etc/passwd", "/"));

  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  file.write(QByteArray(100, 'x'));
  file.flush();
  const OpenedFile opened = openRegularFile(file.fileName().toStdString());
  ASSERT_EQ(opened.problem, OpenedFile::Problem::None);
  EXPECT_EQ(readAtMost(opened.fd.get(), 100)->size(), 100u);
  EXPECT_FALSE(readAtMost(opened.fd.get(), 99));
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(descriptorPath(opened.fd.get()), file.fileName().toStdString());
  EXPECT_EQ(openRegularFile("/dev/null").problem, OpenedFile::Problem::NotRegular);
  EXPECT_EQ(openRegularFile("/tmp").problem, OpenedFile::Problem::NotRegular);
  EXPECT_EQ(openRegularFile("/nowhere/at/all").problem, OpenedFile::Problem::Missing);
}

TEST(TagText, EveryEncodingChineseFilesCarry) {
  const std::string gbk = toGbk(QStringLiteral("晚风")).toStdString();
  // Raw GBK bytes, as FFmpeg passes an ID3v1 tag on.
  EXPECT_EQ(repairTagText(gbk), "晚风");
  // The same bytes declared as Latin-1 and so made UTF-8 by FFmpeg.
  EXPECT_EQ(repairTagText(QString::fromLatin1(gbk.data(), 4).toStdString()), "晚风");
  // Real UTF-8 and plain ASCII stay; Latin-1 text that is no GBK stays.
  EXPECT_EQ(repairTagText("晚风 Song"), "晚风 Song");
  EXPECT_EQ(repairTagText("Café"), "Café");
  // Bytes that are neither UTF-8 nor GBK are Latin-1.
  EXPECT_EQ(repairTagText("Caf\xE9"), "Café");
}

TEST(OrderedPool, HandsResultsBackInOrderAndRunsAtMostAWindowAhead) {
  constexpr std::size_t kItems = 500, kWindow = 8;
  std::atomic<std::size_t> started{0};
  std::atomic<std::size_t> taken{0};
  std::atomic<bool> ranAhead{false};
  OrderedPool<std::size_t> pool(kItems, 4, kWindow, [&](std::size_t i) {
    ++started;
    if (i > taken + kWindow) // the count here lags the pool's own by at most one
      ranAhead = true;
    std::mt19937 rng(static_cast<unsigned>(i));
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 300));
    return i * 3;
  });
  for (std::size_t i = 0; i < kItems; ++i) {
    ASSERT_EQ(pool.next(), i * 3);
    ++taken;
  }
  EXPECT_EQ(started, kItems);
  EXPECT_FALSE(ranAhead);
  // Nothing to do: no thread waits for ever.
  OrderedPool<int> empty(0, 4, 8, [](std::size_t) { return 0; });
}

TEST(ImportProgress, LinesOnATerminalAndInAFile) {
  using P = ImportProgress::Phase;
  EXPECT_EQ(progressLine({P::Scanning, 512, 0}, 0), "scanning the folder: 512 files found");
  EXPECT_EQ(progressLine({P::Reading, 1200, 20000}, 0), "reading 1200 of 20000 files (6%)");
  EXPECT_EQ(progressLine({P::Reading, 1200, 20000}, 850),
            "reading 1200 of 20000 files (6%), 850 files/s, 22 s left");
  EXPECT_EQ(progressLine({P::Reading, 200, 20000}, 10),
            "reading 200 of 20000 files (1%), 10 files/s, 33 min 0 s left");
  EXPECT_EQ(progressLine({P::Reading, 20000, 20000}, 850),
            "reading 20000 of 20000 files (100%), 850 files/s");
  EXPECT_EQ(progressLine({P::Writing, 0, 0}, 0), "writing the catalogue");

  const auto printed = [](bool terminal,
                          const std::function<void(ProgressPrinter &, std::chrono::seconds &)> &use) {
    char *text = nullptr;
    size_t size = 0;
    std::FILE *out = open_memstream(&text, &size);
    std::chrono::seconds t{0};
    {
      ProgressPrinter printer(out, terminal, [&] { return std::chrono::steady_clock::time_point(t); });
      use(printer, t);
    }
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
  };
  // Two seconds of reading, a file a second: a terminal redraws its line in place and keeps
  // it under a warning; a file gets nothing (a quick import prints only its summary).
  const auto work = [](ProgressPrinter &p, std::chrono::seconds &t) {
    p.update({P::Reading, 0, 10});
    t += 1s;
    p.update({P::Reading, 1, 10});
    p.warning(QStringLiteral("not a regular file, skipped: x.mp3"));
    t += 1s;
    p.update({P::Reading, 2, 10});
  };
  EXPECT_EQ(printed(true, work), "\r\033[Kreading 0 of 10 files (0%)"
                                 "\r\033[Kreading 1 of 10 files (10%), 1 files/s, 9 s left"
                                 "\r\033[Kwarning: not a regular file, skipped: x.mp3\n"
                                 "reading 1 of 10 files (10%), 1 files/s, 9 s left"
                                 "\r\033[Kreading 2 of 10 files (20%), 1 files/s, 8 s left"
                                 "\r\033[K");
  EXPECT_EQ(printed(false, work), "warning: not a regular file, skipped: x.mp3\n");
  // A long import into a file: a plain line every few seconds.
  const std::string lines = printed(false, [](ProgressPrinter &p, std::chrono::seconds &t) {
    for (int i = 0; i <= 12; ++i, t += 1s)
      p.update({P::Reading, static_cast<std::size_t>(i), 100});
  });
  EXPECT_EQ(lines, "reading 5 of 100 files (5%), 1 files/s, 1 min 35 s left\n"
                   "reading 10 of 100 files (10%), 1 files/s, 1 min 30 s left\n");
}

TEST(StreamValidators, DatesTagsAndIfRange) {
  EXPECT_EQ(httpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  for (const char *bad :
       {"Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "Mon, 06 Nov 1994 08:49:37 GMT",
        "Sun, 31 Feb 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:49:37 UTC", ""})
    EXPECT_FALSE(parseHttpDate(bad)) << bad;

  struct stat file {};
  file.st_ino = 7;
  file.st_size = 1000;
  file.st_mtim = {784111777, 5};
  const std::string tag = entityTag(file);
  EXPECT_EQ(tag.front(), '"');
  const std::time_t later = 784111777 + 60;
  EXPECT_TRUE(ifRangeHolds("", file, later));
  EXPECT_TRUE(ifRangeHolds(tag, file, later));
  EXPECT_TRUE(ifRangeHolds("Sun, 06 Nov 1994 08:49:37 GMT", file, later));
  EXPECT_FALSE(ifRangeHolds("W/" + tag, file, later));
  EXPECT_FALSE(ifRangeHolds("\"other\"", file, later));
  EXPECT_FALSE(ifRangeHolds("Sun, 06 Nov 1994 08:49:36 GMT", file, later));
  EXPECT_FALSE(ifRangeHolds("yesterday", file, later));
  // Modified within the second the date names: the date cannot tell two versions apart.
  EXPECT_FALSE(ifRangeHolds("Sun, 06 Nov 1994 08:49:37 GMT", file, 784111777));
  // Any change of the file changes its tag.
  for (auto change : {+[](struct stat &f) { ++f.st_ino; }, +[](struct stat &f) { ++f.st_size; },
                      +[](struct stat &f) { ++f.st_mtim.tv_nsec; }}) {
    struct stat changed = file;
    change(changed);
    EXPECT_NE(entityTag(changed), tag);
  }
}

} // namespace
