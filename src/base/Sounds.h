#pragma once

// The station's sound files, played by name (a file of that name in the current directory wins
// over the one built into the program).
namespace Sounds {
inline constexpr char kWelcome[] = "Welcome.wav";
inline constexpr char kSuccess[] = "True.wav";
inline constexpr char kFailure[] = "False.wav";
inline constexpr char kAbnormal[] = "Abnormal.wav";
inline constexpr char kOverweight[] = "1.wav";
inline constexpr char kDing[] = "Ding.wav";

// Makes the six sounds built into the program (":/sounds/NAME") available. The resources live in
// a static library and are linked only when something asks for them: a player calls this once
// before its first sound. Calling it again does no harm.
void registerBuiltIn();
} // namespace Sounds
