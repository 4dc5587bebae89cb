# The program the kill test ends in the middle of its saves.
add_executable(save_probe ${folder}/probe/save_probe.cpp)
target_link_libraries(save_probe PRIVATE vigilor_win)
target_link_options(save_probe PRIVATE ${STATIC_RUNTIME} -municode)
add_dependencies(${target} save_probe)
