# Builds one corpus replay executable per fuzz target with the ordinary compiler (g++ or clang, no libFuzzer)
# and registers it with CTest, so every saved input is read again on each test run.
include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
foreach(target ${TESSELLANE_FUZZ_TARGETS})
  add_executable(replay_${target} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${target}.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/corpus_replay_main.cpp)
  target_link_libraries(replay_${target} PRIVATE engine)
  add_test(NAME fuzz_corpus_replay_${target}
           COMMAND replay_${target} ${CMAKE_CURRENT_LIST_DIR}/corpus/${target})
endforeach()
