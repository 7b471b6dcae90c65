#include "base/dialog_integer.h"

#include <charconv>
#include <cstdio>

#include "base/texts.h"

namespace vardo {

std::optional<int> ParseDialogInteger(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    // from_chars takes no plus sign; a typed one is still a number.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string IntegerFieldMessage(std::string_view text, int lo, int hi, int& value) {
    const std::optional<int> parsed = ParseDialogInteger(text);
    if (!parsed) return texts::kEnterInteger;
    if (*parsed < lo || *parsed > hi) {
        char buf[128];
        std::snprintf(buf, sizeof buf, texts::kEnterIntegerBetween, lo, hi);
        return buf;
    }
    value = *parsed;
    return {};
}

}  // namespace vardo
