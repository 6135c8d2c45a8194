# System libraries the recorder needs only after its first paint or when something happens
# (the network and its certificates, the crash dump, the file dialogs, sound and its device
# names) load when first called rather than before the window can be drawn. Only the recorder
# links them so: its link folder holds, under the usual names, stand-ins made by
# make_delay_lib.py.
set(QB_DELAY_LOADED ws2_32 crypt32 bcrypt dbghelp comdlg32 ole32 winmm)
set(QB_DELAY_LOAD_DIR ${CMAKE_BINARY_DIR}/delay_load)
set(delay_libs)
foreach(name ${QB_DELAY_LOADED})
  add_custom_command(OUTPUT ${QB_DELAY_LOAD_DIR}/lib${name}.a
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/make_delay_lib.py ${CMAKE_NM} ${CMAKE_C_COMPILER} ${CMAKE_AR}
            ${name} ${name}.dll ${QB_DELAY_LOAD_DIR}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_delay_lib.py
    COMMENT "Delay-loading ${name}.dll")
  list(APPEND delay_libs ${QB_DELAY_LOAD_DIR}/lib${name}.a)
endforeach()
add_custom_target(delay_load_libs DEPENDS ${delay_libs})

# Links TARGET with the stand-ins in place of the import libraries.
function(qb_delay_load target)
  add_dependencies(${target} delay_load_libs)
  target_link_directories(${target} BEFORE PRIVATE ${QB_DELAY_LOAD_DIR})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${delay_libs})
endfunction()
