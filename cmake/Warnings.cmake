# Warnings for our own code; third-party headers are clean under these flags.
function(quillmate_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  target_compile_definitions(${target} PRIVATE
    QT_DEPRECATED_WARNINGS QT_DISABLE_DEPRECATED_BEFORE=0x050F00
    QT_NO_FOREACH)
endfunction()

# The sanitizer trees are compiled at -O1 with line tables only: their reports
# still name file and line, and the instrumented code builds in half the time
# of -O2 with full debug information.
if(QUILLMATE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUILLMATE_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -O1 -g1)
  add_link_options(-fsanitize=thread)
endif()

# Every test links the static libraries it tests into an executable of its
# own; gold links them in half the time of the default linker.
if(CMAKE_VERSION VERSION_GREATER_EQUAL 3.18)
  include(CheckLinkerFlag)
  check_linker_flag(CXX -fuse-ld=gold QUILLMATE_HAVE_GOLD)
  if(QUILLMATE_HAVE_GOLD)
    add_link_options(-fuse-ld=gold)
  endif()
endif()
