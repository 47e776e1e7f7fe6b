// The one in-memory settings record of the process. Field names are the names of their
// keys in the per-user store; the store itself (a Qt part) lives in the application shell.
#pragma once

#include <array>
#include <cstdint>

struct Settings {
    std::array<int32_t, 6> Chs{};   // recording slot s+1 -> logical channel Chs[s] (0..5)
    int32_t LCADR = 0;              // playback frame length, s
    int32_t PA_OR_VOLT = 0;         // playback unit: 0 pascals, 1 volts
    int32_t prevLCADR = 0;          // not persisted
    int32_t S_PA_OR_VOLT = 0;       // processing window unit when it opens
    double VOLT = 0.0;              // volts per ADC step
    int32_t NULL_ADC = 0;           // ADC code of zero volts
    std::array<bool, 6> G_Auto{};
    std::array<float, 6> G_Max{};   // single precision on purpose: the store narrows them
    std::array<float, 6> G_Min{};
    std::array<bool, 6> G_Setka{};
    std::array<int32_t, 6> G_Color{};   // colour word 0x00BBGGRR
    std::array<int32_t, 6> G_Tol{};
    std::array<bool, 6> G_Vis{};
    bool applyAxisToAll = false;   // not persisted
    int32_t Fmin = 0;              // playback band-pass, Hz
    int32_t Fmax = 0;
    int32_t FOrder = 0;             // 0: no display filtering
    double plotnost = 0.0;          // air density, kg/m^3
    double skorost = 0.0;           // speed of sound, m/s
    std::array<double, 3> lmic{};   // pair spacings, m
    std::array<double, 6> Chuv{};   // sensitivities, mV/Pa; stored under "Chuv"+(Chs[j]+1)
    int32_t type_sig = 0;           // test signal: 0 sine, 1 meander, 2 impulse
    int32_t freq_sig = 0;
    int32_t ampl_sig = 0;         // ADC steps
    int32_t FI_Z = 0;             // degrees from the Z axis
    int32_t FI_X = 0;             // degrees from the X axis in the XY plane
    int32_t ampl_noise_sig = 0;   // percent of ampl_sig
    int32_t freq_ocifr = 0;       // Hz
    int32_t dlit = 0;             // s
    int32_t S_Fmin = 0;           // processing analysis band, Hz
    int32_t S_Fmax = 0;
    int32_t prorezM = 0;   // playback decimation
    int32_t zader = 0;     // playback step delay, ms
    int32_t impuls = 0;    // kImpulsImpulse or kImpulsPeriodic
    // Values of `impuls`.
    static constexpr int32_t kImpulsImpulse = 0;
    static constexpr int32_t kImpulsPeriodic = 1;
    // Intensity with each channel's pascals from its own microphone's sensitivity (Chuv)
    // rather than the one fixed factor of every channel.
    bool I_PO_CHUV = false;
};

// Values a first start sees: the defaults of every store key.
Settings DefaultSettings();

// The record the main window owns, which the windows read and change. The routines below
// the windows take what they need as arguments. Until a window publishes its record, a
// process-wide record holding the defaults stands in, so plain tests can run the windows' code.
Settings& CurrentSettings();
void PublishSettings(Settings* record);   // nullptr returns to the stand-in

// Set by the test-signal command, cleared by the open command: tells the windows that the
// segment was synthesised rather than read from a file.
bool TestSignalFlag();
void SetTestSignalFlag(bool on);
