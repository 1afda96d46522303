#include "cli/video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Frames converted but not yet taken by the encoder: enough to keep both
// sides busy, few enough that 4K frames stay a few dozen megabytes.
constexpr std::size_t QUEUE_LENGTH = 4;

// The largest level of each codec: H.264 6.2 counts 16x16 macroblocks,
// VP9 6.2 luma samples.
constexpr long long H264_FRAME_MBS = 139264;
constexpr long long H264_MBS_PER_SECOND = 16711680;
constexpr long long H264_SIDE = 16880;  // sqrt(8 * frame macroblocks) * 16
constexpr long long VP9_FRAME_SAMPLES = 35651584;
constexpr long long VP9_SAMPLES_PER_SECOND = 4706009088LL;
constexpr long long VP9_SIDE = 16384;

std::string av_error(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return text;
}

std::string size_text(long long width, long long height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

bool four_two_zero(const VideoSettings& s) { return s.format != FileFormat::mov && !s.lossless && !s.full_colour; }

AVPixelFormat pixel_format(const VideoSettings& s) {
    // ProRes 4444: 10 bits, every pixel's colour, and its alpha.
    if (s.format == FileFormat::mov) return s.alpha ? AV_PIX_FMT_YUVA444P10LE : AV_PIX_FMT_YUV444P10LE;
    if (s.lossless) return AV_PIX_FMT_GBRP;  // RGB planes: nothing converted, nothing lost
    if (s.alpha) return AV_PIX_FMT_YUVA420P;  // libvpx codes VP9's alpha as a 4:2:0 plane of its own
    return s.full_colour ? AV_PIX_FMT_YUV444P : AV_PIX_FMT_YUV420P;
}

struct Container {
    const char* encoder;
    const char* format;
};

Container container_of(FileFormat format) {
    if (format == FileFormat::mp4) return {"libx264", "mp4"};
    if (format == FileFormat::mov) return {"prores_ks", "mov"};
    return {"libvpx-vp9", "webm"};
}

}  // namespace

std::string video_settings_error(const VideoSettings& s) {
    const std::string size = "--size " + size_text(s.width, s.height);
    if (four_two_zero(s) && (s.width % 2 != 0 || s.height % 2 != 0)) {
        const auto even = [](int side) { return side == 1 ? 2 : side - side % 2; };
        return size + ": 4:2:0 video needs an even width and height: try --size " +
               size_text(even(s.width), even(s.height)) + " (or --full-colour)";
    }
    const long long w = s.width;
    const long long h = s.height;
    if (s.format == FileFormat::mp4) {
        const long long mbs = ((w + 15) / 16) * ((h + 15) / 16);
        if (w > H264_SIDE || h > H264_SIDE || mbs > H264_FRAME_MBS || mbs * s.fps > H264_MBS_PER_SECOND) {
            return size + " at " + std::to_string(s.fps) +
                   " fps: beyond H.264's largest level (8192x4320 at 60 fps fits)";
        }
    } else if (s.format == FileFormat::webm && (w > VP9_SIDE || h > VP9_SIDE || w * h > VP9_FRAME_SAMPLES ||
                                              w * h * s.fps > VP9_SAMPLES_PER_SECOND)) {
        return size + " at " + std::to_string(s.fps) + " fps: beyond VP9's largest level (8192x4352 at 120 fps fits)";
    }
    return "";
}

struct VideoFile::State {
    std::string path;
    VideoSettings settings;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    AVPacket* packet = nullptr;
    long long next_pts = 0;

    // Between the drawing thread and the encoding one. A null frame ends
    // the stream.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<AVFrame*> queue;
    // Frames the encoder is done with, whose pictures are filled again.
    std::vector<AVFrame*> spare;
    std::string encoder_error;  // set by the encoder thread, which then stops
    std::thread encoder;

    bool write_packets(std::string& error);
    void encode_all();
    bool push(AVFrame* frame, std::string& error);
};

VideoFile::VideoFile(std::string path, const VideoSettings& settings) : state_(std::make_unique<State>()) {
    state_->path = std::move(path);
    state_->settings = settings;
}

