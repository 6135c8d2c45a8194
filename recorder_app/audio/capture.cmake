# Capture and MP3 encoding: the encoder binding, the shared capture engine, SoundRecorder
# and LevelListener. lame_enc.dll is loaded at run time, never linked.
list(APPEND audio_sources
  ${CMAKE_CURRENT_LIST_DIR}/encoder_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoder_binding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoder_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wave_in_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/level_listener.cpp)
# The capture workers run inside the crash guard.
list(APPEND audio_libraries runtime winmm)
