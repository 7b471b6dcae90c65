#pragma once
// The application object: one document and one main window for the whole run. It handles the
// last commands of the chain, the about box and exit.

#include <memory>
#include <string>
#include <vector>

#include "app/command_target.h"
#include "app/vardo_doc.h"

namespace vardo {

class CMainFrame;
class DocumentCommands;
class Reporter;

class CVardoApp : public CommandTarget {
  public:
    // reporter: where the program's messages go (message boxes when null); home: the directory
    // of SetUp.ini and Data (ModuleDirectory() when empty).
    explicit CVardoApp(Reporter* reporter = nullptr, std::string home = {});
    ~CVardoApp() override;

    // Start-up: the command line as the bytes it came in (args[1] is a history file to show),
    // the main window with the curve view. False ends the program.
    bool InitInstance(const std::vector<std::string>& args, bool show = true);

    CMainFrame* MainFrame() const { return frame_.get(); }
    CVardoDoc& Document() { return *doc_; }
    DocumentCommands& DocCommands() { return *docCommands_; }

  private:
    std::unique_ptr<Reporter> ownReporter_;
    std::unique_ptr<CVardoDoc> doc_;
    std::unique_ptr<DocumentCommands> docCommands_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace vardo
