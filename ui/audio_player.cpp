#include "audio_player.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include "music_render.h"

namespace zarvex {

namespace {

constexpr std::size_t kRenderSlice = 1 << 20;  // bytes between two looks at the cancel flag

}  // namespace

AudioPlayer::AudioPlayer(QObject* parent) : QObject(parent), m_tick(new QTimer(this)) {
  m_tick->setInterval(200);
  connect(m_tick, &QTimer::timeout, this, [this] {
    if (!playing()) m_tick->stop();
    emit changed();
  });
}

AudioPlayer::~AudioPlayer() {
  blockSignals(true);  // whoever listens may be half destroyed by now
  joinWorker();
  stop();
}

void AudioPlayer::joinWorker() {
  m_cancel = true;
  if (m_worker.joinable()) m_worker.join();
  m_cancel = false;
}

bool AudioPlayer::playSample(std::span<const std::uint8_t> sound, std::uint32_t rate) {
  QAudioFormat format;
  format.setSampleRate(static_cast<int>(rate == 0 ? 8000 : rate));
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::UInt8);
  // Qt plays 8-bit sound unsigned; AMOS keeps it signed.
  QByteArray pcm(static_cast<qsizetype>(sound.size()), Qt::Uninitialized);
  for (std::size_t i = 0; i < sound.size(); ++i) pcm[static_cast<qsizetype>(i)] = static_cast<char>(sound[i] ^ 0x80);
  const auto ms = static_cast<std::int64_t>(sound.size()) * 1000 / format.sampleRate();
  return play(std::move(pcm), format, ms);
}

bool AudioPlayer::playMusic(QByteArray pcm) {
  QAudioFormat format;
  format.setSampleRate(kMusicSampleRate);
  format.setChannelCount(2);
  format.setSampleFormat(QAudioFormat::Int16);
  const auto ms = static_cast<std::int64_t>(pcm.size() / 4) * 1000 / kMusicSampleRate;
  return play(std::move(pcm), format, ms);
}

bool AudioPlayer::play(QByteArray pcm, const QAudioFormat& format, std::int64_t lengthMs) {
  stop();
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) {
    m_error = QStringLiteral("This machine has no audio output");
    emit changed();
    return false;
  }
  m_pcm = std::move(pcm);
  m_lengthMs = lengthMs;
  m_buffer = new QBuffer(&m_pcm, this);
  m_buffer->open(QIODevice::ReadOnly);
  m_sink = new QAudioSink(device, format, this);
  connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (state == QAudio::IdleState) stop();  // the end of the sound
    emit changed();
  });
  m_sink->start(m_buffer);
  if (m_sink->error() != QAudio::NoError) {
    m_error = QStringLiteral("The audio output refused to play");
    stop();
    return false;
  }
  m_error.clear();
  m_tick->start();
  emit changed();
  return true;
}

void AudioPlayer::stop() {
  if (m_sink != nullptr) {
    m_sink->disconnect(this);
    m_sink->stop();
    m_sink->deleteLater();
    m_sink = nullptr;
  }
  if (m_buffer != nullptr) {
    m_buffer->deleteLater();
    m_buffer = nullptr;
  }
  m_tick->stop();
  emit changed();
}

bool AudioPlayer::playing() const { return m_sink != nullptr && m_sink->state() == QAudio::ActiveState; }

std::int64_t AudioPlayer::positionMs() const {
  return m_sink != nullptr ? std::min<std::int64_t>(m_sink->processedUSecs() / 1000, m_lengthMs) : 0;
}

void AudioPlayer::renderMusic(std::vector<std::uint8_t> module) {
  joinWorker();
  m_rendered = false;
  m_worker = std::thread([this, module = std::move(module)] {
    MusicRenderer renderer(module);
    QString error = QString::fromStdString(renderer.error());
    std::vector<std::uint8_t> pcm;
    if (error.isEmpty()) {
      pcm.reserve(renderer.expectedBytes());
      while (!renderer.finished() && !m_cancel) renderer.renderSome(pcm, kRenderSlice);
    }
    m_rendered = true;
    if (m_cancel) return;
    QByteArray bytes(reinterpret_cast<const char*>(pcm.data()), static_cast<qsizetype>(pcm.size()));
    QMetaObject::invokeMethod(this, [this, bytes = std::move(bytes), error] { emit rendered(bytes, error); },
                              Qt::QueuedConnection);
  });
}

QString minutesAndSeconds(std::int64_t ms) {
  const std::int64_t seconds = ms / 1000;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace zarvex
