#include "core/view.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/numbers.h"
#include "core/options.h"
#include "core/viewer_state.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

struct Word {
    std::size_t start;  // where it starts in the text
    std::string text;
};

// The words of a text, parted by any white space: a view pasted from a
// terminal may end in a line break.
std::vector<Word> words_in(const std::string& text) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_space(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !is_space(text[i])) ++i;
        if (i > start) words.push_back(Word{start, text.substr(start, i - start)});
    }
    return words;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The fewest significant digits, from 15 to 17, that read back to the very
// same double (17 always do); an exponent's '+' is left out, as a web
// address would read it as a space.
std::string number_text(double value) {
    char text[40] = "";
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (same_bits(std::strtod(text, nullptr), value)) break;
    }
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != '+') out += *c;
    }
    return out;
}

// A finite decimal number and nothing else: no spaces, no hexadecimal, no
// "inf" or "nan".
bool read_number(const std::string& text, double& value) {
    if (text.empty()) return false;
    for (char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
        if (!allowed) return false;
    }
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// The version a version word names, or -1 for one past any version there
// will be.
long version_of(const std::string& word) {
    unsigned long long version = 0;
    if (!read_whole(word.substr(1), 10, version) || version > 1000000) return -1;
    return static_cast<long>(version);
}

std::string quoted(const std::string& word) { return "'" + word + "'"; }

// The view words, each a field or fields of the view.
enum Field { PITCH, YAW, CAMERA, TWIST, PAUSED, FIELD_COUNT };

struct ViewWord {
    const char* name;
    Field field;
    const char* expected;  // what its value must be
};

const ViewWord VIEW_WORDS[] = {
    {"pitch", PITCH, "a number of degrees, such as pitch:20"},
    {"yaw", YAW, "a number of degrees, such as yaw:-35.5"},
    {"camera", CAMERA, "three numbers X,Y,Z, such as camera:0,0,-3.5"},
    {"twist", TWIST, "a number of radians, such as twist:0.5235987755982988"},
    {"paused", PAUSED, "no value: the word paused alone"},
};

bool read_view_word(const std::string& word, View& view, bool (&seen)[FIELD_COUNT], std::string& error) {
    const std::size_t colon = word.find(':');
    const std::string name = word.substr(0, colon);
    const ViewWord* known = nullptr;
    for (const ViewWord& candidate : VIEW_WORDS) {
        if (name == candidate.name) known = &candidate;
    }
    if (known == nullptr) {
        error = "unknown view word " + quoted(word) + ": expected pitch:, yaw:, camera:, twist: or paused";
        return false;
    }
    if (seen[known->field]) {
        error = "view word " + quoted(word) + ": " + known->name + " is given twice";
        return false;
    }
    seen[known->field] = true;
    const bool has_value = colon != std::string::npos;
    const std::string value = has_value ? word.substr(colon + 1) : "";
    bool good = false;
    switch (known->field) {
        case PAUSED:
            good = !has_value;
            view.paused = true;
            break;
        case CAMERA: {
            double xyz[3] = {};
            std::size_t start = 0;
            good = has_value;
            for (int i = 0; i < 3 && good; ++i) {
                const std::size_t end = i < 2 ? value.find(',', start) : value.size();
                good = end != std::string::npos && read_number(value.substr(start, end - start), xyz[i]);
                start = end + 1;
            }
            view.camera.x = xyz[0];
            view.camera.y = xyz[1];
            view.camera.z = xyz[2];
            break;
        }
        case PITCH:
            good = has_value && read_number(value, view.camera.pitch);
            break;
        case YAW:
            good = has_value && read_number(value, view.camera.yaw);
            break;
        case TWIST:
            good = has_value && read_number(value, view.twist);
            break;
        case FIELD_COUNT:
            break;
    }
    if (!good) error = "view word " + quoted(word) + ": expected " + known->expected;
    return good;
}

}  // namespace

bool is_version_word(const std::string& word) {
    if (word.size() < 2 || word[0] != 'v') return false;
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
    }
    return true;
}

namespace {

// Where the version word is among the words, or words.size().
std::size_t version_word_at(const std::vector<Word>& words) {
    std::size_t at = 0;
    while (at < words.size() && !is_version_word(words[at].text)) ++at;
    return at;
}

}  // namespace

std::string option_words_of(const std::string& text) {
    const std::vector<Word> words = words_in(text);
    const std::size_t version_at = version_word_at(words);
    return version_at < words.size() ? text.substr(0, words[version_at].start) : text;
}

bool read_view(const std::string& text, View& view, std::string& error) {
    const std::vector<Word> words = words_in(text);
    const std::size_t version_at = version_word_at(words);
    const bool versioned = version_at < words.size();

    const StartOptions options = read_options(option_words_of(text).c_str());
    const ViewerState& start = VIEWER_START;
    View read = {options.branches,
                 options.levels,
                 options.mode_index,
                 Camera{start.pitch, start.yaw, start.cam_x, start.cam_y, start.cam_z},
                 start.twist,
                 start.paused};
    if (versioned) {
        const std::string& word = words[version_at].text;
        const long version = version_of(word);
        if (version < 1 || version > VIEW_VERSION) {
            error = quoted(word) + ": a view of version " + (version < 0 ? word.substr(1) : std::to_string(version)) +
                    ", which this program cannot read: it reads views of version " + std::to_string(VIEW_VERSION) +
                    (version > VIEW_VERSION || version < 0 ? " (a newer PolyTree wrote it)" : "");
            return false;
        }
        bool seen[FIELD_COUNT] = {};
        for (std::size_t i = version_at + 1; i < words.size(); ++i) {
            if (!read_view_word(words[i].text, read, seen, error)) return false;
        }
    }
    view = read;
    return true;
}

std::string write_view(const View& view) {
    const Camera& c = view.camera;
    std::string text = "B" + std::to_string(view.branches) + " L" + std::to_string(view.levels) + " G" +
                       std::to_string(view.mode_index + 1) + " v" + std::to_string(VIEW_VERSION);
    text += " pitch:" + number_text(c.pitch) + " yaw:" + number_text(c.yaw);
    text += " camera:" + number_text(c.x) + "," + number_text(c.y) + "," + number_text(c.z);
    text += " twist:" + number_text(view.twist);
    if (view.paused) text += " paused";
    return text;
}

bool same_but_twist(const View& a, const View& b) {
    return a.branches == b.branches && a.levels == b.levels && a.mode_index == b.mode_index &&
           a.camera.pitch == b.camera.pitch && a.camera.yaw == b.camera.yaw && a.camera.x == b.camera.x &&
           a.camera.y == b.camera.y && a.camera.z == b.camera.z && a.paused == b.paused;
}
