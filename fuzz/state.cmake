# Fuzz targets for the saved-state readers: tar_read, kv_map_read,
# state_archive_read and state_restore, each seeded with states the writer
# made (fuzz/seeds/<target>, written by tests/state/state_fixture_writer).
# The test command runs each for 20 s; fuzz/README.md gives the longer runs.
oka_add_fuzz(fuzz_tar_read SOURCES state_tar_read.cc LIBS oka_state SECONDS 20)
oka_add_fuzz(fuzz_kv_map_read SOURCES state_kv_map_read.cc LIBS oka_state SECONDS 20)
oka_add_fuzz(fuzz_state_archive_read SOURCES state_archive_read.cc LIBS oka_state SECONDS 20)
oka_add_fuzz(fuzz_state_restore SOURCES state_restore.cc LIBS oka_state SECONDS 20)
