#pragma once
// A main window stand-in for the player core: records what the core shows and keeps its play
// list in the real list control, so the play mark follows the control's own rules (a mark
// outside the rows is refused, rows outside read as empty texts).

#include "controls/qmlistbox.h"
#include "player/player_face.h"

#include <QStringList>
#include <vector>

namespace lumiqo::test {

class FakeFace : public PlayerFace {
public:
  QMListBox list;
  std::vector<int> playIndexWrites; // every assignment the core made, refused ones too
  QStringList states;
  QString caption;
  QString time;
  int savelrcCalls = 0;
  int linkResolutions = 0;
  std::vector<bool> timerE;
  std::vector<float> lyricsTimes;
  QStringList digitPaths;
  std::vector<double> seekLefts;
  int playingShown = -1;

  void addRow(const QString &title, const QString &author, const QString &url) {
    list.AddItem(title, author, url);
  }

  QString stateText() const override { return states.isEmpty() ? QString() : states.back(); }
  void setStateText(const QString &text) override { states << text; }
  void showPlaying(bool playing) override { playingShown = playing ? 1 : 0; }
  QString timeText() const override { return time; }
  void setTimeText(const QString &text) override { time = text; }
  bool loadTimeDigit(int, const QString &path) override {
    digitPaths << path;
    return false;
  }
  void setSeekKnobLeft(double left) override { seekLefts.push_back(left); }
  void setCaption(const QString &text) override { caption = text; }
  void setLyricsFilePath(const QString &) override {}
  void setLyricsTime(float t) override { lyricsTimes.push_back(t); }
  void setLyricsTimerE(bool on) override { timerE.push_back(on); }
  int PlayIndex() const override { return list.PlayIndex(); }
  void setPlayIndex(int index) override {
    playIndexWrites.push_back(index);
    list.setPlayIndex(index);
  }
  void setListIndex(int index) override { list.setListIndex(index); }
  int ListCount() const override { return list.ListCount(); }
  QString Title(int r) const override { return list.Title(r); }
  QString Author(int r) const override { return list.Author(r); }
  QString URL(int r) const override { return list.URL(r); }
  QString StrTime(int r) const override { return list.StrTime(r); }
  void setStrTime(int r, const QString &text) override { list.setStrTime(r, text); }
  void savelrc(QString &) override { ++savelrcCalls; }
  void startLinkResolution() override { ++linkResolutions; }
};

} // namespace lumiqo::test
