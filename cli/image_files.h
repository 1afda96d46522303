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

// The keys of a PNG's text chunks: the view of its frame (core/view.h), and
// one kept for what drew it (the program, its build, the GL driver), so
// that the view chunk stays a pure view.
constexpr char PNG_VIEW_KEY[] = "polytree-view";
constexpr char PNG_DRAWN_BY_KEY[] = "polytree-drawn-by";

// Writes the picture as an 8-bit RGB PNG to the open file fd (left open),
// with the text of its frame's view in a text chunk when not empty.
bool write_png(int fd, const Picture& picture, const std::string& view, std::string& error);

// The size of a PNG file that write_png completed, and the text of its view
// ("" for a PNG without one): false when the file is missing, not a PNG or
// cut short.
bool read_png_view(const std::string& path, int& width, int& height, std::string& view);

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
