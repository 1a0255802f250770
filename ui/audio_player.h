// Sound for the bank viewer: plays PCM through the desktop's audio output
// (Qt Multimedia), and renders music off the user-interface thread first.
//
// A machine without an audio output plays nothing: play() answers false
// and error() says why; nothing else changes.
#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <thread>
#include <vector>

class QAudioSink;
class QBuffer;
class QTimer;

namespace zarvex {

class AudioPlayer : public QObject {
  Q_OBJECT

 public:
  explicit AudioPlayer(QObject* parent = nullptr);
  ~AudioPlayer() override;

  // 8-bit signed mono at `rate` Hz (an AMOS sample, played as it is).
  bool playSample(std::span<const std::uint8_t> sound, std::uint32_t rate);
  // 16-bit signed stereo little-endian at 44,100 Hz.
  bool playMusic(QByteArray pcm);
  // Renders `module` (libxmp's bytes) on a worker thread; finished() then
  // brings the sound or the reason there is none. A render already running
  // is abandoned.
  void renderMusic(std::vector<std::uint8_t> module);
  bool rendering() const { return m_worker.joinable() && !m_rendered; }

  void stop();
  bool playing() const;
  // Milliseconds played so far and the length of what is playing.
  std::int64_t positionMs() const;
  std::int64_t lengthMs() const { return m_lengthMs; }
  QString error() const { return m_error; }

 signals:
  // Playing started, stopped or ended, or the position moved on.
  void changed();
  // A render ended: `pcm` empty and `error` set when it failed.
  void rendered(const QByteArray& pcm, const QString& error);

 private:
  bool play(QByteArray pcm, const QAudioFormat& format, std::int64_t lengthMs);
  void joinWorker();

  QAudioSink* m_sink = nullptr;
  QBuffer* m_buffer = nullptr;
  QByteArray m_pcm;
  QTimer* m_tick;
  std::int64_t m_lengthMs = 0;
  QString m_error;
  std::thread m_worker;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_rendered{false};
};

// "m:ss".
QString minutesAndSeconds(std::int64_t ms);

}  // namespace zarvex
