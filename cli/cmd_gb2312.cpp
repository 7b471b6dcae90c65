#include <cstdio>
#include <string>

#include "app/code_lookup.h"
#include "commands.h"

namespace vardo::cli {

namespace {

int Refuse(CodeRefusal why) {
    std::fprintf(stderr, "%s\n", CodeRefusalText(why));
    return 1;
}

int RunGb2312(const CLI::App& command, const std::vector<std::string>& args) {
    CodeRefusal why{};
    if (args.size() == 1) {
        // A lone argument is the text, whatever it begins with: "-" is a character too.
        const auto code = CodeOfText(args[0], &why);
        if (!code) return Refuse(why);
        return FinishOutput(command, WriteOut(FormatCode(*code) + "\n"));
    } else if (args.size() == 2 && args[0] == "--code") {
        const auto text = TextOfCode(args[1], &why);
        if (!text) return Refuse(why);
        return FinishOutput(command, WriteOut(*text + "\n"));
    }
    return UsageError(command, "a text, or --code and a code");
}

}  // namespace

Command AddGb2312(CLI::App& parent) {
    auto args = std::make_shared<std::vector<std::string>>();
    CLI::App* command =
        AddCommand(parent, "gb2312",
                   "The GBK code of a text's first character, or the character of a code of 2 or 4 "
                   "hexadecimal digits.",
                   "gb2312 TEXT\n       vardo-cli gb2312 --code CODE");
    TakeArgumentsAsTheyStand(command, *args);
    return {command, [command, args] { return RunGb2312(*command, *args); }};
}

}  // namespace vardo::cli
