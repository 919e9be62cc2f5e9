// A small LV2 plugin of the tests' own, for the host features that none of
// the packaged plugins the tests run asks for: each run() hands its number to
// the worker, whose work answers ten times it; the answer, the block length
// and the sample rate the options gave are its control outputs. It logs one
// line when it is made.
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>
#include <string.h>

namespace {

enum Port { kAnswer, kBlock, kRate, kPortCount };

struct WorkerPlugin {
    float* ports[kPortCount] = {};
    LV2_Worker_Schedule* schedule = nullptr;
    int32_t runs = 0;
    float answer = 0.0f;
    float maxBlock = 0.0f;
    float sampleRate = 0.0f;
};

const void* feature(const LV2_Feature* const* features, const char* uri) {
    for (; features != nullptr && *features != nullptr; ++features) {
        if (strcmp((*features)->URI, uri) == 0) return (*features)->data;
    }
    return nullptr;
}

void readOptions(WorkerPlugin* self, const LV2_Options_Option* options, LV2_URID_Map* map) {
    const LV2_URID maxBlock = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID rate = map->map(map->handle, LV2_PARAMETERS__sampleRate);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (; options != nullptr && options->key != 0; ++options) {
        if (options->key == maxBlock && options->type == intType) {
            self->maxBlock = static_cast<float>(*static_cast<const int32_t*>(options->value));
        } else if (options->key == rate && options->type == floatType) {
            self->sampleRate = *static_cast<const float*>(options->value);
        }
    }
}

LV2_Handle instantiate(const LV2_Descriptor*, double, const char*,
                       const LV2_Feature* const* features) {
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(feature(features, LV2_URID__map)));
    auto* schedule = static_cast<LV2_Worker_Schedule*>(
        const_cast<void*>(feature(features, LV2_WORKER__schedule)));
    auto* options = static_cast<const LV2_Options_Option*>(feature(features, LV2_OPTIONS__options));
    if (map == nullptr || schedule == nullptr || options == nullptr) return nullptr;
    WorkerPlugin* self = new WorkerPlugin();
    self->schedule = schedule;
    readOptions(self, options, map);
    auto* log = static_cast<LV2_Log_Log*>(const_cast<void*>(feature(features, LV2_LOG__log)));
    if (log != nullptr) {
        log->printf(log->handle, map->map(map->handle, LV2_LOG__Note),
                    "worker test plugin: block %d rate %d\n", static_cast<int>(self->maxBlock),
                    static_cast<int>(self->sampleRate));
    }
    return self;
}

void connect(LV2_Handle handle, uint32_t port, void* data) {
    if (port < kPortCount)
        static_cast<WorkerPlugin*>(handle)->ports[port] = static_cast<float*>(data);
}

void run(LV2_Handle handle, uint32_t) {
    WorkerPlugin* self = static_cast<WorkerPlugin*>(handle);
    ++self->runs;
    self->schedule->schedule_work(self->schedule->handle, sizeof(self->runs), &self->runs);
    *self->ports[kAnswer] = self->answer;
    *self->ports[kBlock] = self->maxBlock;
    *self->ports[kRate] = self->sampleRate;
}

void cleanup(LV2_Handle handle) {
    delete static_cast<WorkerPlugin*>(handle);
}

LV2_Worker_Status work(LV2_Handle, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle handle, uint32_t size, const void* data) {
    if (size != sizeof(int32_t)) return LV2_WORKER_ERR_UNKNOWN;
    const int32_t answer = *static_cast<const int32_t*>(data) * 10;
    return respond(handle, sizeof(answer), &answer);
}

LV2_Worker_Status workResponse(LV2_Handle handle, uint32_t size, const void* body) {
    if (size != sizeof(int32_t)) return LV2_WORKER_ERR_UNKNOWN;
    static_cast<WorkerPlugin*>(handle)->answer =
        static_cast<float>(*static_cast<const int32_t*>(body));
    return LV2_WORKER_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2_Worker_Interface worker = {work, workResponse, nullptr};
    return strcmp(uri, LV2_WORKER__interface) == 0 ? &worker : nullptr;
}

const LV2_Descriptor kDescriptor = {"urn:wave-lv2-test:worker",
                                    instantiate,
                                    connect,
                                    nullptr,
                                    run,
                                    nullptr,
                                    cleanup,
                                    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
