#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "xsaver/hack_options.h"
#include "xsaver/ranges.h"

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> split;
    for (std::string word; in >> word;) split.push_back(word);
    return split;
}

TEST(HackOptions, ReadsWhatXScreenSaverAndPeoplePass) {
    using K = GlxTarget::Kind;
    const struct {
        const char* line;
        const char* saver_window;  // $XSCREENSAVER_WINDOW
        K kind;
        unsigned long window;
        long delay;
        int branches, levels, speed;
    } cases[] = {
        {"", nullptr, K::own, 0, 30000, 3, 7, 60},
        {"-root", nullptr, K::root, 0, 30000, 3, 7, 60},
        // The daemon passes --root and names its own window.
        {"--root --delay 20000", "0x2a00007", K::given, 0x2a00007, 20000, 3, 7, 60},
        {"--root", "44040199", K::given, 44040199, 30000, 3, 7, 60},
        // The settings dialog's preview names its window outright.
        {"--root -window-id 0x1e0000a", "0x2a00007", K::given, 0x1e0000a, 30000, 3, 7, 60},
        {"-window", "0x2a00007", K::own, 0, 30000, 3, 7, 60},
        {"-delay 0 --branches 5 -levels 4 --speed 360", nullptr, K::own, 0, 0, 5, 4, 360},
        // Out of range: the nearest bound, as the Windows saver's dialog.
        {"-branches 0 -levels 99 -speed -5", nullptr, K::own, 0, 30000, 1, 12, 1},
        {"-delay 10000000", nullptr, K::own, 0, 10000000, 3, 7, 60},
    };
    for (const auto& c : cases) {
        HackOptions options;
        std::string message;
        ASSERT_EQ(read_hack_options(words(c.line), c.saver_window, options, message), HackCommand::run)
            << c.line << ": " << message;
        EXPECT_EQ(options.target.kind, c.kind) << c.line;
        if (c.kind == K::given) {
            EXPECT_EQ(options.target.window, c.window) << c.line;
        }
        EXPECT_EQ(options.delay, c.delay) << c.line;
        EXPECT_EQ(options.settings.branches, c.branches) << c.line;
        EXPECT_EQ(options.settings.levels, c.levels) << c.line;
        EXPECT_EQ(options.settings.degrees_per_second, c.speed) << c.line;
    }
}

TEST(HackOptions, RefusesWhatItCannotRead) {
    const struct {
        const char* line;
        const char* saver_window;
        HackCommand command;
    } cases[] = {
        {"-help", nullptr, HackCommand::help},
        {"--root --help", nullptr, HackCommand::help},
        {"--version", nullptr, HackCommand::version},
        {"-root -version", nullptr, HackCommand::version},
        {"-delay", nullptr, HackCommand::bad},
        {"-delay -1", nullptr, HackCommand::bad},
        {"-delay 10000001", nullptr, HackCommand::bad},
        {"-delay 3e4", nullptr, HackCommand::bad},
        {"-levels x", nullptr, HackCommand::bad},
        {"-levels 99999999999999999999", nullptr, HackCommand::bad},
        {"-window-id 0", nullptr, HackCommand::bad},
        {"-window-id 0x20000000", nullptr, HackCommand::bad},
        {"-twist nan", nullptr, HackCommand::bad},
        {"-frobnicate", nullptr, HackCommand::bad},
        {"root", nullptr, HackCommand::bad},
        {"--root", "window", HackCommand::bad},
    };
    for (const auto& c : cases) {
        HackOptions options;
        std::string message;
        EXPECT_EQ(read_hack_options(words(c.line), c.saver_window, options, message), c.command) << c.line;
        if (c.command == HackCommand::bad) {
            EXPECT_FALSE(message.empty()) << c.line;
        }
    }
}

std::string file_text(const char* path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string range_text(const SettingRange& range) {
    return std::to_string(range.lowest) + " to " + std::to_string(range.highest) + " (default " +
           std::to_string(range.standard) + ")";
}

// A placeholder that names no range's number stops the build rather than
// reaching a file as it is.
TEST(HackTexts, RefusesPlaceholdersOfNoRange) {
    for (const char* text : {"@BRANCH_LOWEST@", "@SPEED_MOST@", "@LEVELS_LOWEST", "mail polytree@example.org"}) {
        std::string filled;
        std::string error;
        EXPECT_FALSE(fill_ranges(text, filled, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// Each option's text, as the hack and its manual page show it, names its
// own range; the settings file's sliders span it.
TEST(HackTexts, TheUsageManualAndSettingsFileNameEachRange) {
    const std::string usage = hack_usage();
    const std::string manual = file_text(MAN_PAGE_SOURCE);
    const std::string settings = file_text(SETTINGS_FILE);
    const struct {
        const char* option;
        const SettingRange& range;
        bool slider_to_highest;  // the delay's slider stops at ten frames a second
    } cases[] = {
        {"branches", BRANCHES_RANGE, true},
        {"levels", LEVELS_RANGE, true},
        {"speed", SPEED_RANGE, true},
        {"delay", DELAY_RANGE, false},
    };
    for (const auto& c : cases) {
        const std::string option = c.option;
        const std::pair<const std::string*, std::string> entries[] = {{&usage, "\n  -" + option + " "},
                                                                      {&manual, "\n*-" + option + "*"}};
        for (const auto& [text, marker] : entries) {
            const std::size_t at = text->find(marker);
            ASSERT_NE(at, std::string::npos) << marker;
            // The option's line and the one after it.
            const std::string entry = text->substr(at, text->find('\n', text->find('\n', at + 1) + 1) - at);
            EXPECT_NE(entry.find(range_text(c.range)), std::string::npos) << entry;
        }
        std::smatch slider;
        ASSERT_TRUE(std::regex_search(settings, slider, std::regex("<number id=\"" + option + "\"[^>]*>"))) << option;
        const auto attribute = [&](const char* name) {
            std::smatch value;
            const std::string element = slider.str();
            return std::regex_search(element, value, std::regex(std::string(" ") + name + "=\"([0-9]+)\""))
                       ? std::stoi(value.str(1))
                       : -1;
        };
        EXPECT_EQ(attribute("low"), c.range.lowest) << option;
        EXPECT_EQ(attribute("default"), c.range.standard) << option;
        if (c.slider_to_highest) {
            EXPECT_EQ(attribute("high"), c.range.highest) << option;
        }
    }
}

}  // namespace
