#pragma once
// What the files PolyTree's programs save have in common, whichever program
// saves them: polytree-render's stills and videos and the page's Save and
// Record. A PNG keeps the view of its frame in a text chunk, so that any
// program can draw the frame again from the file.

#include <string>

#include "core/view.h"

// The keys of a PNG's text chunks: the view of its frame (core/view.h), and
// what drew it (the program's version, the GL driver's renderer and
// version), kept apart so that the view chunk stays a pure view.
constexpr char PNG_VIEW_KEY[] = "polytree-view";
constexpr char PNG_DRAWN_BY_KEY[] = "polytree-drawn-by";

// Videos turn a degree a frame, as the viewer does: at 60 frames a second a
// turn takes six seconds.
constexpr int VIDEO_FPS = 60;

// The quality a codec uses when none is asked for: x264's 18 and libvpx's
// 30 keep the one-pixel lines sharp at about the size of x264's default 23
// on ordinary footage.
constexpr int H264_DEFAULT_CRF = 18;
constexpr int VP9_DEFAULT_CRF = 30;

// The name the page gives a picture or video of the view: "polytree ", the
// view's text with ':' made '=' (not allowed in file names everywhere), '.'
// and the extension.
std::string saved_file_name(const View& view, const std::string& extension);

// The polytree-render command that makes the same still (frames 0) or the
// same video of that many frames, as "polytree." and the extension.
std::string render_command(const View& view, int width, int height, int frames, const std::string& extension);
