# The engine sources that the fuzz targets and their corpus replay exercise.
set(TESSELLANE_READER_SOURCES
  ${PROJECT_SOURCE_DIR}/engine/probe/byte_source.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/movie_reader.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/movie_sample_tables.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/movie_fragments.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_header.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_png.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_jpeg.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/exif_orientation.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_tiff.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_bmp.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_webp.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/image_record.cpp
  ${PROJECT_SOURCE_DIR}/engine/probe/movie_record.cpp
  ${PROJECT_SOURCE_DIR}/engine/core/clip_info.cpp
  ${PROJECT_SOURCE_DIR}/engine/merge/child_process.cpp
  ${PROJECT_SOURCE_DIR}/engine/core/utf8.cpp
  ${PROJECT_SOURCE_DIR}/engine/merge/cancellation.cpp
  ${PROJECT_SOURCE_DIR}/engine/merge/diagnostic_tail.cpp
  ${PROJECT_SOURCE_DIR}/engine/merge/progress_reader.cpp
)
set(TESSELLANE_FUZZ_TARGETS movie_reader image_header ffmpeg_output)
