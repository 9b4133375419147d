// The plugin's audio files: libebur128 measures loudness; libsndfile writes FLAC, Ogg
// Vorbis, Opus and MP3; FFmpeg's libraries write AAC in an MP4 container. Each writes to a
// QIODevice through its own I/O callbacks, so a pipe and a file that is renamed into place
// when complete work alike. A system library built without one of the encoders is reported
// with the package that brings it.
#include <ebur128.h>
#include <sndfile.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "playback/audiofiles.h"

namespace pxplugin {

namespace {

using pxaudio::AudioFormat;

class Ebur128Meter : public pxaudio::LoudnessMeter {
 public:
  Ebur128Meter(ebur128_state* state, int channels) : state_(state), channels_(channels) {}
  ~Ebur128Meter() override { ebur128_destroy(&state_); }
  bool add(const float* interleaved, int frames) override {
    return ebur128_add_frames_float(state_, interleaved, static_cast<size_t>(frames)) ==
           EBUR128_SUCCESS;
  }
  double integratedLufs() override {
    double lufs = 0;
    if (ebur128_loudness_global(state_, &lufs) != EBUR128_SUCCESS || !std::isfinite(lufs))
      return -std::numeric_limits<double>::infinity();
    return lufs;
  }
  double truePeak() override {
    double highest = 0;
    for (int c = 0; c < channels_; ++c) {
      double p = 0;
      if (ebur128_true_peak(state_, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
        highest = std::max(highest, p);
    }
    return highest;
  }

 private:
  ebur128_state* state_;
  int channels_;
};

// Position bookkeeping for an output device: a sequential one (a pipe) takes only the seeks
// that stay where it is.
struct DeviceIo {
  QIODevice* out;
  int64_t position = 0;
  int64_t size = 0;
  QString failure;

  int64_t write(const void* data, int64_t count) {
    const qint64 n = out->write(static_cast<const char*>(data), count);
    if (n != count) {
      if (failure.isEmpty()) failure = out->errorString();
      return n < 0 ? 0 : n;
    }
    position += n;
    size = std::max(size, position);
    return n;
  }
  int64_t seek(int64_t offset, int whence) {
    int64_t to = offset;
    if (whence == SEEK_CUR) to = position + offset;
    if (whence == SEEK_END) to = size + offset;
    if (to == position) return position;
    if (out->isSequential() || to < 0 || !out->seek(to)) return -1;
    position = to;
    return position;
  }
};

// libsndfile's formats.
class SndfileEncoder : public pxaudio::AudioEncoder {
 public:
  explicit SndfileEncoder(QIODevice& out) { io_.out = &out; }
  ~SndfileEncoder() override {
    if (file_) sf_close(file_);
  }

  bool open(const pxaudio::EncodeParams& params, QString* error) {
    channels_ = params.channels;
    SF_INFO info{};
    info.samplerate = params.sampleRate;
    info.channels = params.channels;
    // Each format libsndfile writes, and the codec library its build needs for it.
    static const struct {
      AudioFormat format;
      int sfFormat;
      const char* name;
      const char* builtWith;
    } kFormats[] = {
        {AudioFormat::Flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "FLAC", "libFLAC"},
        {AudioFormat::Ogg, SF_FORMAT_OGG | SF_FORMAT_VORBIS, "Ogg Vorbis", "libvorbis"},
        {AudioFormat::Opus, SF_FORMAT_OGG | SF_FORMAT_OPUS, "Opus", "libopus"},
        {AudioFormat::Mp3, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "MP3", "LAME"},
    };
    const auto* row = std::find_if(std::begin(kFormats), std::end(kFormats),
                                   [&](const auto& r) { return r.format == params.format; });
    if (row == std::end(kFormats)) {
      if (error) *error = QStringLiteral("This format is not written by libsndfile.");
      return false;
    }
    info.format = row->sfFormat;
    const QString what = QString::fromLatin1(row->name),
                  built = QString::fromLatin1(row->builtWith);
    if (!sf_format_check(&info)) {
      if (error)
        *error = QStringLiteral(
                     "This system's libsndfile (%1) cannot write %2 at %3 Hz: install "
                     "Debian's package libsndfile1, version 1.1 or later, built with %4.")
                     .arg(QString::fromLatin1(sf_version_string()), what)
                     .arg(params.sampleRate)
                     .arg(built);
      return false;
    }
    static SF_VIRTUAL_IO vio = {
        [](void* u) -> sf_count_t { return static_cast<DeviceIo*>(u)->size; },
        [](sf_count_t offset, int whence, void* u) -> sf_count_t {
          return static_cast<DeviceIo*>(u)->seek(offset, whence);
        },
        [](void*, sf_count_t, void*) -> sf_count_t { return 0; },
        [](const void* data, sf_count_t count, void* u) -> sf_count_t {
          return static_cast<DeviceIo*>(u)->write(data, count);
        },
        [](void* u) -> sf_count_t { return static_cast<DeviceIo*>(u)->position; },
    };
    file_ = sf_open_virtual(&vio, SFM_WRITE, &info, &io_);
    if (!file_) {
      if (error)
        *error = QStringLiteral("libsndfile could not start the %1 file: %2")
                     .arg(what, QString::fromLocal8Bit(sf_strerror(nullptr)));
      return false;
    }
    // The tags go into the stream's header (Vorbis comment, ID3), before any sample.
    if (!params.title.isEmpty())
      sf_set_string(file_, SF_STR_TITLE, params.title.toUtf8().constData());
    sf_set_string(file_, SF_STR_SOFTWARE, "Pealix");
    return true;
  }

  bool write(const float* interleaved, int frames, QString* error) override {
    if (sf_writef_float(file_, interleaved, frames) != frames || !io_.failure.isEmpty())
      return fail(error);
    return true;
  }
  bool finish(QString* error) override {
    const int status = sf_close(file_);
    file_ = nullptr;
    if (status != 0 || !io_.failure.isEmpty()) return fail(error, status);
    return true;
  }

 private:
  bool fail(QString* error, int status = 0) {
    if (error)
      *error = !io_.failure.isEmpty()
                   ? io_.failure
                   : QString::fromLocal8Bit(status ? sf_error_number(status) : sf_strerror(file_));
    return false;
  }

  SNDFILE* file_ = nullptr;
  DeviceIo io_;
  int channels_ = 1;
};

QString avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

// AAC (FFmpeg's native encoder) in an MP4 container of the iTunes kind (.m4a, .m4r).
class Mp4Encoder : public pxaudio::AudioEncoder {
 public:
  explicit Mp4Encoder(QIODevice& out) { io_.out = &out; }
  ~Mp4Encoder() override {
    avcodec_free_context(&codec_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    if (format_) {
      if (format_->pb) {
        av_freep(&format_->pb->buffer);
        avio_context_free(&format_->pb);
      }
      avformat_free_context(format_);
    }
  }

  bool open(const pxaudio::EncodeParams& params, QString* error) {
    channels_ = params.channels;
    // FFmpeg's own messages stay off the terminal; failures come back as error texts.
    av_log_set_level(AV_LOG_QUIET);
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    if (!aac) {
      if (error)
        *error = QStringLiteral(
            "This system's FFmpeg has no AAC encoder: install Debian's package libavcodec59.");
      return false;
    }
    const AVOutputFormat* muxer = av_guess_format("ipod", nullptr, nullptr);
    if (!muxer) muxer = av_guess_format("mp4", nullptr, nullptr);
    if (!muxer) {
      if (error)
        *error = QStringLiteral(
            "This system's FFmpeg cannot write MP4 files: install Debian's package "
            "libavformat59.");
      return false;
    }
    int code = avformat_alloc_output_context2(&format_, muxer, nullptr, nullptr);
    if (code < 0) return fail(error, code);
    constexpr int kBuffer = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBuffer));
    format_->pb = avio_alloc_context(buffer, kBuffer, 1, &io_, nullptr, &writePacket, &seekTo);
    if (!format_->pb) {
      av_free(buffer);
      return fail(error, AVERROR(ENOMEM));
    }
    if (!params.title.isEmpty())
      av_dict_set(&format_->metadata, "title", params.title.toUtf8().constData(), 0);

    codec_ = avcodec_alloc_context3(aac);
    if (!codec_) return fail(error, AVERROR(ENOMEM));
    codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec_->sample_rate = params.sampleRate;
    av_channel_layout_default(&codec_->ch_layout, params.channels);
    codec_->bit_rate = params.channels > 1 ? 160000 : 96000;
    codec_->time_base = AVRational{1, params.sampleRate};
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((code = avcodec_open2(codec_, aac, nullptr)) < 0) return fail(error, code);
    stream_ = avformat_new_stream(format_, nullptr);
    if (!stream_) return fail(error, AVERROR(ENOMEM));
    stream_->time_base = codec_->time_base;
    if ((code = avcodec_parameters_from_context(stream_->codecpar, codec_)) < 0)
      return fail(error, code);
    if ((code = avformat_write_header(format_, nullptr)) < 0) return fail(error, code);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_) return fail(error, AVERROR(ENOMEM));
    frameSize_ = codec_->frame_size > 0 ? codec_->frame_size : 1024;
    pending_.reserve(static_cast<size_t>(frameSize_) * channels_);
    return true;
  }

