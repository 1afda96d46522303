#include "cli/vector_files.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t FLUSH_BYTES = 1 << 20;

bool write_all(int fd, const char* data, std::size_t size, std::string& error) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error = std::string("cannot write the file: ") + std::strerror(written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// A whole number of steps as a decimal, with no trailing zeros: 12345 at
// 100 steps is 123.45, -50 is -.5.
void append_steps(std::string& out, std::int64_t value, int steps) {
    if (value < 0) {
        out += '-';
        value = -value;
    }
    const std::int64_t whole = value / steps;
    std::int64_t part = value % steps;
    if (whole != 0 || part == 0) out += std::to_string(whole);
    if (part == 0) return;
    out += '.';
    for (int digit = steps / 10; digit > 0 && part != 0; digit /= 10) {
        out += static_cast<char>('0' + part / digit);
        part %= digit;
    }
}

// SVG's number lists need no blank before a minus sign, nor after a command.
void append_number(std::string& out, std::int64_t value, int steps) {
    const char last = out.empty() ? ' ' : out.back();
    if (value >= 0 && !std::isalpha(static_cast<unsigned char>(last))) out += ' ';
    append_steps(out, value, steps);
}

// A number of units as SVG's attributes take it.
std::string units(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string hex_colour(const SegmentColour& c) {
    // Rounded as GL turns the float colours into the bytes of the picture.
    const auto byte = [](float v) { return static_cast<int>(v * 255.0f + 0.5f); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b));
    return text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    return out;
}

// The picture's area on the page: where a black background goes.
void picture_area(const PaperLayout& page, int width, int height, double area[4]) {
    area[0] = page.left;
    area[1] = page.top;
    area[2] = page.scale * width;
    area[3] = page.scale * height;
}

cairo_status_t to_fd(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<std::pair<int, std::string>*>(closure);
    if (!sink->second.empty()) return CAIRO_STATUS_WRITE_ERROR;
    return write_all(sink->first, reinterpret_cast<const char*>(data), length, sink->second)
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool write_svg(int fd, const std::vector<PlotLayer>& layers, const PaperLayout& page, int width, int height,
               const VectorStyle& style, std::string& error) {
    const std::string unit = page.on_paper ? "mm" : "px";
    const double mm_per_unit = page.on_paper ? 1.0 : MM_PER_PIXEL;
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" "
        "width=\"" + units(page.width) + unit + "\" height=\"" + units(page.height) + unit + "\" viewBox=\"0 0 " +
        units(page.width) + " " + units(page.height) + "\">\n<desc>" + escaped(style.view) + "</desc>\n" +
        "<!-- " + escaped(style.creator) + " -->\n";
    if (style.background) {
        double area[4];
        picture_area(page, width, height, area);
        out += "<rect x=\"" + units(area[0]) + "\" y=\"" + units(area[1]) + "\" width=\"" + units(area[2]) +
               "\" height=\"" + units(area[3]) + "\" fill=\"#000000\" stroke=\"none\"/>\n";
    }
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const PlotLayer& layer = layers[i];
        out += "<g inkscape:groupmode=\"layer\" inkscape:label=\"" + layer.label + "\" id=\"layer" +
               std::to_string(i + 1) + "\" fill=\"none\" stroke=\"" + hex_colour(layer.colour) + "\" stroke-width=\"" +
               units(style.stroke_mm / mm_per_unit) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
        for (const PlotPath& path : layer.paths) {
            out += "<path d=\"M";
            append_steps(out, path.points[0].x, page.steps);
            append_number(out, path.points[0].y, page.steps);
            out += 'l';
            for (std::size_t k = 1; k < path.points.size(); ++k) {
                append_number(out, path.points[k].x - path.points[k - 1].x, page.steps);
                append_number(out, path.points[k].y - path.points[k - 1].y, page.steps);
            }
            out += path.closed ? "z\"/>\n" : "\"/>\n";
            if (out.size() >= FLUSH_BYTES) {
                if (!write_all(fd, out.data(), out.size(), error)) return false;
                out.clear();
            }
        }
        out += "</g>\n";
    }
    out += "</svg>\n";
    return write_all(fd, out.data(), out.size(), error);
}

bool write_pdf(int fd, const std::vector<PlotLayer>& layers, const PaperLayout& page, int width, int height,
               const VectorStyle& style, std::string& error) {
    std::pair<int, std::string> sink{fd, ""};
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
        to_fd, &sink, page.width * page.points_per_unit, page.height * page.points_per_unit);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, style.view.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, style.creator.c_str());
    cairo_t* cr = cairo_create(surface);
    // Coordinates in the file's steps, as the SVG has them.
    cairo_scale(cr, page.points_per_unit / page.steps, page.points_per_unit / page.steps);
    if (style.background) {
        double area[4];
        picture_area(page, width, height, area);
        cairo_rectangle(cr, area[0] * page.steps, area[1] * page.steps, area[2] * page.steps, area[3] * page.steps);
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_fill(cr);
    }
    const double mm_per_unit = page.on_paper ? 1.0 : MM_PER_PIXEL;
    cairo_set_line_width(cr, style.stroke_mm / mm_per_unit * page.steps);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const PlotLayer& layer : layers) {
        cairo_set_source_rgb(cr, layer.colour.r, layer.colour.g, layer.colour.b);
        for (const PlotPath& path : layer.paths) {
            cairo_move_to(cr, static_cast<double>(path.points[0].x), static_cast<double>(path.points[0].y));
            for (std::size_t k = 1; k < path.points.size(); ++k) {
                cairo_line_to(cr, static_cast<double>(path.points[k].x), static_cast<double>(path.points[k].y));
            }
            if (path.closed) cairo_close_path(cr);
        }
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (!sink.second.empty()) {
        error = sink.second;
        return false;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        error = std::string("cannot write the PDF: ") + cairo_status_to_string(status);
        return false;
    }
    return true;
}
