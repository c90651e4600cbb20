#include "Passes.h"

#include "Sqr.h"

namespace levyc {

double PassStartX(std::int16_t pass)
{
    return 100 - Sqr(50.0 * 50.0 - (pass - 50.0) * (pass - 50.0));
}

double PassStartY(std::int16_t pass)
{
    return 100 - 3.0 * pass;
}

} // namespace levyc