  bool write(const float* interleaved, int frames, QString* error) override {
    for (int k = 0; k < frames; ++k) {
      pending_.insert(pending_.end(), interleaved + static_cast<size_t>(k) * channels_,
                      interleaved + static_cast<size_t>(k + 1) * channels_);
      if (static_cast<int>(pending_.size()) == frameSize_ * channels_ && !sendPending(error))
        return false;
    }
    return true;
  }

  bool finish(QString* error) override {
    if (!pending_.empty() && !sendPending(error)) return false;
    int code = avcodec_send_frame(codec_, nullptr);
    if (code < 0 || !drain(error)) return code < 0 ? fail(error, code) : false;
    if ((code = av_write_trailer(format_)) < 0) return fail(error, code);
    avio_flush(format_->pb);
    if (!io_.failure.isEmpty()) return fail(error, 0);
    return true;
  }

 private:
#if LIBAVFORMAT_VERSION_MAJOR >= 61
  static int writePacket(void* opaque, const uint8_t* data, int size) {
#else
  static int writePacket(void* opaque, uint8_t* data, int size) {
#endif
    auto* io = static_cast<DeviceIo*>(opaque);
    return io->write(data, size) == size ? size : AVERROR(EIO);
  }
  static int64_t seekTo(void* opaque, int64_t offset, int whence) {
    auto* io = static_cast<DeviceIo*>(opaque);
    if (whence & AVSEEK_SIZE) return io->size;
    const int64_t at = io->seek(offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(EIO) : at;
  }

  bool sendPending(QString* error) {
    const int n = static_cast<int>(pending_.size()) / channels_;
    av_frame_unref(frame_);
    frame_->nb_samples = n;
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->sample_rate = codec_->sample_rate;
    int code = av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    if (code >= 0) code = av_frame_get_buffer(frame_, 0);
    if (code < 0) return fail(error, code);
    for (int c = 0; c < channels_; ++c) {
      auto* plane = reinterpret_cast<float*>(frame_->extended_data[c]);
      for (int k = 0; k < n; ++k) plane[k] = pending_[static_cast<size_t>(k) * channels_ + c];
    }
    frame_->pts = pts_;
    pts_ += n;
    pending_.clear();
    if ((code = avcodec_send_frame(codec_, frame_)) < 0) return fail(error, code);
    return drain(error);
  }

  bool drain(QString* error) {
    for (;;) {
      int code = avcodec_receive_packet(codec_, packet_);
      if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
      if (code < 0) return fail(error, code);
      av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      if ((code = av_interleaved_write_frame(format_, packet_)) < 0) return fail(error, code);
    }
  }

  bool fail(QString* error, int code) {
    if (error)
      *error = !io_.failure.isEmpty()
                   ? io_.failure
                   : QStringLiteral("The MP4 file could not be written: %1").arg(avError(code));
    return false;
  }

  DeviceIo io_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVStream* stream_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  std::vector<float> pending_;
  int frameSize_ = 1024;
  int channels_ = 1;
  int64_t pts_ = 0;
};

class PluginAudioFiles : public pxaudio::AudioFiles {
 public:
  std::unique_ptr<pxaudio::LoudnessMeter> newLoudnessMeter(int sampleRate, int channels,
                                                           QString* error) override {
    ebur128_state* state =
        ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate),
                     EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (!state) {
      if (error) *error = QStringLiteral("The loudness meter (libebur128) could not start.");
      return nullptr;
    }
    return std::make_unique<Ebur128Meter>(state, channels);
  }

  std::unique_ptr<pxaudio::AudioEncoder> newEncoder(const pxaudio::EncodeParams& params,
                                                    QIODevice& out, QString* error) override {
    if (params.format == AudioFormat::M4r || params.format == AudioFormat::M4a) {
      auto encoder = std::make_unique<Mp4Encoder>(out);
      if (!encoder->open(params, error)) return nullptr;
      return encoder;
    }
    auto encoder = std::make_unique<SndfileEncoder>(out);
    if (!encoder->open(params, error)) return nullptr;
    return encoder;
  }
};

}  // namespace

}  // namespace pxplugin

extern "C" __attribute__((visibility("default"))) pxaudio::AudioFiles* pealixAudioFiles(
    int version) {
  static pxplugin::PluginAudioFiles files;
  return version == pxaudio::kAudioInterfaceVersion ? &files : nullptr;
}
