// vardo-cli: the program's core, headless. Same rules and texts as the desktop program.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string_view>

#include "base/permission_hint.h"
#include "commands.h"
#include "link/serial_devices.h"
#include "settings/module_directory.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

constexpr const char* kTimeNote = "T is \"YYYY-MM-DD HH:MM:SS\" local time.";

// Help and usage errors show the usage lines the commands give, not the parser's own.
class UsageFormatter : public CLI::Formatter {
  public:
    struct Usage {
        std::string synopsis;
        std::string note;
    };

    std::string make_usage(const CLI::App* app, std::string) const override {
        return app->get_parent() == nullptr ? GeneralUsage() : CommandUsage(app);
    }
    std::string make_description(const CLI::App*) const override { return {}; }

    std::string GeneralUsage() const {
        std::string text;
        for (const CLI::App* app : order) {
            text += (text.empty() ? "usage: vardo-cli " : "       vardo-cli ") +
                    usages.at(app).synopsis + "\n";
        }
        return text + kTimeNote + "\n";
    }
    std::string CommandUsage(const CLI::App* app) const {
        const auto it = usages.find(app);
        if (it == usages.end()) return GeneralUsage();
        std::string text = "usage: vardo-cli " + it->second.synopsis + "\n";
        if (!it->second.note.empty()) text += it->second.note + "\n";
        if (!app->get_description().empty()) text += "\n" + app->get_description() + "\n";
        return text;
    }
    // Usage lines only, without the description: what a usage error repeats.
    std::string ErrorUsage(const CLI::App* app) const {
        const auto it = usages.find(app);
        if (it == usages.end()) return GeneralUsage();
        std::string text = "usage: vardo-cli " + it->second.synopsis + "\n";
        if (!it->second.note.empty()) text += it->second.note + "\n";
        return text;
    }

    std::map<const CLI::App*, Usage> usages;
    std::vector<const CLI::App*> order;
};

UsageFormatter& FormatterOf(const CLI::App& app) {
    return static_cast<UsageFormatter&>(*app.get_formatter());
}

bool IsWholeNumber(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 10) return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

std::string CommandName(const CLI::App& command) {
    return command.get_parent() == nullptr ? "vardo-cli" : "vardo-cli " + command.get_name();
}

// The command being parsed when the parser gave up: the innermost one it had entered.
const CLI::App& InnermostCommand(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? app : InnermostCommand(*chosen.back());
}

}  // namespace

CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     const std::string& synopsis, const std::string& note) {
    CLI::App* command = parent.add_subcommand(name, description);
    UsageFormatter& formatter = FormatterOf(parent);
    formatter.usages[command] = {synopsis, note};
    formatter.order.push_back(command);
    return command;
}

void TakeArgumentsAsTheyStand(CLI::App* command, std::vector<std::string>& args) {
    command->prefix_command();
    command->set_help_flag("--help", "Print this help message and exit");  // "-h" is a text
    command->parse_complete_callback([command, &args] { args = command->remaining(); });
}

int UsageError(const CLI::App& command, const std::string& why) {
    std::cerr << CommandName(command) << ": " << why << '\n'
              << FormatterOf(command).ErrorUsage(&command);
    return 1;
}

CLI::Option* AddTimeOption(CLI::App* command, const std::string& name, std::optional<VTime>& out,
                           const std::string& description) {
    const CLI::Validator isTime(
        [](std::string& text) -> std::string {
            return ParseTime(text) ? std::string() : "\"" + text + "\" is not a time";
        },
        "");
    return command
        ->add_option_function<std::string>(
            name, [&out](const std::string& text) { out = ParseTime(text); }, description)
        ->type_name("T")
        ->check(isTime);
}

CLI::Option* AddWholeNumberOption(CLI::App* command, const std::string& name,
                                  std::optional<int>& out, int low, int high,
                                  const std::string& description) {
    const CLI::Validator isNumber(
        [low, high](std::string& text) -> std::string {
            int value = 0;
            if (IsWholeNumber(text, low, high, value)) return {};
            return "\"" + text + "\" is not a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high);
        },
        "");
    return command
        ->add_option_function<std::string>(
            name,
            [&out, low, high](const std::string& text) {
                int value = 0;
                if (IsWholeNumber(text, low, high, value)) out = value;
            },
            description)
        ->type_name("N")
        ->check(isNumber);
}

