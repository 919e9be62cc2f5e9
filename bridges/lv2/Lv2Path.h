// Where the bridge looks for plugins: the bundles (folders whose names end
// in ".lv2") of the folders of LV2_PATH, or of lilv's default folders when it
// is not set. The bridge reads the folders itself, with 64-bit directory
// offsets even in a 32-bit build: lilv's own reading gives up on a folder
// whose offsets do not fit 32 bits (a 32-bit program under qemu-user on
// ext4), and would find no plugin there.
#ifndef WAVE_LV2_LV2_PATH_H
#define WAVE_LV2_LV2_PATH_H

#include <string>
#include <vector>

namespace wavelv2 {

// The folders of `path` (':'-separated, "~/" for HOME), in order.
std::vector<std::string> lv2Folders(const std::string& path);
// The bundles in the folders of LV2_PATH or the default, in the order of the
// folders and, within one, of their names; each ends in '/'.
std::vector<std::string> findBundles();

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_PATH_H
