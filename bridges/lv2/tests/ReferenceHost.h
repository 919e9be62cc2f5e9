// lv2apply, the reference LV2 tools' command-line host, run on 32-bit float
// WAV files: the reference the bridge's offline output is compared with.
#ifndef WAVE_LV2_TESTS_REFERENCE_HOST_H
#define WAVE_LV2_TESTS_REFERENCE_HOST_H

#include <string>
#include <vector>

// Interleaved `frames` of `channels` into a 32-bit float WAV file.
bool writeFloatWav(const std::string& path, const std::vector<float>& frames, int channels,
                   int sampleRate);
// The samples of a 32-bit float WAV file, interleaved; false when it is none.
bool readFloatWav(const std::string& path, std::vector<float>& frames, int& channels);

// Runs lv2apply on `input` with the controls ("SYMBOL VALUE" each) into
// `output`, with the plugins of `lv2Path`; false when it fails or runs
// over 60 s. `why` holds its output then.
bool runLv2apply(const std::string& uri, const std::vector<std::string>& controls,
                 const std::string& input, const std::string& output, const std::string& lv2Path,
                 std::string& why);

#endif  // WAVE_LV2_TESTS_REFERENCE_HOST_H
