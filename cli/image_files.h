#pragma once
// Pictures as PNG stills and GIF animations, through libpng and giflib.

#include <cstdint>
#include <string>
#include <vector>

struct ColorMapObject;  // giflib's

// A frame as GL reads it back: 8-bit RGB, bottom row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Writes the picture as an 8-bit RGB PNG to the open file fd (left open),
// with `stamp` (what it was drawn with) in a text chunk when not empty.
bool write_png(int fd, const Picture& picture, const std::string& stamp, std::string& error);

// The stamp of a PNG file that write_png completed: false when the file is
// missing, not a PNG, cut short or of another size.
bool read_png_stamp(const std::string& path, int width, int height, std::string& stamp);

// An endless-looping GIF animation written frame by frame to the open file
// fd (left open). Each frame's palette is made of the colours present in
// it, so nothing is lost; a frame with more than 256 colours is refused.
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
        bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
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
