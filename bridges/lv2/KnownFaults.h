// Plugins the bridge refuses by name: they would harm the service's process
// in a way the bridge cannot see coming, through a fault of their own.
#ifndef WAVE_LV2_KNOWN_FAULTS_H
#define WAVE_LV2_KNOWN_FAULTS_H

#include <string>

namespace wavelv2 {

// Why the plugin `uri` is refused, or null when it is not.
const char* knownFault(const std::string& uri);

}  // namespace wavelv2

#endif  // WAVE_LV2_KNOWN_FAULTS_H
