# Warnings on and clean for every target of the project.
function(ovik_enable_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# The sanitizer build instruments every target, modules and tests included,
# and makes any undefined behaviour fail the run.
if(OVIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build gives every target the coverage the fuzzers steer by; only
# the fuzzers themselves link libFuzzer's main.
if(OVIK_BUILD_FUZZERS)
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
