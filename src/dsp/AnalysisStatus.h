// Result of the numerical routines: 0 on success, a negative code on failure. Each routine's
// header lists its codes; the routines never show anything, their callers decide.
#pragma once

using AnalysisStatus = int;

constexpr AnalysisStatus kAnalysisOk = 0;
