#include "output/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace output {
namespace {

bool endsWith(const std::string& path, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return path.size() > n && strcasecmp(path.c_str() + path.size() - n, suffix) == 0;
}

bool isMatroska(const std::string& path) { return endsWith(path, ".mkv"); }

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

AVSampleFormat sampleFormatOf(platform::PcmSound::Format format) {
    switch (format) {
    case platform::PcmSound::Format::U8: return AV_SAMPLE_FMT_U8;
    case platform::PcmSound::Format::S16: return AV_SAMPLE_FMT_S16;
    case platform::PcmSound::Format::S32: return AV_SAMPLE_FMT_S32;
    case platform::PcmSound::Format::F32: return AV_SAMPLE_FMT_FLT;
    }
    return AV_SAMPLE_FMT_S16;
}

bool supportsRate(const AVCodec* codec, int rate) {
    if (!codec->supported_samplerates) return true;
    for (const int* r = codec->supported_samplerates; *r; ++r)
        if (*r == rate) return true;
    return false;
}

}  // namespace

bool isVideoPath(const std::string& path) { return endsWith(path, ".mp4") || endsWith(path, ".mkv"); }

std::string videoUnavailable(double) { return {}; }

VideoWriter::~VideoWriter() { close(); }

bool VideoWriter::fail(const char* what, int code) {
    error_ = std::string(what) + (code ? ": " + avError(code) : "");
    return false;
}

void VideoWriter::close() {
    if (format_ && format_->pb) avio_closep(&format_->pb);
    if (format_) avformat_free_context(format_);
    format_ = nullptr;
    videoStream_ = audioStream_ = nullptr;
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    av_frame_free(&picture_);
    av_frame_free(&sound_);
    av_packet_free(&packet_);
    sws_freeContext(scaler_);
    scaler_ = nullptr;
    swr_free(&resampler_);
    if (!finished_) partFile_.discard();
    partPath_.clear();
}

bool VideoWriter::open(const VideoSettings& settings, std::string& error) {
    close();
    settings_ = settings;
    finished_ = headerWritten_ = false;
    frames_ = 0;
    audioNext_ = 0;
    av_log_set_level(AV_LOG_ERROR);
    if (!isVideoPath(settings.path)) {
        error = settings.path + ": the video file must end in .mp4 or .mkv";
        return false;
    }
    const bool mkv = isMatroska(settings.path);
    if (!checkOutputTarget(settings.path, error)) return false;
    // The .part is made and locked here, exclusively; FFmpeg then writes it by name.
    if (!partFile_.create(settings.path, error)) return false;
    const std::string& part = partFile_.partPath();
    int code = avformat_alloc_output_context2(&format_, nullptr, mkv ? "matroska" : "mp4", part.c_str());
    if (code < 0 || !format_) {
        fail(("no muxer for " + part).c_str(), code);
        error = error_;
        close();
        return false;
    }
    code = avio_open(&format_->pb, part.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) {
        error = "cannot write " + part + ": " + avError(code);
        close();
        return false;
    }
    partPath_ = part;

    // H.264 through libx264, tagged BT.709 limited range.
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264) h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!h264) {
        error = "no H.264 encoder in this FFmpeg";
        close();
        return false;
    }
    const AVRational rate = av_d2q(settings.fps, 100000);
    video_ = avcodec_alloc_context3(h264);
    video_->width = settings.width;
    video_->height = settings.height;
    video_->time_base = av_inv_q(rate);
    video_->framerate = rate;
    video_->pix_fmt = AV_PIX_FMT_YUV420P;
    video_->color_primaries = AVCOL_PRI_BT709;
    video_->color_trc = AVCOL_TRC_BT709;
    video_->colorspace = AVCOL_SPC_BT709;
    video_->color_range = AVCOL_RANGE_MPEG;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(video_->priv_data, "preset", settings.preset, 0);
    av_opt_set_double(video_->priv_data, "crf", settings.crf, 0);
    code = avcodec_open2(video_, h264, nullptr);
    if (code < 0) {
        error = "cannot open the H.264 encoder: " + avError(code);
        close();
        return false;
    }
    videoStream_ = avformat_new_stream(format_, nullptr);
    avcodec_parameters_from_context(videoStream_->codecpar, video_);
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = rate;
    videoStream_->r_frame_rate = rate;

    picture_ = av_frame_alloc();
    picture_->format = AV_PIX_FMT_YUV420P;
    picture_->width = settings.width;
    picture_->height = settings.height;
    if (av_frame_get_buffer(picture_, 0) < 0) {
        error = "out of memory";
        close();
        return false;
    }
    // The size stays; only the colour conversion and the 2 x 2 chroma averaging run, which the
    // fast filter does at a little over half the cost of the others.
    scaler_ = sws_getContext(settings.width, settings.height, AV_PIX_FMT_BGRA, settings.width, settings.height,
                             AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler_) {
        error = "no BGRA to YUV 4:2:0 converter";
        close();
        return false;
    }
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);

    warning_.clear();
    if (settings.audio && settings.audio->frames() > 0 && !openAudio(*settings.audio)) {
        // A soundtrack the encoder cannot take makes a silent video, not a failed one.
        if (audioStream_) {
            error = error_;
            close();
            return false;
        }
        warning_ = error_;
        avcodec_free_context(&audio_);
        swr_free(&resampler_);
        av_frame_free(&sound_);
    }
    packet_ = av_packet_alloc();
    AVDictionary* options = nullptr;
    if (!mkv) av_dict_set(&options, "movflags", "+faststart", 0);
    code = avformat_write_header(format_, &options);
    av_dict_free(&options);
    if (code < 0) {
        error = "cannot write " + part + ": " + avError(code);
        close();
        return false;
    }
    headerWritten_ = true;
    return true;
}

