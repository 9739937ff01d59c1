# Fuzz targets for the saved-state readers: tar_read, kv_map_read,
# state_archive_read and state_restore, each seeded with states the writer
# made (fuzz/seeds/<target>, written by tests/state/state_fixture_writer).
# The test command runs each for 20 s. A longer run, one target at a time:
#   build/sanitize/fuzz/fuzz_state_restore -max_total_time=3600 -timeout=10 \
#     -rss_limit_mb=2048 -jobs=2 /tmp/corpus-restore fuzz/seeds/fuzz_state_restore
set(state_seeds ${CMAKE_CURRENT_LIST_DIR}/seeds)
oka_add_fuzz(fuzz_tar_read SOURCES state_tar_read.cc LIBS oka_state
  SEEDS ${state_seeds}/fuzz_tar_read SECONDS 20)
oka_add_fuzz(fuzz_kv_map_read SOURCES state_kv_map_read.cc LIBS oka_state
  SEEDS ${state_seeds}/fuzz_kv_map_read SECONDS 20)
oka_add_fuzz(fuzz_state_archive_read SOURCES state_archive_read.cc LIBS oka_state
  SEEDS ${state_seeds}/fuzz_state_archive_read SECONDS 20)
oka_add_fuzz(fuzz_state_restore SOURCES state_restore.cc LIBS oka_state
  SEEDS ${state_seeds}/fuzz_state_restore SECONDS 20)
