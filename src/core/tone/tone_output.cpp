#include "core/tone/tone_output.h"

#include <algorithm>

namespace kelvor::tone {

namespace {

// A level (or loudness) read as an unsigned byte above 48 gets the full attenuation of 48, the silent
// floor; read that way, a negative level lands there too.
std::int8_t attenuation_for(std::uint8_t loudness) {
    return loudness > static_cast<std::uint8_t>(loudness_max)
               ? loudness_max
               : static_cast<std::int8_t>(loudness_max - loudness);
}

} // namespace

std::uint8_t total_level_of(std::uint8_t loudness) {
    const int a = attenuation_for(loudness);
    return a >= loudness_max ? total_level_silent : static_cast<std::uint8_t>(a * 4 / 3);
}

ToneOutput::ToneOutput(hearing::TestState& state, host::PortIo& ports, port::TSmallPort* port_driver,
                       WaveOutput& wave, host::Clock& clock, host::Dialogs& dialogs,
                       diagnostics::LogBuffer& sound_log)
    : state_(state), ports_(ports), port_driver_(port_driver), wave_(wave), clock_(clock), dialogs_(dialogs),
      sound_log_(sound_log) {}

ToneOutput::HandlerScope::~HandlerScope() {
    if (--tone_.depth_ == 0) tone_.show_messages();
}

void ToneOutput::report(const char* text) {
    if (box_open_ && box_text_ == text) return;
    if (std::find(pending_messages_.begin(), pending_messages_.end(), text) != pending_messages_.end())
        return;
    pending_messages_.emplace_back(text);
}

void ToneOutput::show_messages() {
    // A box further up the stack shows whatever is still waiting once it closes.
    if (box_open_) return;
    box_open_ = true;
    while (!pending_messages_.empty()) {
        box_text_ = std::move(pending_messages_.front());
        pending_messages_.pop_front();
        dialogs_.message_box(box_text_);
    }
    box_text_.clear();
    box_open_ = false;
}

void ToneOutput::make_wave() {
    wave_.make_wave(state_.test_freq, state_.test_level, settings_.cal_volume);
}

void ToneOutput::set_level(std::int8_t level_db) {
    HandlerScope scope(*this);
    state_.test_level = level_db;
    attenuation_ = attenuation_for(static_cast<std::uint8_t>(level_db));
    saved_attenuation_ = attenuation_;
    // The chip or speaker gets the level at the next sounding half; only the stream makes a new image now.
    if (settings_.out_method == meth_stream) make_wave();
}

void ToneOutput::set_frequency(std::uint16_t freq_hz) {
    HandlerScope scope(*this);
    state_.test_freq = freq_hz;
    if (state_.test_started) level_before_frequency();
    if (settings_.out_device == dev_speaker)
        speaker_frequency(freq_hz);
    else if (settings_.out_method == meth_stream)
        make_wave();
    else
        OPL2_frequency(freq_hz);
}

// The chip and the speaker take a new frequency at once but a new level only with the next half. A
// frequency step, which sets 0 dB first, would play the new tone for the rest of the half at the level
// of the tone just answered (or of the calibration tone) while the window shows 0 dB, and a listener who
// hears it would have 0 dB recorded. So the current half's loudness for the level now set goes out
// before the frequency; a frequency change at an unchanged level writes nothing more.
void ToneOutput::level_before_frequency() {
    const std::uint8_t loudness =
        tone_sounding_ ? static_cast<std::uint8_t>(loudness_max - attenuation_) : pause_loudness();
    if (settings_.out_device == dev_speaker) {
        if ((loudness > 0) != speaker_sounding_) write_level(loudness);
    } else if (settings_.out_method != meth_stream) {
        if (total_level_of(loudness) != chip_total_level_) write_level(loudness);
    }
}

std::uint8_t ToneOutput::pause_loudness() const {
    // Below 500 Hz on the sound card the pause half only lowers the tone, silent where that reaches
    // the floor.
    if (state_.test_freq >= low_tone_limit_hz || settings_.out_device != dev_soundcard) return 0;
    const int lowered = attenuation_ + settings_.low_tone_drop;
    return lowered > loudness_max ? 0 : static_cast<std::uint8_t>(loudness_max - lowered);
}

void ToneOutput::tone_pulse() {
    HandlerScope scope(*this);
    if (tone_sounding_) {
        saved_attenuation_ = attenuation_;
        write_level(pause_loudness());
        tone_sounding_ = false;
    } else {
        attenuation_ = saved_attenuation_;
        write_level(static_cast<std::uint8_t>(loudness_max - attenuation_));
        tone_sounding_ = true;
    }
}

// A muted tone keeps its level, frequency and pulse phase; every half it writes is silent.
void ToneOutput::set_muted(bool muted) {
    muted_ = muted;
    if (muted) write_level(0);
}

void ToneOutput::write_level(std::uint8_t loudness) {
    HandlerScope scope(*this);
    if (muted_) loudness = 0;
    if (settings_.out_device == dev_speaker) {
        // The speaker has no volume: any loudness switches it on.
        if (loudness == 0)
            speaker_off();
        else
            speaker_on();
    } else if (settings_.out_method != meth_stream) {
        OPL2_level(total_level_of(loudness));
    }
}

void ToneOutput::play_wave() {
    if (muted_) return;
    wave_.play_wave();
}

void ToneOutput::free_waves() {
    wave_.free_waves();
}

void ToneOutput::start_tone() {
    constexpr std::uint16_t speaker_start_freq_hz = 1000;
    HandlerScope scope(*this);
    speaker_off();
    speaker_frequency(speaker_start_freq_hz);
    init_OPL2();
    OPL2_ein();
}

bool ToneOutput::start_output() {
    const bool present = Soundcard_present();
    start_tone();
    return present;
}

bool ToneOutput::Soundcard_present() {
    HandlerScope scope(*this);
    if (settings_.out_method == meth_stream) return wave_.output_device_count() > 0;
    // The probe cannot see a missing chip: there is no read-back. Failing writes show their own messages.
    // It leaves the initial note (about 440 Hz) keyed on.
    send_to_OPL(settings_.port_base, reg_carrier_mult, carrier_mult_init);
    send_to_OPL(settings_.port_base, reg_carrier_attack_decay, carrier_attack_decay_init);
    send_to_OPL(settings_.port_base, reg_carrier_sustain_release, carrier_sustain_release_init);
    send_to_OPL(settings_.port_base, reg_fnum_low, fnum_low_init);
    send_to_OPL(settings_.port_base, reg_key_block_fnum_high, key_on_block4_init);
    return true;
}

void ToneOutput::SetPort(std::uint16_t port, std::uint8_t value) {
    HandlerScope scope(*this);
    switch (settings_.out_method) {
    case meth_direct:
        if (!ports_.write_port(port, value)) report(msg_direct_write_failed);
        break;
    case meth_driver:
        // A write the driver refuses is kept in the component's last error, not shown; only a missing
        // component counts as a failed command.
        if (port_driver_ != nullptr)
            port_driver_->WritePort(port, value);
        else
            report(msg_driver_write_failed);
        break;
    default:
        break; // the data stream reaches no port
    }
}

std::uint8_t ToneOutput::GetPort(std::uint16_t port) {
    HandlerScope scope(*this);
    switch (settings_.out_method) {
    case meth_direct: {
        std::uint8_t value = 0;
        if (ports_.read_port(port, value)) return value;
        report(msg_direct_read_failed);
        return 0;
    }
    case meth_driver:
        if (port_driver_ != nullptr) return port_driver_->ReadPort(port);
        report(msg_driver_read_failed);
        return 0;
    default:
        return 0;
    }
}

void ToneOutput::delay_ms(std::uint8_t ms) {
    const double start = clock_.now_ms();
    while (clock_.now_ms() - start <= ms) {
    }
}

} // namespace kelvor::tone
