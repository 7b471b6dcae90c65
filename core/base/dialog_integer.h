#pragma once
// A number typed into a dialog's edit, read the way the dialogs have always read them: blanks
// around it are fine, anything else beside the digits is not a number.

#include <optional>
#include <string>
#include <string_view>

namespace vardo {

// nullopt for an empty text, stray characters, or a number beyond int.
std::optional<int> ParseDialogInteger(std::string_view text);

// What the user is told about a number field's text: "请输入一个整数。" when it is no number,
// "请输入一个在 lo 和 hi 之间的整数。" when it lies outside lo .. hi, nothing (empty) when it is
// taken; value receives a taken number and is left alone otherwise.
std::string IntegerFieldMessage(std::string_view text, int lo, int hi, int& value);

}  // namespace vardo
