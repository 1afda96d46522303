// Reads the help box's dialog template back out of the compiled resources,
// the bytes the system builds the box from, and checks it field by field.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/texts.h"

namespace {

// Values of the Win32 style bits, spelled out since this build has no <windows.h>.
constexpr std::uint32_t WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
                        WS_CAPTION = 0x00C00000, WS_SYSMENU = 0x00080000, WS_GROUP = 0x00020000,
                        WS_TABSTOP = 0x00010000, DS_MODALFRAME = 0x80, DS_SETFONT = 0x40, BS_DEFPUSHBUTTON = 1,
                        BS_GROUPBOX = 7, SS_LEFT = 0;
constexpr std::uint16_t RT_DIALOG = 5;

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}
    std::uint16_t word() {
        need(2);
        const std::uint16_t v = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
        at_ += 2;
        return v;
    }
    std::uint32_t dword() {
        const std::uint32_t low = word();
        return low | static_cast<std::uint32_t>(word()) << 16;
    }
    std::int16_t signed_word() { return static_cast<std::int16_t>(word()); }
    // A UTF-16 text of ASCII characters, NUL-terminated.
    std::string text() {
        std::string s;
        for (std::uint16_t c = word(); c != 0; c = word()) s += static_cast<char>(c);
        return s;
    }
    // A name that is either an ordinal (0xFFFF, id) or a text; ordinals come back as "#id".
    std::string name_or_ordinal() {
        const std::size_t start = at_;
        if (word() == 0xFFFF) return "#" + std::to_string(word());
        at_ = start;
        return text();
    }
    void align(std::size_t to) { at_ = (at_ + to - 1) / to * to; }
    std::size_t at() const { return at_; }

private:
    void need(std::size_t n) const {
        if (at_ + n > bytes_.size()) throw std::runtime_error("resource file ends early");
    }
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_;
};

// The data of resource (type, id) in a .res file.
std::size_t find_resource(const std::vector<std::uint8_t>& bytes, std::uint16_t type, std::uint16_t id) {
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        Reader header(bytes, at);
        const std::uint32_t data_size = header.dword();
        const std::uint32_t header_size = header.dword();
        const std::string type_name = header.name_or_ordinal();
        const std::string id_name = header.name_or_ordinal();
        if (type_name == "#" + std::to_string(type) && id_name == "#" + std::to_string(id)) return at + header_size;
        at = (at + header_size + data_size + 3) / 4 * 4;
    }
    throw std::runtime_error("resource not found");
}

struct Control {
    std::uint32_t style;
    std::uint32_t extended_style;
    std::int16_t x, y, cx, cy;
    std::uint16_t id;
    std::string window_class;
    std::string text;
};

std::vector<std::uint8_t> compiled_resources() {
    std::ifstream file(POLYTREE_RES_FILE, std::ios::binary);
    EXPECT_TRUE(file) << "cannot open " << POLYTREE_RES_FILE;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return s;
}

TEST(HelpTemplate, IsTheSmallModalBoxListingTheKeys) {
    const std::vector<std::uint8_t> bytes = compiled_resources();
    Reader r(bytes, find_resource(bytes, RT_DIALOG, HELP_DIALOG_ID));

    EXPECT_EQ(r.dword(), WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    EXPECT_EQ(r.dword(), 0u);  // no extended style
    const std::uint16_t controls = r.word();
    EXPECT_EQ(r.signed_word(), 16);
    EXPECT_EQ(r.signed_word(), 16);
    EXPECT_EQ(r.signed_word(), 128);
    EXPECT_EQ(r.signed_word(), 168);
    EXPECT_EQ(r.name_or_ordinal(), "");  // no menu
    EXPECT_EQ(r.name_or_ordinal(), "");  // the default dialog class
    EXPECT_EQ(r.text(), "Help...");
    EXPECT_EQ(r.word(), 8);
    EXPECT_EQ(r.text(), "MS Sans Serif");
    ASSERT_EQ(controls, 3);

    std::vector<Control> items;
    for (int i = 0; i < controls; ++i) {
        r.align(4);
        Control c;
        c.style = r.dword();
        c.extended_style = r.dword();
        c.x = r.signed_word();
        c.y = r.signed_word();
        c.cx = r.signed_word();
        c.cy = r.signed_word();
        c.id = r.word();
        c.window_class = r.name_or_ordinal();
        c.text = r.name_or_ordinal();
        EXPECT_EQ(r.word(), 0);  // no creation data
        items.push_back(c);
    }

    const std::string help_text =
        "Arrows\t- rotate\r\nHome\t- move forward\r\nEnd\t- move backward\r\nDelete\t- move left\r\nPgDn\t- move "
        "right\r\nA/Z\t- move up/down\r\nSpace\t- pause\r\n\r\nMouse+LeftButton\r\n\t- rotate\r\n\r\nF1\t- "
        "help\r\nF12\t- toggle fulscreen\r\n+/-\t- change resolution\r\nEsc\t- exit";
    const struct {
        std::uint32_t style;
        std::int16_t x, y, cx, cy;
        std::uint16_t id;
        const char* ordinal_class;
        const char* named_class;
        std::string text;
    } expected[] = {
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 92, 148, 32, 16, 1, "#128", "BUTTON", "&CLOSE"},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_GROUPBOX, 4, 4, 120, 140, 0xFFFF, "#128", "BUTTON",
         "Keyboard shortcuts"},
        {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 16, 16, 96, 120, 0xFFFF, "#130", "STATIC", help_text},
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const Control& c = items[i];
        EXPECT_EQ(c.style, expected[i].style);
        EXPECT_EQ(c.extended_style, 0u);
        EXPECT_EQ(c.x, expected[i].x);
        EXPECT_EQ(c.y, expected[i].y);
        EXPECT_EQ(c.cx, expected[i].cx);
        EXPECT_EQ(c.cy, expected[i].cy);
        EXPECT_EQ(c.id, expected[i].id);
        // Resource compilers store the predefined classes as an ordinal or by name.
        EXPECT_TRUE(c.window_class == expected[i].ordinal_class || upper(c.window_class) == expected[i].named_class)
            << c.window_class;
        EXPECT_EQ(c.text, expected[i].text);
    }
}

}  // namespace
