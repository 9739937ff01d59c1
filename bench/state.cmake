# Save and restore of a full plug-in state, in microseconds.
oka_add_bench(bench_state SOURCES state_save_restore.cc LIBS oka_state oka_platform)
