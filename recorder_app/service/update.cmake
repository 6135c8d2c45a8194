# The update procedure: the query, the download dialog and its worker, the archive's
# signature check, the unpacking.
include(${PROJECT_SOURCE_DIR}/cmake/update_key.cmake)
add_library(update STATIC
  ${CMAKE_CURRENT_LIST_DIR}/base64.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unpack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_key.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_reply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_signature.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_transfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_verify.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_entry_meta.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_names.cpp)
target_include_directories(update PUBLIC ${PROJECT_SOURCE_DIR}/recorder_app)
target_link_libraries(update PUBLIC service framework runtime deps_minizip deps_curl deps_sodium comctl32 user32)
if(QB_HAVE_UPDATE_KEY)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/update_key.cpp PROPERTIES
    COMPILE_DEFINITIONS QB_HAVE_UPDATE_KEY INCLUDE_DIRECTORIES ${QB_UPDATE_KEY_DIR})
endif()
# The transfer uses libcurl's classic progress callback, which 7.88 still supports but marks
# deprecated.
target_compile_definitions(update PRIVATE CURL_DISABLE_DEPRECATION)
