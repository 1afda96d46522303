#pragma once
// Pictures as PNG stills and GIF animations, through libpng and giflib.

#include <cstdint>
#include <string>
#include <vector>

#include "core/saved_files.h"

struct ColorMapObject;  // giflib's

// A frame as GL reads it back: 8-bit RGB, or RGBA with alpha 0 off the
// figure, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    bool alpha = false;
    std::vector<std::uint8_t> pixels;

    int channels() const { return alpha ? 4 : 3; }
};

// Writes the picture as an 8-bit RGB or RGBA PNG to the open file fd (left
// open), with the text of its frame's view and what drew it in text chunks,
// each when not empty.
bool write_png(int fd, const Picture& picture, const std::string& view, const std::string& drawn_by,
               std::string& error);

// What a PNG that write_png completed holds besides its pixels.
struct PngFacts {
    int width = 0;
    int height = 0;
    bool alpha = false;
    std::string view;      // "" for a PNG without one
    std::string drawn_by;  // "" for a PNG without it
};

// False when the file is missing, not a PNG or cut short.
bool read_png_facts(const std::string& path, PngFacts& facts);

// An endless-looping GIF animation written frame by frame to the open file
// fd (left open). Each frame's palette is made of the colours present in
// it, so nothing is lost; a frame with more than 256 colours is refused.
// Pictures with alpha get one transparent palette entry for the pixels of
// alpha 0, and each frame gives its area back to the background when the
// next one comes, so that no earlier frame shows through.
class GifWriter {
public:
    GifWriter(int fd, int width, int height, int delay_ms);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    bool add(const Picture& picture, std::string& error);
    bool finish(std::string& error);

private:
    struct Colour {
        std::uint8_t r, g, b;
        bool clear;  // the transparent entry
        bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b && clear == o.clear; }
    };
    bool start(const std::vector<Colour>& palette, std::string& error);
    static ColorMapObject* make_map(const std::vector<Colour>& palette);
    bool fail(const char* step, int code, std::string& error);

    void* gif_ = nullptr;  // GifFileType, kept out of this header
    int fd_;
    int width_;
    int height_;
    int delay_cs_;
    int frames_ = 0;
    std::vector<Colour> global_;
    std::vector<std::uint8_t> indices_;
};
