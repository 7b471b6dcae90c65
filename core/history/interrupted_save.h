#pragma once
// What a real-time save leaves when it is killed: its file under the placeholder name it was
// created with (the time 0, "08@1970-01-01_08-00-00.vd" here), readable up to the last record
// written, or, killed before the first record, a file holding no record at all. The next start
// of acquisition puts these right.

#include <string>
#include <vector>

namespace vardo {

struct LeftoverSave {
    enum class Outcome {
        Renamed,       // readable: now under the name of its newest record (to)
        Removed,       // no record in it
        RenameFailed,  // readable, but it could not be moved (error says why); it stays
    };
    Outcome outcome = Outcome::Renamed;
    std::string from;  // the path it was found under
    std::string to;
    int error = 0;
};

// Finds the leftovers in home's Data/ and puts each right: a readable one takes the name of its
// newest record (never over another file: a taken name gets its "(i)" variant), an empty one is
// removed. A file another acquisition is still writing is left alone, and so is anything under
// a placeholder name that is neither (a damaged file is the user's to look at).
std::vector<LeftoverSave> RecoverInterruptedSaves(const std::string& home);

// What the user is told of one: "PATH: what was done".
std::string LeftoverSaveMessage(const LeftoverSave& leftover);

}  // namespace vardo
