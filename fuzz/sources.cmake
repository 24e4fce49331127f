# The engine sources that the fuzz targets and their corpus replay exercise.
set(TESSELLANE_READER_SOURCES
  ${PROJECT_SOURCE_DIR}/engine/byte_source.cpp
  ${PROJECT_SOURCE_DIR}/engine/movie_reader.cpp
  ${PROJECT_SOURCE_DIR}/engine/movie_sample_tables.cpp
  ${PROJECT_SOURCE_DIR}/engine/movie_fragments.cpp
  ${PROJECT_SOURCE_DIR}/engine/image_header.cpp
  ${PROJECT_SOURCE_DIR}/engine/movie_record.cpp
  ${PROJECT_SOURCE_DIR}/engine/clip_info.cpp
  ${PROJECT_SOURCE_DIR}/engine/child_process.cpp
  ${PROJECT_SOURCE_DIR}/engine/utf8.cpp
  ${PROJECT_SOURCE_DIR}/engine/cancellation.cpp
  ${PROJECT_SOURCE_DIR}/engine/diagnostic_tail.cpp
  ${PROJECT_SOURCE_DIR}/engine/progress_reader.cpp
)
set(TESSELLANE_FUZZ_TARGETS movie_reader image_header ffmpeg_output)
