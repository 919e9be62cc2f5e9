// The JACK client functions the bridge calls, looked up in the JACK library
// it opens at run time (Debian's libjack, or the device's). The library
// stays loaded once opened: it allocates in its constructors and frees
// nothing when unloaded, so a module that closed it would leak on every
// load of the module.
#ifndef WAVE_LV2_JACK_API_H
#define WAVE_LV2_JACK_API_H

#include <jack/jack.h>
#include <jack/midiport.h>

namespace wavelv2 {

struct JackApi {
    decltype(&jack_client_open) clientOpen = nullptr;
    decltype(&jack_client_close) clientClose = nullptr;
    decltype(&jack_get_client_name) getClientName = nullptr;
    decltype(&jack_get_sample_rate) getSampleRate = nullptr;
    decltype(&jack_get_buffer_size) getBufferSize = nullptr;
    decltype(&jack_set_process_callback) setProcessCallback = nullptr;
    decltype(&jack_port_register) portRegister = nullptr;
    decltype(&jack_port_get_buffer) portGetBuffer = nullptr;
    decltype(&jack_activate) activate = nullptr;
    decltype(&jack_deactivate) deactivate = nullptr;
    decltype(&jack_midi_get_event_count) midiEventCount = nullptr;
    decltype(&jack_midi_event_get) midiEventGet = nullptr;

    // The functions of the JACK library, opened once for the process; null
    // when it or one of them is missing.
    static const JackApi* get();
};

}  // namespace wavelv2

#endif  // WAVE_LV2_JACK_API_H
