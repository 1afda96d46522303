#pragma once
// What the output's extension (and a number field in its name) asks for,
// and the quality scale of each kind of video: shared by the arguments'
// checks, their help and the video writer.

#include "core/saved_files.h"

enum class OutputKind { none, png, gif, png_frames, mp4, webm, mov, svg, pdf, svg_frames, pdf_frames };

// Whether the kind is a video file written through FFmpeg.
inline bool is_video(OutputKind kind) {
    return kind == OutputKind::mp4 || kind == OutputKind::webm || kind == OutputKind::mov;
}

// Whether the kind is drawn as lines (SVG or PDF), without GL.
inline bool is_vector(OutputKind kind) {
    return kind == OutputKind::svg || kind == OutputKind::pdf || kind == OutputKind::svg_frames ||
           kind == OutputKind::pdf_frames;
}

// Whether the kind is a file for each frame, named by a number field.
inline bool is_numbered(OutputKind kind) {
    return kind == OutputKind::png_frames || kind == OutputKind::svg_frames || kind == OutputKind::pdf_frames;
}

// The highest CRF each video codec takes: x264's and libvpx's scales
// (ProRes, in .mov, has none).
constexpr int max_crf(OutputKind kind) { return kind == OutputKind::mp4 ? 51 : 63; }

// The quality a codec uses when none is asked for.
constexpr int default_crf(OutputKind kind) { return kind == OutputKind::mp4 ? H264_DEFAULT_CRF : VP9_DEFAULT_CRF; }
