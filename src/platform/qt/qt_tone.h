// A tone of a given pitch and length.
#pragma once

namespace orvel::qt {

// On X11 the keyboard bell takes both the pitch and the length; elsewhere
// the system's beep sounds. Returns when the tone is over.
void SoundTone(int frequency, int milliseconds);

}  // namespace orvel::qt
