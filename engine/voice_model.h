// The voice model's constants: the one source every form of the engine
// (the scalar steps, the wide passes of each instruction set) reads them
// from. Each is a single-precision value; the comments give what it stands
// for. Changing one changes the sound.
#pragma once

// Formant frequency of a vowel value v in [0, 1]: 2^(v * slope + offset)
// times the sex and age scale. The slopes are log2(900/220), log2(2400/650)
// and log2(3100/2000), the offsets log2 of 220, 650 and 2000 Hz.
constexpr float kFormantSlope[3] = {0x1.042664p+1f, 0x1.e27016p+0f, 0x1.43b8a8p-1f};
constexpr float kFormantOffset[3] = {0x1.f201ccp+2f, 0x1.2b0478p+3f, 0x1.5ee7b4p+3f};

// Q per Hz of each formant: 1/80, 1/100, 1/120, so the bandwidths stay 80,
// 100 and 120 Hz.
constexpr float kFormantQPerHz[3] = {0x1.99999ap-7f, 0x1.47ae14p-7f, 0x1.111112p-7f};

// The scale of all three formants from h = 1 - sex and a = 1 - age:
// ((h * kScaleSexAged + kScaleAged) - h * kScaleSex) * a + (h * kScaleSex + 1),
// from 1.0 (sex 1, age 1) up to 1.45 (sex 0, age 0).
constexpr float kScaleSexAged = 0x1.9999a0p-4f; // 0.100000024
constexpr float kScaleAged = 0x1.666668p-2f;    // 0.35000002
constexpr float kScaleSex = 0x1.70a3d0p-3f;     // 0.17999995

// Weights of the second and third band-pass in the wet sum: -7 and -12 dB.
constexpr float kWetWeight2 = 0x1.c9676cp-2f; // 0.4466836
constexpr float kWetWeight3 = 0x1.013798p-2f; // 0.25118864

// Turns per radian, 1/(2 pi): the tangent's argument is (pi/fs * fp) / (2 pi).
constexpr float kTurnsPerRadian = 0x1.45f306p-3f; // 0.15915494
// Four times that, exact (a power of two times the above).
constexpr float kFourTurnsPerRadian = 0x1.45f306p-1f;
