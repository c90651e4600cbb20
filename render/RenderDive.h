#pragma once

#include <QString>

namespace levyc {

class PngOutput;
class ProgressLine;
struct RenderOptions;

// Makes the dive the options ask for into an opened output, showing its
// progress, and with --time prints its figures; false with a one-line reason.
bool RenderDive(const RenderOptions &options, PngOutput &output, ProgressLine &progress, QString *error);

} // namespace levyc
