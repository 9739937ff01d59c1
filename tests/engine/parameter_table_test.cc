#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>

#include "engine/parameter_table.h"

namespace {

uint32_t sdbm(const char* s) {
    uint32_t h = 0;
    for (; *s; ++s)
        h = static_cast<uint8_t>(*s) + (h << 6) + (h << 16) - h;
    return h & 0x7FFFFFFFu;
}

std::u16string format(uint32_t index, double normalized) {
    char16_t buffer[kFormatValueCapacity];
    for (char16_t& c : buffer)
        c = u'#';
    EXPECT_TRUE(formatValue(index, normalized, buffer));
    return std::u16string(buffer);
}

uint64_t bits(double d) {
    uint64_t u;
    memcpy(&u, &d, sizeof u);
    return u;
}

} // namespace

TEST(ParameterTable, ParamIdsAreTheSdbmHashOfTheIds) {
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        const ParameterDescription& d = kParameterDescriptions[i];
        std::string key = d.id;
        if (i == kBypass)
            key += ' ';
        EXPECT_EQ(d.param_id, sdbm(key.c_str())) << d.id;
        uint32_t found = 99;
        ASSERT_TRUE(indexFromParamId(d.param_id, &found)) << d.id;
        EXPECT_EQ(found, i);
    }
    EXPECT_EQ(kParameterDescriptions[kBypass].param_id, 150732888u);
    uint32_t untouched = 77;
    EXPECT_FALSE(indexFromParamId(0, &untouched));
    EXPECT_EQ(untouched, 77u);
    EXPECT_FALSE(indexFromParamId(sdbm("bypass"), &untouched));
}

TEST(ParameterTable, RecordsAndRowsAgreeWithIndices) {
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        const ParameterRecord* r = parameter_record(i);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->index, i);
        EXPECT_LT(r->minimum, r->maximum);
        EXPECT_GE(r->default_value, r->minimum);
        EXPECT_LE(r->default_value, r->maximum);
        const ParameterDescription& d = kParameterDescriptions[i];
        // The VST3 default is the default mapped by the table's own rule.
        EXPECT_NEAR(d.default_normalized, plainToNormalized(i, r->default_value), 1e-15) << d.id;
        if (r->flags & kParamLogarithmic) {
            EXPECT_EQ(bits(r->log_span), bits(log(r->maximum / r->minimum))) << d.id;
        } else {
            EXPECT_EQ(r->log_span, 0.0);
        }
        const bool is_switch = (r->flags & (kParamToggled | kParamBypass)) != 0;
        if (is_switch) {
            EXPECT_EQ(d.step_count, 1) << d.id;
        }
        if (i >= kInputParameterCount) {
            EXPECT_EQ(d.vst3_flags, kVst3IsReadOnly);
        } else {
            EXPECT_TRUE(d.vst3_flags & kVst3CanAutomate);
        }
    }
    EXPECT_EQ(parameter_record(kParameterCount), nullptr);
    EXPECT_EQ(kParameterDescriptions[kBypass].vst3_flags, kVst3CanAutomate | kVst3IsBypass);
    EXPECT_EQ(kParameterDescriptions[kLfoSyncRate].step_count, 23);
    EXPECT_EQ(kInputParameterRecords[kHeelJaw].default_value, 12.4222007837421);
    EXPECT_EQ(kParameterDescriptions[kModPosition].short_title, std::u16string(u"Mod position"));
    EXPECT_EQ(kParameterDescriptions[kLfoFreeRate].units, std::u16string(u"Hz"));
}

TEST(ParameterTable, SyncRatiosAreFloatQuotients) {
    EXPECT_EQ(kSyncRatios[7], 1.0f); // default 8: one cycle per quarter note
    EXPECT_EQ(kSyncRatios[0], 1.0f / 6.0f);
    EXPECT_EQ(kSyncRatios[18], 32.0f / 3.0f);
    EXPECT_EQ(kSyncRatios[23], 48.0f);
    for (uint32_t k = 1; k < kSyncRateCount; ++k)
        EXPECT_NE(kSyncRatios[k], kSyncRatios[k - 1]);
}

TEST(ParameterConversion, MapsBothWays) {
    EXPECT_EQ(normalizedToPlain(kLfoBias, 0.25), -50.0);
    EXPECT_EQ(normalizedToPlain(kLfoFreeRate, 0.5), 2.0000000000000004);
    EXPECT_EQ(normalizedToPlain(kEnvAttack, 1.0), 999.9999999999998);
    EXPECT_EQ(plainToNormalized(kEnvRelease, 100.0), 0.6666666666666667);
    EXPECT_EQ(plainToNormalized(kLfoOut, 0.5), 0.75);
    EXPECT_EQ(plainToNormalized(kModPosition, 150.0), 1.5); // no clamping
    EXPECT_EQ(normalizedToPlain(kMix, -1.0), -100.0);
}

