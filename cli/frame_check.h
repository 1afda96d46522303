#pragma once
// A folder of numbered frames looked over before it is joined into a video:
// a farm's ranges come back from many jobs and machines, and a frame that is
// missing, cut short, or drawn with another view, background, program or
// driver would show in the joined video as a jump or a flicker.

#include <string>
#include <vector>

#include "cli/frame_names.h"
#include "cli/image_files.h"
#include "core/view.h"

// What a numbered frame's PNG says of it besides its pixels.
struct FrameFacts {
    PngFacts png;
    View view{};
};

// The frame's facts from its file: "" when it reads as a frame that this
// program drew, else what is wrong with it.
std::string read_frame_facts(const std::string& path, FrameFacts& frame);

// The first way in which two frames would not belong to one sequence, in
// this order; none when they are of one size, background, view (but for
// the twist) and drawing.
enum class FrameDifference { none, size, background, view, drawn_by };
FrameDifference frame_difference(const FrameFacts& a, const FrameFacts& b);

// The temporary files that killed runs left for frames first to
// first + count - 1 (OutputFile's names), with their folder; wildcards in
// the name's folder look in every folder they match.
std::vector<std::string> leftovers_of(const NamePattern& pattern, long first, int count);

// What is wrong with frames first to first + count - 1, a line each (the
// frames are held to the first readable one: their views may differ only
// in the twist); empty when the range is whole and uniform. Wildcards in
// the name find each frame wherever they match (a farm's ranges in folders
// of their own: 'part-*/turn-%04d.png'), and a frame found twice is wrong.
std::vector<std::string> check_frames(const NamePattern& pattern, long first, int count);
