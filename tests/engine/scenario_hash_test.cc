// The committed scenario hashes (scenarios.h): the same bits from every
// compiler, every build of block processing, and the plain reference.
#include <cpuid.h>
#include <gtest/gtest.h>
#include <math.h>

#include <string>

#include "engine/wide_forms.h"
#include "engine_test_util.h"
#include "reference_engine.h"
#include "scenarios.h"

namespace {

// The hash of each scenario's output bits and output values. The first was
// committed long before the others; none may change.
constexpr uint64_t kScenarioHash = 0x46c2c06079077d91ull;
constexpr uint64_t kLfoMovingHash = 0xbcaac1157d9d65dcull;
constexpr uint64_t kStillPedalHash = 0x15b1f589c087f11dull;
constexpr uint64_t kSyncedLfoHash = 0x97173cc75c5b4632ull;
constexpr uint64_t kLoopToBarOneHash = 0x0da01b9eaeb02ee8ull;
const uint64_t kHashes[kScenarioCount] = {kScenarioHash, kLfoMovingHash, kStillPedalHash,
                                          kSyncedLfoHash, kLoopToBarOneHash};

// Which builds of block processing this processor and its operating system
// offer, found here from CPUID and the enabled register state, apart from
// the engine's own choice.
std::string offered_forms() {
    std::string forms = "sse2";
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 27))) // OSXSAVE
        return forms;
    uint32_t xcr0, high;
    __asm__ volatile("xgetbv" : "=a"(xcr0), "=d"(high) : "c"(0));
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return forms;
    const bool ymm = (xcr0 & 0x6u) == 0x6u, zmm = (xcr0 & 0xE6u) == 0xE6u;
    if (ymm && (b & (1u << 5)))
        forms += " avx2";
    if (zmm && (b & (1u << 16)) && (b & (1u << 17)) && (b & (1u << 31)))
        forms += " avx512";
    return forms;
}

std::string available_forms() {
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    std::string forms;
    for (int k = 0; k < count; ++k)
        forms += (k ? " " : "") + std::string(sets[k].name);
    return forms;
}

} // namespace

TEST(ScenarioHash, EveryScenarioGivesItsCommittedHash) {
    for (int s = 0; s < kScenarioCount; ++s) {
        const Scenario scenario = static_cast<Scenario>(s);
        std::vector<float> out;
        const uint64_t h = render_scenario(scenario, wah_engine_process, &out);
        EXPECT_EQ(h, kHashes[s]) << scenario_name(scenario) << std::hex << " 0x" << h;
        // Not trivially quiet or broken.
        double energy = 0.0;
        for (float y : out) {
            ASSERT_TRUE(isfinite(y)) << scenario_name(scenario);
            energy += static_cast<double>(y) * y;
        }
        EXPECT_GT(energy / static_cast<double>(out.size()), 1e-3) << scenario_name(scenario);
    }
}

TEST(ScenarioHash, EveryFormTheProcessorOffersGivesEveryHash) {
    // Every kernel with every coefficient pass and every targets pass, as
    // far as this processor runs them; a form it offers must not be left out.
    const std::string offered = offered_forms(), ran = available_forms();
    printf("forms this processor offers: %s; forms run: %s\n", offered.c_str(), ran.c_str());
    RecordProperty("forms_run", ran);
    EXPECT_EQ(ran, offered);
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < count; ++i) {
            for (int t = 0; t < count; ++t) {
                const WideForms mixed = {"mixed", sets[k].kernel, sets[i].coefficients,
                                         sets[t].targets};
                wide_forms_force(&mixed);
                for (int s = 0; s < kScenarioCount; ++s) {
                    const uint64_t h =
                        render_scenario(static_cast<Scenario>(s), wah_engine_process, nullptr);
                    EXPECT_EQ(h, kHashes[s])
                        << scenario_name(static_cast<Scenario>(s)) << std::hex << " 0x" << h
                        << " kernel " << sets[k].name << " coefficients " << sets[i].name
                        << " targets " << sets[t].name;
                }
                wide_forms_force(nullptr);
            }
        }
    }
}

TEST(ScenarioHash, EngineMatchesThePlainReferenceInEveryScenario) {
    for (int s = 0; s < kScenarioCount; ++s) {
        const Scenario scenario = static_cast<Scenario>(s);
        std::vector<float> engine, reference;
        const uint64_t a = render_scenario(scenario, wah_engine_process, &engine);
        const uint64_t b = render_scenario(scenario, reference_process, &reference);
        ASSERT_EQ(engine.size(), reference.size());
        for (size_t i = 0; i < engine.size(); ++i)
            ASSERT_EQ(float_bits(engine[i]), float_bits(reference[i]))
                << scenario_name(scenario) << " sample " << i;
        EXPECT_EQ(a, b) << scenario_name(scenario);
    }
}

TEST(ScenarioHash, TheLfoMovingScenarioTakesUpHeadStarts) {
    // In every form: a quarter of its 400 blocks take up the head start the
    // block before left (99: the rest follow a block too short to lead, or
    // in chunks of another length, or after a change).
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    for (int k = 0; k < count; ++k) {
        wide_forms_force(&sets[k]);
        int taken = 0;
        render_scenario(kScenarioLfoMoving, wah_engine_process, nullptr, &taken);
        wide_forms_force(nullptr);
        EXPECT_GT(taken, 80) << sets[k].name << " " << taken;
    }
}
