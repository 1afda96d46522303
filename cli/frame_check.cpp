#include "cli/frame_check.h"

#include <glob.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <set>

#include "cli/output_file.h"

namespace {

std::string quoted(const std::string& text) { return "'" + text + "'"; }

bool has_wildcards(const std::string& name) { return name.find_first_of("*?[") != std::string::npos; }

// The files a name stands for: itself, or those its wildcards match (a
// farm's ranges each in a folder of their own).
std::vector<std::string> files_named(const std::string& name, bool folders_only = false) {
    if (!has_wildcards(name)) return {name};
    std::vector<std::string> found;
    glob_t matches{};
    if (glob(name.c_str(), folders_only ? GLOB_ONLYDIR | GLOB_MARK : 0, nullptr, &matches) == 0) {
        for (std::size_t i = 0; i < matches.gl_pathc; ++i) found.emplace_back(matches.gl_pathv[i]);
    }
    globfree(&matches);
    return found;
}

// A frame that reads, with what the others are held to.
struct Reference {
    long frame;
    FrameFacts facts;
};

// How the frame differs from the reference, or "".
std::string difference(const FrameFacts& frame, const Reference& ref) {
    const PngFacts& facts = frame.png;
    const PngFacts& theirs = ref.facts.png;
    const std::string against = " (frame " + std::to_string(ref.frame) + "'s: ";
    switch (frame_difference(frame, ref.facts)) {
    case FrameDifference::none:
        return "";
    case FrameDifference::size:
        return "another size, " + std::to_string(facts.width) + "x" + std::to_string(facts.height) + against +
               std::to_string(theirs.width) + "x" + std::to_string(theirs.height) + ")";
    case FrameDifference::background:
        return std::string(facts.alpha ? "transparent" : "opaque") + against +
               (theirs.alpha ? "transparent" : "opaque") + ")";
    case FrameDifference::view:
        return "another view, " + quoted(facts.view) + against + quoted(theirs.view) + ")";
    case FrameDifference::drawn_by:
        return "drawn by " + quoted(facts.drawn_by) + against + quoted(theirs.drawn_by) + ")";
    }
    return "";
}

}  // namespace

std::string read_frame_facts(const std::string& path, FrameFacts& frame) {
    std::string error;
    if (!read_png_facts(path, frame.png)) return "unreadable: cut short, or not a PNG";
    if (frame.png.view.empty()) return "keeps no view: not a frame that this polytree-render drew";
    if (!read_view(frame.png.view, frame.view, error)) return "its view does not read: " + error;
    return "";
}

FrameDifference frame_difference(const FrameFacts& a, const FrameFacts& b) {
    if (a.png.width != b.png.width || a.png.height != b.png.height) return FrameDifference::size;
    if (a.png.alpha != b.png.alpha) return FrameDifference::background;
    if (!same_but_twist(a.view, b.view)) return FrameDifference::view;
    if (a.png.drawn_by != b.png.drawn_by) return FrameDifference::drawn_by;
    return FrameDifference::none;
}

std::vector<std::string> leftovers_of(const NamePattern& pattern, long first, int count) {
    namespace fs = std::filesystem;
    std::set<std::string> file_names;  // the frames' names without their folders
    for (long f = first; f < first + count; ++f) {
        const std::string name = pattern.name_of(f);
        file_names.insert(name.substr(folder_of(name).size()));
    }
    const std::string folder = folder_of(pattern.name_of(first));
    std::vector<std::string> found;
    for (const std::string& each : folder.empty() ? std::vector<std::string>{""} : files_named(folder, true)) {
        std::error_code ignored;
        for (const fs::directory_entry& entry : fs::directory_iterator(each.empty() ? "." : each, ignored)) {
            const std::string file = entry.path().filename().string();
            if (file_names.count(name_behind_temporary(file)) > 0) found.push_back(each + file);
        }
    }
    return found;
}

std::vector<std::string> check_frames(const NamePattern& pattern, long first, int count) {
    std::vector<std::string> problems;
    std::optional<Reference> ref;
    for (long f = first; f < first + count; ++f) {
        const std::string name = pattern.name_of(f);
        const std::vector<std::string> files = files_named(name);
        std::string frame = "frame " + std::to_string(f) + " (" + name + "): ";
        struct stat info{};
        if (files.empty() || (files.size() == 1 && stat(files[0].c_str(), &info) != 0)) {
            problems.push_back(frame + "missing");
            continue;
        }
        if (files.size() > 1) {
            std::string where;
            for (const std::string& file : files) where += (where.empty() ? "" : ", ") + file;
            problems.push_back(frame + "there " + std::to_string(files.size()) + " times: " + where);
            continue;
        }
        if (files[0] != name) frame = "frame " + std::to_string(f) + " (" + files[0] + "): ";
        FrameFacts facts;
        if (const std::string wrong = read_frame_facts(files[0], facts); !wrong.empty()) {
            problems.push_back(frame + wrong);
        } else if (!ref) {
            ref = Reference{f, facts};
        } else if (const std::string differs = difference(facts, *ref); !differs.empty()) {
            problems.push_back(frame + differs);
        }
    }
    for (const std::string& leftover : leftovers_of(pattern, first, count)) {
        problems.push_back("a killed run's temporary file: " + leftover);
    }
    return problems;
}
