# The VST3 component's and controller's state intake: arbitrary host stream
# bytes, seeded with saved states the state writer made, accepted and refused.
if(TARGET oka_vst3)
  oka_add_fuzz(fuzz_vst3_set_state SOURCES vst3_set_state.cc LIBS oka_vst3host oka_vst3
    SECONDS 10)
endif()
