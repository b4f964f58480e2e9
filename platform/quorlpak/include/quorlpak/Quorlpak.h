// Start-up and shut-down of the library: the global Application and Screen.
#pragma once
#pragma GCC visibility push(default)

// Creates Application and Screen (once; later calls do nothing).
void InitializeQuorlpak();
// Frees every form the application owns, then Application and Screen.
void FinalizeQuorlpak();

#pragma GCC visibility pop
