#include "Passes.h"

#include "RampColor.h"
#include "private/Sqr.h"

namespace levyc {

namespace {

constexpr double FirstLength = 100;
constexpr double LevelPerPass = 15;
constexpr double FinalCurveY = -200;
constexpr double FinalCurveLength = 200;

double PassStartX(std::int16_t pass)
{
    return 100 - Sqr(50.0 * 50.0 - (pass - 50.0) * (pass - 50.0));
}

double PassStartY(std::int16_t pass)
{
    return 100 - 3.0 * pass;
}

} // namespace

CurveRecord PassCurve(std::int16_t pass)
{
    return {PassStartX(pass), PassStartY(pass), FirstLength + pass, 0, RampColor(LevelPerPass * pass)};
}

CurveRecord FinalCurve()
{
    return {PassStartX(LastPass), FinalCurveY, FinalCurveLength, 0, RGB(255, 255, 255)};
}

std::vector<CurveRecord> PictureCurves()
{
    std::vector<CurveRecord> curves;
    curves.reserve(LastPass + 2);
    for (std::int16_t pass = 0; pass <= LastPass; ++pass) {
        curves.push_back(PassCurve(pass));
    }
    curves.push_back(FinalCurve());
    return curves;
}

} // namespace levyc
