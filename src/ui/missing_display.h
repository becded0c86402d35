#pragma once
// Without a display to reach, Qt's platform plugin gives up with a fatal message that advises
// reinstalling the program, and aborts with a core dump. The cause is simpler than that: these say it
// in one line and end the program with status 1.
namespace kelvor::ui {

// Call before the QApplication is made; a fatal message from then on ends the program as above.
void explain_a_missing_display();
// Call once the QApplication exists: fatal messages are Qt's own again.
void display_found();

} // namespace kelvor::ui
