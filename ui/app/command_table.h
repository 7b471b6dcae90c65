#pragma once
// The shape of menu 128, accelerator table 128 and the three toolbars: which command sits in
// which popup, its keys, and the buttons of each toolbar. Texts come from base/texts.h.

#include <QKeySequence>
#include <QList>
#include <vector>

namespace vardo {

// One entry of a popup: a command, a separator (id 0) or the start/end of a submenu.
struct MenuEntry {
    enum Kind { Command, Separator, SubmenuBegin, SubmenuEnd };
    Kind kind = Command;
    int id = 0;
    const char* title = nullptr;  // popups and submenus
};

struct MenuPopup {
    const char* title;
    std::vector<MenuEntry> entries;
};

const std::vector<MenuPopup>& MenuLayout();

// The keys of a command (accelerator table 128); empty when it has none.
QList<QKeySequence> CommandKeys(int id);

// Menu text and prompt of a command from the system's texts; null when unknown.
const char* CommandMenuText(int id);
const char* CommandPrompt(int id);

// Buttons of toolbar resource 128, 141 or 142; 0 stands for a separator.
const std::vector<int>& ToolbarButtons(int resource);

// Every command id of the menu, in menu order.
std::vector<int> AllCommandIds();

}  // namespace vardo
