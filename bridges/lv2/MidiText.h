// MIDI as the service sends it in "midi:" commands: bytes in hexadecimal,
// separated by spaces, one or more messages in a row ("90 45 64" is note A4
// on at velocity 100; "90 45 64 80 45 00" is the note on and off).
#ifndef WAVE_LV2_MIDI_TEXT_H
#define WAVE_LV2_MIDI_TEXT_H

#include <stdint.h>

#include <string>
#include <vector>

namespace wavelv2 {

typedef std::vector<uint8_t> MidiMessage;

// The messages of `text`; false with the reason in `why` for a word that is
// no byte, data without a status byte, or a message cut short. System
// exclusive runs from F0 to F7.
bool parseMidiText(const std::string& text, std::vector<MidiMessage>& messages, std::string& why);

}  // namespace wavelv2

#endif  // WAVE_LV2_MIDI_TEXT_H
