# The shells' completion scripts, each program's printed by the program
# itself (--completion SHELL) from its own table of flags, installed where
# Debian's bash-completion, zsh and fish look for them.
set(completion_dir ${CMAKE_CURRENT_BINARY_DIR}/completions)
set(completion_files "")
foreach(program polytree polytree-render polytree-xsaver)
  foreach(shell bash zsh fish)
    if(shell STREQUAL "bash")
      set(file ${completion_dir}/bash/${program})
      set(destination ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
    elseif(shell STREQUAL "zsh")
      set(file ${completion_dir}/zsh/_${program})
      set(destination ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
    else()
      set(file ${completion_dir}/fish/${program}.fish)
      set(destination ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
    endif()
    add_custom_command(OUTPUT ${file}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DSHELL=${shell} -DOUT=${file}
              -P ${CMAKE_CURRENT_SOURCE_DIR}/write_completion.cmake
      DEPENDS ${program} ${CMAKE_CURRENT_SOURCE_DIR}/write_completion.cmake
      COMMENT "Writing ${program}'s ${shell} completion")
    list(APPEND completion_files ${file})
    install(FILES ${file} DESTINATION ${destination})
  endforeach()
endforeach()
add_custom_target(polytree_completions ALL DEPENDS ${completion_files})
