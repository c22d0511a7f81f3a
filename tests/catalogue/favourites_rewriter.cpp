// A player's favourites commands in a loop, for the kill test (favourites_kill_test.sh).
//   favourites_rewriter --expected DIR
//       writes every content the favourites file may hold into DIR/expected-N.dat
//   favourites_rewriter --serve PROGRAM_FOLDER
//       for every line "go" on its input, forks a rewriter of PROGRAM_FOLDER/inc/mymusiclist.dat
//       that runs until it is killed, prints its process id, waits for its end and prints
//       how many rewrites it finished. Forking spares the kill test a program start per kill.
// The rewrites alternate: "DELL" leaves the favourites of list A, "DELL" those of list B,
// "ADD" appends one row to B's; so the file is always one of four contents (or the first).
#include "base/app_folder.h"
#include "base/gbk.h"
#include "base/message_box.h"
#include "catalogue/favourites.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <atomic>
#include <cstdio>
#include <functional>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace lumiqo;

namespace {

struct Row {
  QString title, author, url;
};

std::vector<Row> rows(int count, const QString &tag) {
  std::vector<Row> out;
  for (int i = 0; i < count; ++i)
    out.push_back({QStringLiteral("第%1首%2").arg(i).arg(tag), QStringLiteral("歌手%1").arg(i % 7),
                   QStringLiteral("%1z/%2/song-%3.mp3").arg(19 + i % 3).arg(tag).arg(i)});
  return out;
}

const std::vector<Row> kA = rows(300, QStringLiteral("甲"));
const std::vector<Row> kB = rows(120, QStringLiteral("乙"));
const Row kExtra{QStringLiteral("收藏的歌"), QStringLiteral("某人"), QStringLiteral("21z/extra.mp3")};

// The command on the last row of a play list holding `list` and then `last`.
void run(const char *command, const std::vector<Row> &list, const Row &last) {
  QMListBox m_list;
  for (const Row &r : list)
    m_list.AddItem(r.title, r.author, r.url);
  m_list.AddItem(last.title, last.author, last.url);
  m_list.setListIndex(m_list.ListCount() - 1);
  CatalogueState state;
  state.fav_index = static_cast<qint16>(m_list.ListIndex());
  FavouritesCommand(QString::fromLatin1(command), m_list, state);
}

QByteArray readFavourites() {
  QFile file(FavouritesFilePath());
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One round: A's favourites, B's, B's with the extra row appended.
void round(const std::function<void()> &afterEach) {
  run("DELL", kA, kExtra);
  afterEach();
  run("DELL", kB, kExtra);
  afterEach();
  run("ADD", kB, kExtra);
  afterEach();
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  setMessageHandler([](const MessageRequest &) {});
  if (argc == 3 && QByteArray(argv[1]) == "--expected") {
    // The contents, made by the same commands in a folder of the caller's.
    const QString folder = QString::fromLocal8Bit(argv[2]);
    setAppFolderForTesting(folder);
    if (!QDir().mkpath(folder + QStringLiteral("/inc")))
      return 1;
    int n = 0;
    bool written = true;
    round([&] {
      QFile out(QStringLiteral("%1/expected-%2.dat").arg(folder).arg(n++));
      written = written && out.open(QIODevice::WriteOnly) && out.write(readFavourites()) >= 0;
    });
    return written ? 0 : 1;
  }
  if (argc != 3 || QByteArray(argv[1]) != "--serve") {
    std::fprintf(stderr, "usage: favourites_rewriter --expected DIR | --serve PROGRAM_FOLDER\n");
    return 2;
  }
  setAppFolderForTesting(QString::fromLocal8Bit(argv[2]));
  // The rewrites a child finished, where its parent can read them after its death.
  auto *finished = static_cast<std::atomic<long> *>(
      ::mmap(nullptr, sizeof(std::atomic<long>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  if (finished == MAP_FAILED)
    return 1;
  char line[64];
  while (std::fgets(line, sizeof line, stdin)) {
    finished->store(0);
    const pid_t child = ::fork();
    if (child < 0)
      return 1;
    if (child == 0) {
      for (;;)
        round([finished] { finished->fetch_add(1); });
    }
    std::printf("%d\n", static_cast<int>(child));
    std::fflush(stdout);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::printf("%ld\n", finished->load());
    std::fflush(stdout);
  }
  return 0;
}
