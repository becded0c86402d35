#pragma once
// The main window's command table: every button, picture, check box, track bar, chart image and menu item
// with the handler it runs. The results file, printing and the screen image belong to the results
// commands, made after the window logic; without them their controls stay disabled.
#include "core/common/commands.h"

namespace kelvor::results {
class ResultsCommands;
class ExportCommands;
}

namespace kelvor::hearing {

class TMessung;

CommandTable messung_commands(TMessung& m, results::ResultsCommands* results,
                              results::ExportCommands* exports = nullptr);

} // namespace kelvor::hearing
