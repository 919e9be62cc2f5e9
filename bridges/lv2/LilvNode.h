// An owned lilv node, freed with the object.
#ifndef WAVE_LV2_LILV_NODE_H
#define WAVE_LV2_LILV_NODE_H

#include <lilv/lilv.h>

#include <memory>

namespace wavelv2 {

struct LilvNodeFree {
    void operator()(LilvNode* node) const { lilv_node_free(node); }
};
typedef std::unique_ptr<LilvNode, LilvNodeFree> NodePtr;

}  // namespace wavelv2

#endif  // WAVE_LV2_LILV_NODE_H