CLI::Option* AddOrderOption(CLI::App* command, int& ascending) {
    const CLI::Validator isOrder(
        [](std::string& text) -> std::string {
            return text == "newest" || text == "oldest"
                       ? ""
                       : "\"" + text + "\" is not newest or oldest";
        },
        "");
    return command
        ->add_option_function<std::string>(
            "--order", [&ascending](const std::string& text) { ascending = text == "oldest"; },
            "newest or oldest first")
        ->type_name("newest|oldest")
        ->check(isOrder);
}

CLI::Option* AddPathArgument(CLI::App* command, const std::string& name, std::string& out,
                             const std::string& description) {
    const CLI::Validator notEmpty(
        [](std::string& text) -> std::string { return text.empty() ? "empty path" : ""; }, "");
    return command->add_option(name, out, description)->required()->type_name("")->check(notEmpty);
}

void StderrReporter::ShowMessage(std::string_view text, MessageIcon) {
    std::cerr << text << '\n';
}

void PathReporter::ShowMessage(std::string_view text, MessageIcon icon) {
    std::cerr << path_ << ": ";
    StderrReporter::ShowMessage(text, icon);
}

void ReportPermission(const std::string& device, bool write, const char* group) {
    const std::string hint = PermissionHint(device, write, group);
    if (!hint.empty()) std::cerr << hint << '\n';
}

namespace {
// The error of the first write to stdout that failed; 0 while every write went through.
int outputError = 0;
}  // namespace

void ReportPortRefusal(const std::string& device) {
    const std::string reason = PortRefusalReason(device);
    if (!reason.empty()) PathReporter(device).ShowMessage(reason, MessageIcon::Error);
    ReportPermission(device, true, kPortGroup);
}

bool WriteOut(std::string_view text) {
    if (outputError != 0) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size()) return true;
    outputError = errno != 0 ? errno : EIO;
    return false;
}

bool FlushOut() {
    if (outputError != 0) return false;
    errno = 0;
    if (std::fflush(stdout) != 0) outputError = errno != 0 ? errno : EIO;
    return outputError == 0;
}

int OutputError() {
    return outputError;
}

int FinishOutput(const CLI::App& command, bool written) {
    if (!written && outputError == 0) outputError = EIO;
    FlushOut();
    // The descriptor, not the stream: a file system that reports errors only when the file is
    // closed (a network share) says so here, and the stream's flush at exit finds nothing to do.
    if (outputError == 0 && ::close(STDOUT_FILENO) != 0 && errno != EINTR) outputError = errno;
    if (outputError == 0) return 0;
    ReportOutputFailure(command);
    return 1;
}

void ReportOutputFailure(const CLI::App& command) {
    std::fprintf(stderr, "%s: writing the output failed: %s\n", CommandName(command).c_str(),
                 std::strerror(outputError));
}

std::string Home() {
    return ModuleDirectory();
}

}  // namespace vardo::cli

int main(int argc, char** argv) {
    using namespace vardo::cli;
    CLI::App app("The recorders' history, headless: the desktop program's rules and texts.",
                 "vardo-cli");
    auto formatter = std::make_shared<UsageFormatter>();
    app.formatter(formatter);
    app.set_version_flag("--version", "vardo-cli " VARDO_VERSION, "Print the version and exit");
    app.require_subcommand(1);
    std::map<const CLI::App*, Command> commands;
    for (auto add : kCommands) {
        const Command command = add(app);
        commands[command.app] = command;
    }
    if (argc < 2) {
        std::cerr << formatter->GeneralUsage();
        return 1;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const CLI::App& command = InnermostCommand(app);
        return FinishOutput(command, WriteOut(command.help()));
    } catch (const CLI::CallForAllHelp&) {
        return FinishOutput(app, WriteOut(app.help("", CLI::AppFormatMode::All)));
    } catch (const CLI::CallForVersion& e) {
        return FinishOutput(app, WriteOut(std::string(e.what()) + "\n"));
    } catch (const CLI::ParseError& e) {
        const CLI::App& command = InnermostCommand(app);
        // The parser's own words for a command it does not know say nothing of the command.
        if (&command == &app && argv[1][0] != '-') {
            return UsageError(app, std::string("unknown command ") + argv[1]);
        }
        return UsageError(command, e.what());
    }
    const std::string settings = Home() + "SetUp.ini";
    if (const std::string notice = vardo::OversizedSettingsNotice(settings); !notice.empty()) {
        PathReporter(settings).ShowMessage(notice, vardo::MessageIcon::Warning);
    }
    return commands.at(app.get_subcommands().front()).run();
}
