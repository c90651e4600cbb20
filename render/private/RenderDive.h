#pragma once

#include <QString>

namespace levyc {

class FileOutput;
class ProgressLine;
struct RenderOptions;

// Makes the dive the options ask for into an opened output, showing its
// progress, and with --time prints its figures; false with a one-line reason.
bool RenderDive(const RenderOptions &options, FileOutput &output, ProgressLine &progress, QString *error);

} // namespace levyc
