// The C functions the host looks up in a module library, by name.
#ifndef OXA_HOST_ENTRY_POINTS_H
#define OXA_HOST_ENTRY_POINTS_H

namespace oxahost {

struct EntryPoints {
    static constexpr const char* kApiLevel = "oxa_get_api_level";
    static constexpr const char* kCreate = "oxa_create";
    static constexpr const char* kDestroy = "oxa_destroy";
    static constexpr const char* kNdkVersion = "oxa_get_ndk_version";
    static constexpr const char* kMajor = "oxa_user_get_major_version_number";
    static constexpr const char* kMinor = "oxa_user_get_minor_version_number";
    static constexpr const char* kPatch = "oxa_user_get_patch_version_number";
    // Not looked up by the host; a module that has it tells its version as
    // text, which must agree with the three numbers.
    static constexpr const char* kVersionString = "oxa_user_get_version_string";
};

}  // namespace oxahost

#endif  // OXA_HOST_ENTRY_POINTS_H
