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
