#pragma once
// The application's one printer. Its settings (the printer chosen in the print dialog, the
// orientation that the curve and list printouts ask for) last for the whole run, as the
// framework's default printer settings did.

class QPrinter;

namespace vardo {

// Made on first use, landscape; freed when the application object goes.
QPrinter& AppPrinter();

}  // namespace vardo
