#pragma once
// A wake-up the user-interface thread can give the sleeping audio thread without waiting on anything:
// an eventfd it writes to, which the audio thread's main loop watches.
namespace kelvor::platform {

class WakeSignal {
  public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    bool valid() const { return fd_ >= 0; }
    // The descriptor to watch for reading.
    int fd() const { return fd_; }
    // Any thread: makes the descriptor readable. Never blocks.
    void signal();
    // The watching thread: makes it unreadable again.
    void clear();

  private:
    int fd_ = -1;
};

} // namespace kelvor::platform
