#pragma once

// The engine's side of the web view contract: its view as every main window's web view, its
// dialogs as the prompter, its options window and what that window does to the profile. The
// program's start installs them before its first window; each is made only when first needed.
namespace EngineDefaults {
void install();
} // namespace EngineDefaults
