#pragma once
// Sine and cosine of one angle. The figure must keep the values of the
// standard sin and cos to the last bit; where the C runtime has a sincos
// that gives exactly those values (glibc's and MinGW-w64's do, checked by
// the tests over arguments up to the size the figure's angles reach), one
// call gives both for about the price of one. Measured: under Wine,
// MinGW-w64's sin and cos cost about 40 ns each and its sincos about 38 ns
// for both; natively glibc's sincos costs about as much as its sin. Other
// runtimes (a Visual Studio build) call sin and cos. The build decides, in
// one place: POLYTREE_HAVE_SINCOS.

#include <cmath>

inline void sin_cos(double angle, double& sine, double& cosine) {
#if defined(POLYTREE_HAVE_SINCOS)
    ::sincos(angle, &sine, &cosine);
#else
    sine = std::sin(angle);
    cosine = std::cos(angle);
#endif
}
