#pragma once
// Video files written through FFmpeg's libraries: H.264 in MP4, VP9 in
// WebM, ProRes 4444 in MOV. Frames are converted to the codec's pixel format on the caller's
// thread and encoded on a thread of their own, with a small bounded queue
// between, so drawing goes on while earlier frames are encoded and memory
// stays the same however many frames there are.

#include <memory>
#include <string>

#include "cli/image_files.h"
#include "cli/outputs.h"

struct VideoSettings {
    FileFormat format = FileFormat::mp4;  // mp4, webm or mov
    int width = 0;
    int height = 0;
    int fps = VIDEO_FPS;
    int crf = -1;  // the quality on the codec's scale (none for ProRes)
    bool lossless = false;
    bool full_colour = false;
    bool alpha = false;  // pictures with alpha, kept: VP9's or ProRes's alpha
};

// Why a video of these settings cannot be written (an odd size in 4:2:0, a
// size beyond the codec's levels), or "" when it can.
std::string video_settings_error(const VideoSettings& settings);

class VideoFile {
public:
    // `path` is opened by name (the MP4 muxer reopens it at the end to move
    // its index), so it may have any extension: the container is named.
    // "-" is standard output, for the containers that can be streamed.
    VideoFile(std::string path, const VideoSettings& settings);
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    bool start(std::string& error);
    // Hands a frame over; waits while the queue is full.
    bool add(const Picture& picture, std::string& error);
    // Encodes what is left and closes the file.
    bool finish(std::string& error);

private:
    struct State;
    std::unique_ptr<State> state_;
};
