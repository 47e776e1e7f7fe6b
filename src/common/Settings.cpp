#include "Settings.h"

#include <atomic>

Settings DefaultSettings()
{
    Settings s;
    for (int n = 0; n < 6; ++n) {
        s.Chs[n] = n;
        s.G_Auto[n] = true;
        s.G_Max[n] = 5.0f;
        s.G_Min[n] = -5.0f;
        s.G_Setka[n] = true;
        // Blue on the left axes, a dark orange on the right ones: the two curves of a band
        // share its area and must not read as one.
        s.G_Color[n] = n % 2 == 0 ? 0xFF0000 : 0x0050C8;
        s.G_Tol[n] = 1;
        s.G_Vis[n] = true;
        s.Chuv[n] = 1.0;
    }
    s.LCADR = 1;
    s.PA_OR_VOLT = 0;
    s.S_PA_OR_VOLT = 0;
    s.VOLT = 0.00263;
    s.NULL_ADC = 1120;
    s.Fmin = 0;
    s.Fmax = 1000;
    s.FOrder = 0;
    s.plotnost = 1.4;
    s.skorost = 340.0;
    s.lmic = {0.5, 0.5, 0.5};
    s.type_sig = 0;
    s.freq_sig = 10;
    s.ampl_sig = 3276;
    s.FI_Z = 45;
    s.FI_X = 45;
    s.ampl_noise_sig = 10;
    s.freq_ocifr = 100000;
    s.dlit = 1;
    s.S_Fmin = 0;
    s.S_Fmax = 100;
    s.prorezM = 1;
    s.zader = 0;
    s.impuls = Settings::kImpulsPeriodic;
    s.I_PO_CHUV = false;
    return s;
}

namespace {
Settings* g_published = nullptr;

Settings& standIn()
{
    static Settings record = DefaultSettings();
    return record;
}

std::atomic<bool> g_testSignal{false};
}   // namespace

Settings& CurrentSettings()
{
    return g_published ? *g_published : standIn();
}

void PublishSettings(Settings* record)
{
    g_published = record;
}

bool TestSignalFlag()
{
    return g_testSignal.load();
}

void SetTestSignalFlag(bool on)
{
    g_testSignal.store(on);
}
