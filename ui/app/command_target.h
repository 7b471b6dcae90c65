#pragma once
// Command routing: the active view, the document, the frame and the application each get a
// chance, in that order, to handle a command or say whether it is enabled and checked. A command
// nobody claims is greyed out, and a greyed command never runs, whatever key reached it.
//
// A target claims its commands in its constructor, one line each:
//
//     Handle(cmd::kZoomIn, [this] { ZoomIn(); }, WhileFileOpen(doc_));
//     Handle(cmd::kSettingsPanel, [this] { TogglePanel(); }, {}, [this] { return panelShown; });
//
// Texts, keys and toolbar places come from the command table; only the deed and the rule live
// with the target.

#include <functional>
#include <map>

namespace vardo {

class CVardoDoc;

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

class CommandTarget {
  public:
    using Rule = std::function<bool()>;

    virtual ~CommandTarget() = default;
    // Returns true when this target owns the command, having filled state.
    virtual bool UpdateCommand(int id, CommandState& state);
    // Returns true when this target owns the command, having run it.
    virtual bool OnCommand(int id);

  protected:
    // Claims id: run does it; enabled says when it may run (always when empty); checked gives
    // the check mark of a checkable command (never when empty). A later claim of the same id
    // replaces the earlier one.
    void Handle(int id, std::function<void()> run, Rule enabled = {}, Rule checked = {});

  private:
    struct Handler {
        std::function<void()> run;
        Rule enabled;
        Rule checked;
    };
    std::map<int, Handler> handlers_;
};

// The rule of every command that needs an open file: enabled exactly while the document holds
// data.
CommandTarget::Rule WhileFileOpen(const CVardoDoc& doc);
// The curve view's navigation and printing: enabled while a file or an archive span is shown.
CommandTarget::Rule WhileCurvesShown(const CVardoDoc& doc);

}  // namespace vardo
