#pragma once
// The program's messages as message boxes titled "提示...", owned by the dialog that is up, or
// by no window.

#include "base/reporter.h"

namespace vardo {

class MessageBoxReporter : public Reporter {
  public:
    void ShowMessage(std::string_view text, MessageIcon icon) override;
};

}  // namespace vardo
