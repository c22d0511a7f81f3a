#include "app/desktop/qorvex_mpris.h"

#include "app/instance/link_execute.h"
#include "app/qorvex.h"
#include "player/knobs.h"
#include "player/state_texts.h"

namespace lumiqo {
namespace {
constexpr double kMicros = 1e6;
} // namespace

QorvexMpris::QorvexMpris(qorvex &window) : QObject(&window), window_(window) {}

QorvexMpris *QorvexMpris::attach(qorvex &window, const QDBusConnection &bus) {
  auto *mpris = new QorvexMpris(window);
  mpris->service_ = MprisService::start(*mpris, bus);
  if (!mpris->service_) {
    delete mpris;
    return nullptr;
  }
  connect(&window, &qorvex::stateTextChanged, mpris, &QorvexMpris::stateTextChanged);
  connect(&window, &qorvex::engineFreed, mpris, [mpris] { mpris->service_->refresh(); });
  // The volume knob and its track have set the engine's volume by the time this runs.
  const auto volumeMoved = [mpris] { mpris->service_->refresh(); };
  connect(window.an_Volume, &SkinImage::MouseMove, mpris, volumeMoved, Qt::QueuedConnection);
  connect(window.an_volume_fill, &SkinImage::MouseDown, mpris, volumeMoved, Qt::QueuedConnection);
  connect(&window, &qorvex::volumeChanged, mpris, volumeMoved, Qt::QueuedConnection);
  return mpris;
}

void QorvexMpris::stateTextChanged(const QString &text) {
  // A stream is being opened: the song under the play mark is the new track.
  if (text == kStateConnecting) {
    const int row = window_.PlayIndex();
    track_ = MprisTrack{track_ ? track_->serial + 1 : 1, window_.Title(row), window_.Author(row), 0};
  }
  service_->refresh();
}

void QorvexMpris::play() {
  window_.core().an_play_Click();
}

void QorvexMpris::pause() {
  window_.core().an_pause_Click();
}

void QorvexMpris::stop() {
  window_.core().an_stop_Click();
}

void QorvexMpris::next() {
  window_.core().an_next_Click();
}

void QorvexMpris::previous() {
  window_.core().an_prev_Click();
}

// Raising the player is restoring it from the tray, as a double click on the tray icon does.
void QorvexMpris::raise() {
  window_.vond_tp_DoubleClick();
}

void QorvexMpris::quit() {
  window_.close();
}

void QorvexMpris::openLink(const QString &link) {
  qint16 cancel = 0;
  Form_LinkExecute(link, cancel, window_);
}

double QorvexMpris::volume() const {
  return std::max(0.0f, BASS_GetVolume());
}

// As if the volume knob were dragged to the place of that volume: knob and engine agree,
// at the knob's steps of a tenth.
void QorvexMpris::setVolume(double volume) {
  const double target = kVolumeLeftMin + volume * (kVolumeLeftMax - kVolumeLeftMin);
  window_.an_Volume_MouseDown(Qt::LeftButton, 0);
  window_.an_Volume_MouseMove(Qt::LeftButton, target - window_.volumeKnobLeft());
}

PlayState QorvexMpris::playState() const {
  switch (BASS_ChannelIsActive(window_.state().cur_stream)) {
  case BASS_ACTIVE_PLAYING:
  case BASS_ACTIVE_STALLED: return PlayState::Playing;
  case BASS_ACTIVE_PAUSED: return PlayState::Paused;
  default: return PlayState::Stopped;
  }
}

std::optional<MprisTrack> QorvexMpris::track() const {
  if (!track_)
    return std::nullopt;
  MprisTrack track = *track_;
  const HSTREAM stream = window_.state().cur_stream;
  const QWORD bytes = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  if (stream != 0 && bytes > 0)
    track.lengthMicros = static_cast<qint64>(BASS_ChannelBytes2Seconds(stream, bytes) * kMicros);
  return track;
}

qint64 QorvexMpris::positionMicros() const {
  const HSTREAM stream = window_.state().cur_stream;
  if (stream == 0)
    return 0;
  return static_cast<qint64>(
      BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE)) * kMicros);
}

} // namespace lumiqo
