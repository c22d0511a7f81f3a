#include "catalogue/load_list.h"

#include "base/app_folder.h"
#include "base/endpoints.h"
#include "base/gbk.h"
#include "catalogue/hex_codec.h"
#include "catalogue/list_text.h"
#include "controls/qmlistbox.h"

#include <QFile>
#include <QUrl>

namespace lumiqo {
namespace {

const QString kFavouritesCode = QStringLiteral("MyMusicList");

QString catalogueAddress(const QString &path) {
  return endpoint(Role::Catalogue).httpBase() + path;
}

} // namespace

QString FavouritesFilePath() {
  return DataFolder() + kFavouritesFile;
}

QString ListSource(const QString &code, CatalogueState &state) {
  state.page_name = QStringLiteral("01.asp");
  if (code == QLatin1String("M0"))
    return catalogueAddress(QStringLiteral("/soft/mlist0.asp"));
  if (code == QLatin1String("SOM"))
    return catalogueAddress(QStringLiteral("/soft/mlist") +
                            QString::fromLatin1(QUrl::toPercentEncoding(state.music_name)) +
                            QStringLiteral(".txt"));
  if (code == QLatin1String("SO")) {
    if (state.music_name.isEmpty())
      return {};
    state.page_name = QStringLiteral("02.asp");
    return catalogueAddress(QStringLiteral("/soft/mlist_so.asp?gs=") + HexEncodeTerm(state.music_name));
  }
  if (code == QLatin1String("SOSO")) {
    if (state.s_music_name.isEmpty())
      return {};
    state.page_name = QStringLiteral("02.asp");
    return catalogueAddress(QStringLiteral("/soft/mlist_soso.asp?gs=") + HexEncodeTerm(state.s_music_name) +
                            QStringLiteral("&t=") + QString::number(state.search_type));
  }
  if (code == kFavouritesCode) {
    state.page_name = QStringLiteral("02.asp");
    return FavouritesFilePath();
  }
  return {};
}

QString ReadFavouritesText() {
  QFile file(FavouritesFilePath());
  if (!file.open(QIODevice::ReadOnly))
    return {}; // a missing file is an empty list
  const QString text = fromGbk(file.readAll());
  // Line by line: a line ends at CR LF or at a lone CR; each is given back ended by CR LF.
  QString out;
  out.reserve(text.size() + 2);
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out += QLatin1String("\r\n");
      if (i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
    } else {
      out += text[i];
    }
  }
  if (!out.isEmpty() && !out.endsWith(QLatin1String("\r\n")))
    out += QLatin1String("\r\n");
  return out;
}

QString InventedTime(RandomSequence &random) {
  const int minutes = static_cast<int>(random.next() * 10);
  const int seconds = static_cast<int>(random.next() * 60);
  const char16_t text[5] = {char16_t(u'0' + minutes / 10), char16_t(u'0' + minutes % 10), u':',
                            char16_t(u'0' + seconds / 10), char16_t(u'0' + seconds % 10)};
  return QString(reinterpret_cast<const QChar *>(text), 5);
}

void LoadList(const QString &code, QMListBox &m_list, CatalogueState &state, const FetchTimeouts &timeouts) {
  const QString source = ListSource(code, state);
  // The favourites code is the only local source: a catalogue term cannot turn an address
  // into a file name.
  QString text;
  if (code == kFavouritesCode) {
    text = ReadFavouritesText();
    state.list_mode = 1;
  } else {
    text = FetchText(source, timeouts);
    state.list_mode = 0;
  }

  for (int n = m_list.ListCount(); n > 0; --n)
    m_list.RemoveItem(0);

  const QVector<ListRecord> records = ParseListText(text);
  m_list.reserve(m_list.ListCount() + static_cast<int>(records.size()));
  for (const ListRecord &record : records)
    m_list.AddItem(record.title, record.artist, record.link, InventedTime(state.random));
}

} // namespace lumiqo
