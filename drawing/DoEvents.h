#pragma once

namespace levyc {

// Handles every pending user-interface event, button presses included, in the
// order they came, then returns. A command a press starts runs to its end first.
void DoEvents();

} // namespace levyc
