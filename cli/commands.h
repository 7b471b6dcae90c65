#pragma once
// vardo-cli's commands. Each lives in its own cmd_*.cpp: it adds its subcommand and options to
// the parser and hands back what runs it. A new command is one more file and one more line in
// kCommands below.

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/reporter.h"
#include "base/vardo_time.h"

namespace vardo::cli {

// A command added to the parser: run is called once the command line has been parsed and
// returns the exit status, 0 on success, 1 on any refusal or failure.
struct Command {
    CLI::App* app = nullptr;
    std::function<int()> run;
};

Command AddInfo(CLI::App& parent);
Command AddDump(CLI::App& parent);
Command AddStats(CLI::App& parent);
Command AddEnvelope(CLI::App& parent);
Command AddExport(CLI::App& parent);
Command AddUpload(CLI::App& parent);
Command AddRecorder(CLI::App& parent);
Command AddHome(CLI::App& parent);
Command AddCard(CLI::App& parent);
Command AddGb2312(CLI::App& parent);
Command AddLive(CLI::App& parent);
Command AddCollect(CLI::App& parent);
Command AddArchive(CLI::App& parent);

// The commands in the order the general usage lists them.
inline constexpr Command (*kCommands[])(CLI::App&) = {
    AddInfo, AddDump,    AddStats, AddEnvelope, AddExport, AddUpload, AddRecorder,
    AddLive, AddCollect, AddCard,  AddArchive,  AddGb2312, AddHome};

// Adds a subcommand. synopsis is its usage line without "vardo-cli " ("info FILE"); note, when
// given, explains the synopsis's placeholders below it in the command's own usage.
CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     const std::string& synopsis, const std::string& note = {});

// For commands that read their arguments themselves (a text that may begin with "-"): every
// argument after the command, --help excepted, lands in args.
void TakeArgumentsAsTheyStand(CLI::App* command, std::vector<std::string>& args);

// A usage error found after parsing: "vardo-cli NAME: why" and the command's usage on stderr.
// Returns 1.
int UsageError(const CLI::App& command, const std::string& why);

// --from and --to: "YYYY-MM-DD HH:MM:SS" local time, refused as the program refuses typed times.
CLI::Option* AddTimeOption(CLI::App* command, const std::string& name, std::optional<VTime>& out,
                           const std::string& description);
// A whole decimal number of digits only, within [low, high].
CLI::Option* AddWholeNumberOption(CLI::App* command, const std::string& name,
                                  std::optional<int>& out, int low, int high,
                                  const std::string& description);
// --order newest|oldest: out becomes 1 for oldest first, else stays 0.
CLI::Option* AddOrderOption(CLI::App* command, int& ascending);
// A required positional path (FILE, OUT); an empty one is refused.
CLI::Option* AddPathArgument(CLI::App* command, const std::string& name, std::string& out,
                             const std::string& description);

// The system's messages, one per line on stderr.
class StderrReporter : public Reporter {
  public:
    void ShowMessage(std::string_view text, MessageIcon icon) override;
};

// The system's messages about one file or device, each as "PATH: message".
class PathReporter : public StderrReporter {
  public:
    explicit PathReporter(std::string path) : path_(std::move(path)) {}
    void ShowMessage(std::string_view text, MessageIcon icon) override;

  private:
    std::string path_;
};

// Under a refusal to open device: the line that says which group may, when the user's rights
// are what is missing (nothing otherwise).
void ReportPermission(const std::string& device, bool write, const char* group);
// Under "打开串口失败！" or "串口被占用": "DEVICE: the system's reason" and, where the rights
// are missing, the line that says which group may.
void ReportPortRefusal(const std::string& device);

// Stdout, for every command: WriteOut writes text, false when this or an earlier write failed
// (the first failure's reason is kept); FlushOut flushes, false likewise. FinishOutput flushes
// and closes stdout and, when anything failed (or written is false), says why on stderr and
// gives exit status 1, else 0. Nothing may write to stdout after FinishOutput.
bool WriteOut(std::string_view text);
bool FlushOut();
int FinishOutput(const CLI::App& command, bool written = true);
// errno of the first failed write or flush of stdout; 0 when none failed.
int OutputError();
// "vardo-cli NAME: writing the output failed: REASON" on stderr.
void ReportOutputFailure(const CLI::App& command);

// After a command made the history file at path: adds it to the archive (unless SetUp.ini turns
// that off) and tells a failure as "PATH: message" with the reason below. The file stays.
void AddMadeFile(const std::string& path, const char* how, const std::string& device);

// Where SetUp.ini and Data/ live: ModuleDirectory(), ending in '/'.
std::string Home();

}  // namespace vardo::cli