TEST(ParameterConversion, SnapsAndClamps) {
    EXPECT_EQ(snapAndClamp(kMidOn, 0.49), 0.0);
    EXPECT_EQ(snapAndClamp(kMidOn, 0.5), 1.0);
    EXPECT_EQ(snapAndClamp(kLfoSyncRate, 7.5), 8.0);
    EXPECT_EQ(snapAndClamp(kLfoSyncRate, 7.49), 7.0);
    EXPECT_EQ(snapAndClamp(kLfoSyncRate, 30.0), 24.0);
    EXPECT_EQ(snapAndClamp(kLfoSyncRate, -0.5), 1.0);
    EXPECT_EQ(snapAndClamp(kBypass, 0.7), 1.0);
    EXPECT_EQ(snapAndClamp(kLfoBias, -150.0), -100.0);
    EXPECT_EQ(snapAndClamp(kLfoWaveform, 2.5), 2.5); // continuous, only clamped
    EXPECT_EQ(snapAndClamp(kMix, NAN), 0.0);         // NaN never escapes
    EXPECT_EQ(snapAndClamp(kMix, INFINITY), 100.0);
}

TEST(ParameterText, FormatsTwoTruncatedDecimals) {
    const struct {
        uint32_t index;
        double normalized;
        const char16_t* text;
    } cases[] = {
        {kPosition, 0.5, u"50.00"},
        {kLfoBias, 0.25, u"-50.00"},
        {kHeelJaw, 0.124222007837421, u"12.42"},
        {kMix, 1.0, u"100.00"},
        {kLfoFreeRate, 0.0, u"0.20"},
        {kLfoFreeRate, 0.5, u"2.00"},
        {kEnvAttack, 1.0, u"999.99"},
        {kLfoPhase, 0.3, u"0.29"},
        {kMix, 0.1999, u"19.98"},
        {kMidOn, 0.7, u"0.69"},
        {kMidOn, 0.5, u"0.50"},
        {kLfoPhase, 0.07, u"0.06"},
        {kLfoSyncPhase, 1.0, u"360.00"},
        {kMix, 0.0, u"0.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format(c.index, c.normalized), std::u16string(c.text))
            << c.index << " " << c.normalized;
    }
}

TEST(ParameterText, FormatStaysInsideTheBufferForAnyValue) {
    const double wild[] = {1e300, -1e300, INFINITY, -INFINITY, NAN, 1e118, 5e7};
    for (uint32_t index : {kMix, kLfoFreeRate, kEnvAttack}) {
        for (double n : wild) {
            char16_t buffer[kFormatValueCapacity + 8];
            for (char16_t& c : buffer)
                c = u'#';
            formatValue(index, n, buffer);
            size_t len = 0;
            while (len < kFormatValueCapacity && buffer[len])
                ++len;
            ASSERT_LT(len, kFormatValueCapacity) << index << " " << n;
            for (size_t k = kFormatValueCapacity; k < kFormatValueCapacity + 8; ++k)
                EXPECT_EQ(buffer[k], u'#');
        }
    }
    EXPECT_EQ(format(kMix, INFINITY), u"inf");
    EXPECT_EQ(format(kMix, -INFINITY), u"-inf");
    EXPECT_EQ(format(kMix, NAN), u"nan");
    EXPECT_EQ(format(kMix, 5e7), u"5000000000.00");
    EXPECT_FALSE(formatValue(kParameterCount, 0.5, nullptr));
}

TEST(ParameterText, ParsesSignAndIntegerDigits) {
    EXPECT_EQ(parseValue(kMix, u"12.75"), 0.12);
    EXPECT_EQ(parseValue(kLfoBias, u"-50"), 0.25);
    EXPECT_EQ(parseValue(kLfoBias, u"abc"), 0.5);
    EXPECT_EQ(parseValue(kLfoSyncRate, u"8"), 0.30434782608695654);
    EXPECT_EQ(parseValue(kMix, u" 40"), 0.0);
    EXPECT_EQ(parseValue(kMix, u"+40"), 0.0);
    EXPECT_EQ(parseValue(kMix, u"40%"), 0.4);
    EXPECT_EQ(parseValue(kEnvAttack, u"100 ms"), 0.6666666666666667);
    // Nothing positive to take the logarithm of: the bottom of the range.
    EXPECT_EQ(parseValue(kEnvAttack, u"0"), 0.0);
    EXPECT_EQ(parseValue(kLfoFreeRate, u"-3"), 0.0);
    EXPECT_EQ(parseValue(kLfoFreeRate, u"0.5"), 0.0);
    EXPECT_EQ(parseValue(kMix, nullptr), 0.0);
}

TEST(ParameterText, FormatThenParseKeepsTheIntegerPart) {
    for (uint32_t index = 0; index < kParameterCount; ++index) {
        const ParameterRecord* r = parameter_record(index);
        const double plain = floor(r->maximum * 0.75);
        if (plain < 1.0 || (r->flags & kParamLogarithmic))
            continue;
        const std::u16string text = format(index, plainToNormalized(index, plain));
        EXPECT_NEAR(normalizedToPlain(index, parseValue(index, text.c_str())), plain, 1e-9)
            << index;
    }
}
