// The gradient buttons unit's shut-down, kept apart from the button classes
// so that the package table need not see the framework's button header.
#pragma once
#pragma GCC visibility push(default)

// Frees the shared speed-button images.
void FinalizeIDEGradientSpeedButtons();

#pragma GCC visibility pop
