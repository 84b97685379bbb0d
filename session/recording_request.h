// The file --record asks the first session to be recorded into, handed
// from the command line to the Setup page.
#pragma once

#include <string>

// Asks for the next session to be recorded into `path` (--record FILE).
void RequestSessionRecording(const std::string& path);

// The file asked for, once: empty when none was, or it was taken before.
std::string TakeRequestedRecording();
