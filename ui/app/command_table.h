#pragma once
// Every command of the program, one row each: its id, where it sits in menu 128, its texts, its
// keys (accelerator table 128), its places on the three toolbars and whether it carries a check
// mark. The menu, the shortcuts and the toolbars are all built from this table, so moving a
// button or giving a command a key is one edit in one row. What a command does and when it is
// enabled belongs to the view, document, frame or application that handles it (CommandTarget).

#include <QKeySequence>
#include <QList>
#include <vector>

namespace vardo {

// Popups of menu 128 in menu order. Order is the 排列顺序 submenu of 操作, Language the
// "语言 / Language" submenu of 工具 (ParentPopup): each sits in its parent at
// the place of its first row and shares 操作's groups.
enum class Popup { File, View, Operate, Order, Tools, Language, Help };
inline constexpr int kPopupCount = 7;

// The popup a submenu sits in; the popup itself for a top-level one.
Popup ParentPopup(Popup popup);

// A command's place on a toolbar: 0 when it is not there, else group × 10 + position. Buttons
// follow increasing places and a separator stands wherever the group changes.
struct ToolPlaces {
    int curves = 0;    // toolbar 128
    int list = 0;      // toolbar 142
    int realtime = 0;  // toolbar 141
};

struct CommandRow {
    int id;
    Popup popup;
    int menuGroup;       // within the popup; a separator stands where it changes
    const char* menu;    // menu text, with "\t" and the keys as the menu shows them
    const char* prompt;  // "status-bar prompt\ntool tip"; nullptr when the command has none
    QList<QKeySequence> keys;
    ToolPlaces tool;
    bool checkable = false;
};

// All commands in menu order.
const std::vector<CommandRow>& CommandTable();
// The row of id; nullptr when no command has it.
const CommandRow* FindCommand(int id);

const char* PopupTitle(Popup popup);

// Buttons of toolbar resource 128, 141 or 142 in order; 0 stands for a separator.
std::vector<int> ToolbarButtons(int resource);

}  // namespace vardo
