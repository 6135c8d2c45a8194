# The update procedure: the query, the download dialog and its worker, the unpacking.
add_library(update STATIC
  ${CMAKE_CURRENT_LIST_DIR}/unpack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_reply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_transfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_entry_meta.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_names.cpp)
target_include_directories(update PUBLIC ${PROJECT_SOURCE_DIR}/recorder_app)
target_link_libraries(update PUBLIC service framework app_runtime update_list deps_minizip deps_curl comctl32 user32)

# The list of an update's files, which the updater reads too.
add_library(update_list STATIC ${CMAKE_CURRENT_LIST_DIR}/update_list.cpp)
target_include_directories(update_list PUBLIC ${PROJECT_SOURCE_DIR}/recorder_app)
# The transfer uses libcurl's classic progress callback, which 7.88 still supports but marks
# deprecated.
target_compile_definitions(update PRIVATE CURL_DISABLE_DEPRECATION)
