#pragma once
// Command routing: the active view, the document, the frame and the application each get a
// chance, in that order, to handle a command or say whether it is enabled and checked. A command
// nobody claims is greyed out.

namespace vardo {

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    // Returns true when this target owns the command, having filled state.
    virtual bool UpdateCommand(int id, CommandState& state) = 0;
    // Returns true when this target handled the command.
    virtual bool OnCommand(int id) = 0;
};

}  // namespace vardo
