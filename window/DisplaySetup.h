#pragma once

// Chooses how the screen is updated; call before the application object exists.
void SetUpDisplay();
