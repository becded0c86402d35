#pragma once
// How the program's process ends once main's own objects are gone.
//
// Qt 6.4's PulseAudio engine is a library static, torn down after main by the libraries' destructors,
// and it disconnects from the server there without taking its main loop's lock. A server event arriving
// at that moment (a sink going idle as our stream closes, say) has libpulse's thread and the exiting one
// both unlink the connection, and libpulse aborts on the twice-freed handle: a crash at every close now
// and then. Only the Qt sink starts that engine; where it did, the process ends without the libraries'
// destructors, which hold nothing of ours (files are written and closed while the program's window goes).
namespace kelvor::platform {

// The Qt sink calls this before it first asks Qt Multimedia for a device.
void qt_audio_engine_started();

// Ends the process with `code`: with the libraries' destructors, unless Qt's PulseAudio engine was
// started. Under a sanitizer always with them, so that its reports at exit still count.
[[noreturn]] void end_process(int code);

} // namespace kelvor::platform
