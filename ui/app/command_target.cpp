#include "app/command_target.h"

#include "app/vardo_doc.h"

namespace vardo {

bool CommandTarget::UpdateCommand(int id, CommandState& state) {
    const auto it = handlers_.find(id);
    if (it == handlers_.end()) return false;
    const Handler& h = it->second;
    state.enabled = !h.enabled || h.enabled();
    state.checked = h.checked && h.checked();
    return true;
}

bool CommandTarget::OnCommand(int id) {
    const auto it = handlers_.find(id);
    if (it == handlers_.end()) return false;
    // The handler may claim commands anew; it runs from a copy.
    const std::function<void()> run = it->second.run;
    if (run) run();
    return true;
}

void CommandTarget::Handle(int id, std::function<void()> run, Rule enabled, Rule checked) {
    handlers_[id] = {std::move(run), std::move(enabled), std::move(checked)};
}

CommandTarget::Rule WhileFileOpen(const CVardoDoc& doc) {
    return [&doc] { return doc.dataValid != 0; };
}

CommandTarget::Rule WhileCurvesShown(const CVardoDoc& doc) {
    return [&doc] { return doc.ShowsCurves(); };
}

}  // namespace vardo