bool VideoWriter::openAudio(const platform::PcmSound& audio) {
    const bool mkv = isMatroska(settings_.path);
    const AVCodec* codec = avcodec_find_encoder(mkv ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
    if (!codec) return fail(mkv ? "no FLAC encoder in this FFmpeg" : "no AAC encoder in this FFmpeg", 0);
    if (!supportsRate(codec, audio.rate)) {
        error_ = "the soundtrack's rate of " + std::to_string(audio.rate) + " Hz does not go into " +
                 (mkv ? "FLAC" : "AAC");
        return false;
    }
    audio_ = avcodec_alloc_context3(codec);
    audio_->sample_rate = audio.rate;
    av_channel_layout_default(&audio_->ch_layout, audio.channels);
    audio_->time_base = {1, audio.rate};
    if (mkv) {
        const bool deep = audio.format != platform::PcmSound::Format::S16 && audio.format != platform::PcmSound::Format::U8;
        audio_->sample_fmt = deep ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
        if (deep) audio_->bits_per_raw_sample = 24;
    } else {
        audio_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        audio_->bit_rate = 96000L * audio.channels;
    }
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int code = avcodec_open2(audio_, codec, nullptr);
    if (code < 0) return fail("cannot open the audio encoder", code);
    audioFrameSize_ = audio_->frame_size > 0 ? audio_->frame_size : 1024;
    audioStream_ = avformat_new_stream(format_, nullptr);
    avcodec_parameters_from_context(audioStream_->codecpar, audio_);
    audioStream_->time_base = audio_->time_base;

    AVChannelLayout inLayout{};
    av_channel_layout_default(&inLayout, audio.channels);
    code = swr_alloc_set_opts2(&resampler_, &audio_->ch_layout, audio_->sample_fmt, audio.rate, &inLayout,
                               sampleFormatOf(audio.format), audio.rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (code < 0 || swr_init(resampler_) < 0) return fail("no sample converter", code);

    sound_ = av_frame_alloc();
    sound_->format = audio_->sample_fmt;
    sound_->nb_samples = audioFrameSize_;
    sound_->sample_rate = audio.rate;
    av_channel_layout_copy(&sound_->ch_layout, &audio_->ch_layout);
    if (av_frame_get_buffer(sound_, 0) < 0) return fail("out of memory", 0);
    return true;
}

bool VideoWriter::drain(AVCodecContext* codec, AVStream* stream) {
    for (;;) {
        int code = avcodec_receive_packet(codec, packet_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
        if (code < 0) return fail("encoding failed", code);
        av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        code = av_interleaved_write_frame(format_, packet_);
        if (code < 0 || format_->pb->error < 0)
            return fail(("cannot write " + partPath_).c_str(), code < 0 ? code : format_->pb->error);
    }
}

bool VideoWriter::encodeAudioUntil(int64_t endSample, bool last) {
    if (!audio_) return true;
    const platform::PcmSound& sound = *settings_.audio;
    const int64_t total = static_cast<int64_t>(sound.frames());
    if (endSample > total) endSample = total;
    while (audioNext_ < endSample) {
        const int64_t left = endSample - audioNext_;
        if (left < audioFrameSize_ && !last) break;  // whole encoder frames until the end
        const int n = static_cast<int>(left < audioFrameSize_ ? left : audioFrameSize_);
        if (av_frame_make_writable(sound_) < 0) return fail("out of memory", 0);
        const uint8_t* in = sound.bytes.data() + audioNext_ * sound.frameBytes();
        sound_->nb_samples = n;
        const int converted = swr_convert(resampler_, sound_->data, n, &in, n);
        if (converted != n) return fail("sample conversion failed", converted < 0 ? converted : 0);
        sound_->pts = audioNext_;
        audioNext_ += n;
        int code = avcodec_send_frame(audio_, sound_);
        if (code < 0) return fail("audio encoding failed", code);
        if (!drain(audio_, audioStream_)) return false;
    }
    return true;
}

bool VideoWriter::writeFrame(const FrameView& frame) {
    if (!headerWritten_) return fail("the video is not open", 0);
    // GL rows run bottom first: start at the top row and step backwards.
    const int stride = frame.width * 4;
    const uint8_t* top = frame.pixels + static_cast<ptrdiff_t>(frame.height - 1) * stride;
    const int strides[1] = {-stride};
    if (av_frame_make_writable(picture_) < 0) return fail("out of memory", 0);
    sws_scale(scaler_, &top, strides, 0, frame.height, picture_->data, picture_->linesize);
    picture_->pts = frames_;
    int code = avcodec_send_frame(video_, picture_);
    if (code < 0) return fail("video encoding failed", code);
    if (!drain(video_, videoStream_)) return false;
    ++frames_;
    // Sound up to the end of this frame, so the muxer interleaves with little buffering.
    if (audio_) {
        const double endMs = frames_ * 1000.0 / settings_.fps;
        return encodeAudioUntil(static_cast<int64_t>(std::llround(endMs * settings_.audio->rate / 1000.0)), false);
    }
    return true;
}

bool VideoWriter::finish() {
    if (!headerWritten_) return fail("the video is not open", 0);
    if (audio_) {
        const double endMs = frames_ * 1000.0 / settings_.fps;
        if (!encodeAudioUntil(static_cast<int64_t>(std::llround(endMs * settings_.audio->rate / 1000.0)), true))
            return false;
        avcodec_send_frame(audio_, nullptr);
        if (!drain(audio_, audioStream_)) return false;
    }
    avcodec_send_frame(video_, nullptr);
    if (!drain(video_, videoStream_)) return false;
    int code = av_write_trailer(format_);
    if (code < 0 || format_->pb->error < 0) return fail(("cannot write " + partPath_).c_str(), code);
    code = avio_closep(&format_->pb);
    if (code < 0) return fail(("cannot write " + partPath_).c_str(), code);
    if (!partFile_.commit(error_, true)) return false;
    finished_ = true;
    close();
    return true;
}

}  // namespace output