VideoFile::~VideoFile() {
    State& s = *state_;
    if (s.encoder.joinable()) {
        std::string ignored;
        s.push(nullptr, ignored);
        s.encoder.join();
    }
    for (AVFrame* frame : s.queue) av_frame_free(&frame);
    for (AVFrame* frame : s.spare) av_frame_free(&frame);
    sws_freeContext(s.scaler);
    av_packet_free(&s.packet);
    avcodec_free_context(&s.codec);
    if (s.format != nullptr) {
        avio_closep(&s.format->pb);
        avformat_free_context(s.format);
    }
}

bool VideoFile::start(std::string& error) {
    State& s = *state_;
    const VideoSettings& v = s.settings;
    const bool mp4 = v.format == FileFormat::mp4;
    const Container container = container_of(v.format);
    const char* encoder_name = container.encoder;
    // x264's and libvpx's reports of their settings are not for a user.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoder_name);
    if (encoder == nullptr) {
        error = std::string("this FFmpeg has no ") + encoder_name + " encoder";
        return false;
    }
    // By FFmpeg's protocol names: "-" is standard output; any other name a
    // file's, even with a colon in it.
    const std::string url = s.path == "-" ? "pipe:1" : "file:" + s.path;
    int code = avformat_alloc_output_context2(&s.format, nullptr, container.format, url.c_str());
    if (code < 0) {
        error = "FFmpeg: cannot set up the container: " + av_error(code);
        return false;
    }
    s.stream = avformat_new_stream(s.format, nullptr);
    s.codec = avcodec_alloc_context3(encoder);
    s.packet = av_packet_alloc();
    if (s.stream == nullptr || s.codec == nullptr || s.packet == nullptr) {
        error = "FFmpeg: out of memory";
        return false;
    }
    AVCodecContext* c = s.codec;
    c->width = v.width;
    c->height = v.height;
    c->time_base = AVRational{1, v.fps};
    c->framerate = AVRational{v.fps, 1};
    c->pix_fmt = pixel_format(v);
    c->thread_count = 0;  // one per core
    if (v.lossless) {
        c->colorspace = AVCOL_SPC_RGB;
        c->color_range = AVCOL_RANGE_JPEG;
    } else {
        // The tags say what the converter below does; players that find no
        // tags guess BT.601 for small pictures and shift the colours.
        c->colorspace = AVCOL_SPC_BT709;
        c->color_range = AVCOL_RANGE_MPEG;
    }
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (!v.lossless) c->color_trc = AVCOL_TRC_BT709;
    if ((s.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* options = nullptr;
    const std::string crf = std::to_string(v.crf);
    if (mp4) {
        // x264 picks the lowest level that fits the size and rate itself.
        av_dict_set(&options, "preset", "medium", 0);
        av_dict_set(&options, "crf", crf.c_str(), 0);
    } else if (v.format == FileFormat::mov) {
        // The 4444 profile's own quality; its alpha at 16 bits.
        av_dict_set(&options, "profile", "4444", 0);
        av_dict_set(&options, "vendor", "apl0", 0);
    } else {
        // libvpx at its defaults (good quality, speed 1, one thread a frame)
        // is several times slower than x264; speed 4 with row threading
        // costs little quality.
        c->bit_rate = 0;  // constant quality, no bitrate cap
        av_dict_set(&options, "deadline", "good", 0);
        av_dict_set(&options, "cpu-used", "4", 0);
        av_dict_set(&options, "row-mt", "1", 0);
        if (v.lossless) {
            av_dict_set(&options, "lossless", "1", 0);
        } else {
            av_dict_set(&options, "crf", crf.c_str(), 0);
        }
    }
    code = avcodec_open2(c, encoder, &options);
    av_dict_free(&options);
    if (code < 0) {
        error = std::string("FFmpeg: cannot open the ") + encoder_name + " encoder: " + av_error(code);
        return false;
    }
    code = avcodec_parameters_from_context(s.stream->codecpar, c);
    if (code < 0) {
        error = "FFmpeg: " + av_error(code);
        return false;
    }
    s.stream->time_base = c->time_base;
    s.stream->avg_frame_rate = c->framerate;

    s.scaler = sws_getContext(v.width, v.height, v.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24, v.width, v.height,
                              c->pix_fmt,
                              SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
    if (s.scaler == nullptr) {
        error = "FFmpeg: no conversion from RGB to the video's pixel format";
        return false;
    }
    if (!v.lossless) {
        // swscale converts with BT.601 unless told otherwise.
        const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(s.scaler, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    }

    code = avio_open(&s.format->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) {
        error = "cannot write '" + s.path + "': " + av_error(code);
        return false;
    }
    AVDictionary* muxer_options = nullptr;
    // The index first, so that a browser plays the file before all of it
    // has arrived: the muxer moves it there when the file is finished.
    if (mp4) av_dict_set(&muxer_options, "movflags", "+faststart", 0);
    code = avformat_write_header(s.format, &muxer_options);
    av_dict_free(&muxer_options);
    if (code < 0) {
        error = "FFmpeg: cannot write the header: " + av_error(code);
        return false;
    }
    s.encoder = std::thread([&s] { s.encode_all(); });
    return true;
}

bool VideoFile::State::push(AVFrame* frame, std::string& error) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return queue.size() < QUEUE_LENGTH || !encoder_error.empty(); });
    if (!encoder_error.empty()) {
        error = encoder_error;
        av_frame_free(&frame);
        return false;
    }
    queue.push_back(frame);
    changed.notify_all();
    return true;
}

bool VideoFile::add(const Picture& picture, std::string& error) {
    State& s = *state_;
    AVFrame* frame = nullptr;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.spare.empty()) {
            frame = s.spare.back();
            s.spare.pop_back();
        }
    }
    if (frame == nullptr && (frame = av_frame_alloc()) != nullptr) {
        frame->format = s.codec->pix_fmt;
        frame->width = s.codec->width;
        frame->height = s.codec->height;
        // ProRes writes each frame's own colour tags, not the stream's.
        frame->color_primaries = s.codec->color_primaries;
        frame->color_trc = s.codec->color_trc;
        frame->colorspace = s.codec->colorspace;
        frame->color_range = s.codec->color_range;
        if (av_frame_get_buffer(frame, 0) < 0) av_frame_free(&frame);
    }
    // A codec may still hold the pictures of a frame it was given: then
    // this gives the frame pictures of its own.
    if (frame == nullptr || av_frame_make_writable(frame) < 0) {
        av_frame_free(&frame);
        error = "FFmpeg: out of memory for a frame";
        return false;
    }
    const std::uint8_t* source[1] = {picture.pixels.data()};
    const int strides[1] = {picture.width * picture.channels()};
    sws_scale(s.scaler, source, strides, 0, picture.height, frame->data, frame->linesize);
    frame->pts = s.next_pts++;
    return s.push(frame, error);
}

