# Warnings on and clean for every target of the project.
#
# OVIK_WARNINGS_AS_ERRORS makes any compiler warning fail the build; the
# presets that scripts/test.sh runs for CI turn it on. It is off by default,
# so a newer compiler's new warning does not stop someone building a release
# for a device. It covers the link too: with link-time optimisation the
# optimiser, and with it the warnings that need its view of the code
# (-Wmaybe-uninitialized, -Wstringop-overflow, -Warray-bounds), runs when the
# library is linked.
option(OVIK_WARNINGS_AS_ERRORS "Fail the build on any compiler warning" OFF)
if(OVIK_WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
  add_link_options(-Werror)
endif()

function(ovik_enable_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  get_target_property(_type ${target} TYPE)
  if(NOT _type STREQUAL "STATIC_LIBRARY" AND NOT _type STREQUAL "OBJECT_LIBRARY"
     AND NOT _type STREQUAL "INTERFACE_LIBRARY")
    target_link_options(${target} PRIVATE -Wall -Wextra)
  endif()
endfunction()

# The sanitizer build instruments every target, modules and tests included,
# and makes any undefined behaviour fail the run. OVIK_INSTRUMENT_FLAGS holds
# the same flags for what is built apart from the tree against the kit (the
# kit test's template module and its tests), whose programs link the kit's
# instrumented objects.
set(OVIK_INSTRUMENT_FLAGS "")
if(OVIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  list(APPEND OVIK_INSTRUMENT_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer)
endif()

# The fuzz build gives every target the coverage the fuzzers steer by; only
# the fuzzers themselves link libFuzzer's main.
if(OVIK_BUILD_FUZZERS)
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
  list(APPEND OVIK_INSTRUMENT_FLAGS -fsanitize=fuzzer-no-link)
endif()
