#pragma once
// A main window stand-in for the player core: records what the core shows and holds a
// small play list with the list control's rules (rows outside read as empty texts; a
// negative play mark is ignored).

#include "player/player_face.h"

#include <QStringList>
#include <vector>

namespace lumiqo::test {

struct Row {
  QString title, author, url;
};

class FakeFace : public PlayerFace {
public:
  std::vector<Row> rows;
  int playIndex = -1;
  int listIndex = -1;
  std::vector<int> playIndexWrites;
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
  int PlayIndex() const override { return playIndex; }
  void setPlayIndex(int index) override {
    playIndexWrites.push_back(index);
    if (index >= 0)
      playIndex = index;
  }
  void setListIndex(int index) override { listIndex = index; }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  QString Title(int r) const override { return valid(r) ? rows[r].title : QString(); }
  QString Author(int r) const override { return valid(r) ? rows[r].author : QString(); }
  QString URL(int r) const override { return valid(r) ? rows[r].url : QString(); }
  void savelrc(QString &) override { ++savelrcCalls; }
  void startLinkResolution() override { ++linkResolutions; }

private:
  bool valid(int r) const { return r >= 0 && r < static_cast<int>(rows.size()); }
};

} // namespace lumiqo::test