bool VideoFile::State::write_packets(std::string& error) {
    for (;;) {
        const int code = avcodec_receive_packet(codec, packet);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
        if (code < 0) {
            error = "FFmpeg: encoding failed: " + av_error(code);
            return false;
        }
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        const int written = av_interleaved_write_frame(format, packet);
        if (written < 0) {
            error = "cannot write '" + path + "': " + av_error(written);
            return false;
        }
    }
}

void VideoFile::State::encode_all() {
    std::string error;
    for (;;) {
        AVFrame* frame = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return !queue.empty(); });
            frame = queue.front();
            queue.pop_front();
            changed.notify_all();
        }
        const int code = avcodec_send_frame(codec, frame);
        const bool last = frame == nullptr;
        if (!last) {
            std::lock_guard<std::mutex> lock(mutex);
            spare.push_back(frame);
        }
        if (code < 0) {
            error = "FFmpeg: encoding failed: " + av_error(code);
            break;
        }
        if (!write_packets(error) || last) break;
    }
    std::lock_guard<std::mutex> lock(mutex);
    encoder_error = error;
    changed.notify_all();
}

bool VideoFile::finish(std::string& error) {
    State& s = *state_;
    if (!s.encoder.joinable()) {
        error = "the video was not started";
        return false;
    }
    const bool pushed = s.push(nullptr, error);
    s.encoder.join();
    if (!pushed) return false;
    if (!s.encoder_error.empty()) {
        error = s.encoder_error;
        return false;
    }
    int code = av_write_trailer(s.format);
    if (code < 0) {
        error = "cannot finish '" + s.path + "': " + av_error(code);
        return false;
    }
    code = avio_closep(&s.format->pb);
    if (code < 0) {
        error = "cannot write '" + s.path + "': " + av_error(code);
        return false;
    }
    return true;
}
