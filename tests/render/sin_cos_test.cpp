// sin_cos against sin and cos in the C runtime the program itself runs on:
// the windows build's test program, run under Wine. Natively the unit tests
// make the same check.
#include <cstdio>

#include "tests/render/sin_cos_check.h"

int main() {
    const SinCosCheck check = check_sin_cos(200000);
    std::printf("sin_cos against sin and cos: %ld arguments, %ld differing\n", check.checked, check.differing);
    if (check.differing != 0) std::printf("first differing at %.17g\n", check.first_differing);
    return check.checked == 600000 && check.differing == 0 ? 0 : 1;
}
