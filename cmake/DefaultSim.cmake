# stridewell_copy_default_sim(<target>)
# Adds the custom target <target>, which copies the shipped SIM
# (data/Default.SIM) into this folder's build folder, where the programs
# built here find it beside them. The copy follows every change of the
# shipped file.
function(stridewell_copy_default_sim target)
  set(shipped ${PROJECT_SOURCE_DIR}/data/Default.SIM)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/Default.SIM)
  add_custom_command(
    OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${shipped} ${copy}
    DEPENDS ${shipped})
  add_custom_target(${target} ALL DEPENDS ${copy})
endfunction()
